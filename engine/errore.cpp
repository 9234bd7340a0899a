#include "engine/errore.h"

namespace NODREL1 {

std::u16string FasMsg(const Errore& errore) {
    std::u16string testo = u"FasMsg: ";
    for (char c : std::to_string(errore.Numero())) {
        testo += static_cast<char16_t>(c);
    }
    return testo + u" " + errore.Descrizione();
}

}  // namespace NODREL1
