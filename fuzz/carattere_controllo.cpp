// Check character of any text.

#include "engine/nodrel1.h"
#include "ingresso.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    const std::u16string testo = fuzz::Testo(dati, n);
    const std::u16string c = NODREL1::CarattereControllo(testo);
    fuzz::Esigi(c.empty() || (c.size() == 1 && c[0] >= u'A' && c[0] <= u'Z'),
                "one upper-case letter or nothing");
    fuzz::Esigi(c == NODREL1::CarattereControllo(testo.substr(0, 15)),
                "only the first fifteen characters count");
    return 0;
}
