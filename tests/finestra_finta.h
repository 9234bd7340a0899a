#pragma once

// The main window as the engine sees it, for the tests, the fuzz targets and the benchmarks: it
// keeps its fields and writes down what the engine asks of it.

#include <array>
#include <string>
#include <vector>

#include "engine/finestra.h"

namespace prova {

class FinestraFinta final : public NODREL1::Finestra {
public:
    using Campo = NODREL1::Campo;

    std::array<std::u16string, 7> campi;  // by Campo
    int sesso = -1;                       // the entry of the sex list selected last
    // Every request, in order: "Testo Text8", "Text5=ROMA", "Cbosesso=F", "DaiFuoco Text5",
    // "SelezionaTutto Text1", "MsgBox <text>", "AccendiMaiuscole"; and the message boxes alone.
    std::vector<std::u16string> fatti;
    std::vector<std::u16string> messaggi;
    // Off, nothing is written down, so that a benchmark's loop times the engine alone.
    bool annota = true;

    std::u16string& operator[](Campo campo) { return campi[Indice(campo)]; }

    std::u16string Testo(Campo campo) override {
        if (annota) {
            fatti.push_back(u"Testo " + Nome(campo));
        }
        return campi[Indice(campo)];
    }
    void ImpostaTesto(Campo campo, const std::u16string& testo) override {
        campi[Indice(campo)] = testo;
        if (annota) {
            fatti.push_back(Nome(campo) + u"=" + testo);
        }
    }
    void DaiFuoco(Campo campo) override {
        if (annota) {
            fatti.push_back(u"DaiFuoco " + Nome(campo));
        }
    }
    void SelezionaTutto(Campo campo) override {
        if (annota) {
            fatti.push_back(u"SelezionaTutto " + Nome(campo));
        }
    }
    void SelezionaSesso(int voce) override {
        sesso = voce;
        if (annota) {
            fatti.push_back(voce == 0 ? u"Cbosesso=M" : u"Cbosesso=F");
        }
    }
    void MsgBox(const std::u16string& testo) override {
        if (annota) {
            fatti.push_back(u"MsgBox " + testo);
            messaggi.push_back(testo);
        }
    }
    void AccendiMaiuscole() override {
        if (annota) {
            fatti.push_back(u"AccendiMaiuscole");
        }
    }

private:
    static std::size_t Indice(Campo campo) { return static_cast<std::size_t>(campo); }
    static std::u16string Nome(Campo campo) {
        static constexpr const char16_t* kNomi[] = {u"Text1", u"Text2", u"Text3", u"Text5",
                                                    u"Text6", u"Text7", u"Text8"};
        return kNomi[Indice(campo)];
    }
};

}  // namespace prova
