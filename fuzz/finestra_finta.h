#pragma once

// A main window for the fuzz targets: holds its fields and counts what the engine tells the user.

#include <array>
#include <string>
#include <vector>

#include "engine/nodrel1.h"

namespace fuzz {

class FinestraFinta final : public NODREL1::Finestra {
public:
    std::array<std::u16string, 7> campi;
    std::vector<std::u16string> messaggi;
    int sesso = -1;

    std::u16string Testo(NODREL1::Campo campo) override { return campi[Indice(campo)]; }
    void ImpostaTesto(NODREL1::Campo campo, const std::u16string& testo) override {
        campi[Indice(campo)] = testo;
    }
    void DaiFuoco(NODREL1::Campo) override {}
    void SelezionaTutto(NODREL1::Campo) override {}
    void SelezionaSesso(int voce) override { sesso = voce; }
    void MsgBox(const std::u16string& testo) override { messaggi.push_back(testo); }
    void AccendiMaiuscole() override {}

    std::u16string& operator[](NODREL1::Campo campo) { return campi[Indice(campo)]; }

private:
    static std::size_t Indice(NODREL1::Campo campo) { return static_cast<std::size_t>(campo); }
};

}  // namespace fuzz
