#include "engine/errore.h"

#include "engine/testo.h"

namespace NODREL1 {

Errore::Errore(long numero, std::u16string descrizione)
    : numero_(numero),
      descrizione_(std::move(descrizione)),
      messaggio_(std::to_string(numero) + " " + Utf8(descrizione_)) {}

std::u16string FasMsg(const Errore& errore) {
    std::u16string testo = u"FasMsg: ";
    for (char c : std::to_string(errore.Numero())) {
        testo += static_cast<char16_t>(c);
    }
    return testo + u" " + errore.Descrizione();
}

}  // namespace NODREL1
