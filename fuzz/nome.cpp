// Given-name letters from any text.

#include "engine/nodrel1.h"
#include "fuzz/ingresso.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    const std::u16string nome = fuzz::Testo(dati, n);
    const std::u16string codice = NODREL1::CodiceNome(nome);
    const bool soloSpazi = nome.find_first_not_of(u' ') == std::u16string::npos;
    fuzz::Esigi(codice.size() == (soloSpazi ? 2u : 3u),
                "three characters, two (the filler) for blanks only");
    fuzz::Esigi(codice.find(u' ') == std::u16string::npos, "no blank in the group");
    return 0;
}
