#pragma once

// The register of municipalities a list needs, which may still be being read on a thread of its
// own while the list is: most rows of plain codes never need it.

#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>

#include "engine/registro.h"

namespace nodrel {

class RegistroAtteso {
public:
    // No register: municipalities go unchecked.
    RegistroAtteso() = default;
    // One already open, such as the main window's.
    explicit RegistroAtteso(std::shared_ptr<const NODREL1::Registro> registro);
    // The register file at `percorso`, opened on a thread of its own from now on (and waited for
    // when this goes).
    explicit RegistroAtteso(std::u16string percorso);
    // One that comes as `inArrivo` gives it; a failure is a NODREL1::Errore.
    explicit RegistroAtteso(std::future<std::shared_ptr<const NODREL1::Registro>> inArrivo)
        : inArrivo_(std::move(inArrivo)) {}

    // Told, at the first Prendi, why the register could not be opened (in Italian).
    void QuandoManca(std::function<void(std::string_view)> avviso) { avviso_ = std::move(avviso); }
    // The register, waited for the first time; null when there is none.
    const NODREL1::Registro* Prendi();

private:
    std::future<std::shared_ptr<const NODREL1::Registro>> inArrivo_;
    std::shared_ptr<const NODREL1::Registro> registro_;
    std::function<void(std::string_view)> avviso_;
};

}  // namespace nodrel
