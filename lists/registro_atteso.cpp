#include "lists/registro_atteso.h"

#include "engine/errore.h"
#include "engine/testo.h"
#include "register/comuni.h"

namespace nodrel {

RegistroAtteso::RegistroAtteso(std::shared_ptr<const NODREL1::Registro> registro)
    : registro_(std::move(registro)) {}

RegistroAtteso::RegistroAtteso(std::u16string percorso)
    : inArrivo_(std::async(std::launch::async,
                           [percorso = std::move(percorso)] { return ApriRegistro(percorso); })) {}

const NODREL1::Registro* RegistroAtteso::Prendi() {
    if (inArrivo_.valid()) {
        try {
            registro_ = inArrivo_.get();
        } catch (const NODREL1::Errore& e) {
            if (avviso_) {
                avviso_(NODREL1::Utf8(e.Descrizione()));
            }
        }
    }
    return registro_.get();
}

}  // namespace nodrel
