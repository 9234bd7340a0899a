// Surname letters from any text.

#include <algorithm>

#include "engine/nodrel1.h"
#include "ingresso.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    const std::u16string cognome = fuzz::Testo(dati, n);
    const std::u16string codice = NODREL1::CodiceCognome(cognome);
    fuzz::Esigi(codice.size() == 3 || codice == u"XX",
                "three characters, or the filler alone for a text without letters");
    fuzz::Esigi(std::all_of(codice.begin(), codice.end(),
                            [](char16_t c) { return c >= u'A' && c <= u'Z'; }),
                "upper-case ASCII letters only");
    return 0;
}
