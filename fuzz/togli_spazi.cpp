// Blank removal from any text.

#include <algorithm>

#include "engine/nodrel1.h"
#include "ingresso.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    const std::u16string testo = fuzz::Testo(dati, n);
    const std::u16string senza = NODREL1::TogliSpazi(testo);
    std::u16string atteso;
    std::remove_copy(testo.begin(), testo.end(), std::back_inserter(atteso), u' ');
    fuzz::Esigi(senza == atteso, "every blank removed and nothing else");
    return 0;
}
