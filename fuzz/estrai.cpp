// Decoding any typed code over the register the project builds.

#include <cstdlib>

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "ingresso.h"
#include "register/comuni.h"

namespace {

std::shared_ptr<const NODREL1::Registro> registro;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // NODREL_REGISTRO points elsewhere, e.g. at a register being tried out.
    const char* percorso = std::getenv("NODREL_REGISTRO");
    registro =
        nodrel::ApriRegistro(NODREL1::Utf16(percorso != nullptr ? percorso : NODREL_FUZZ_REGISTRO));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    const std::u16string codice = fuzz::Testo(dati, n);
    const NODREL1::Decodificato esito =
        NODREL1::Decodifica(codice, registro.get(), std::chrono::year{2026} / 6 / 15);
    if (!esito.dati) {
        fuzz::Esigi(esito.comune == nullptr, "a code refused names no municipality");
        fuzz::Esigi(
            !NODREL1::EsaminaCodice(codice).Corretto() || NODREL1::EsaminaCodice(codice).numerico,
            "only a wrong or numeric code is refused");
        return 0;
    }
    const std::u16string cercato =
        NODREL1::SenzaOmocodia(NODREL1::CodiceNormale(codice)).substr(11, 4);
    fuzz::Esigi(esito.dati->catastale == cercato, "the data carry the code's municipality");
    // The register is sound: the municipality is found or not, and found under its own code.
    fuzz::Esigi(esito.comune == nullptr || esito.comune->codice == cercato,
                "the municipality found has that code");
    fuzz::Esigi((esito.comune == nullptr) == (registro->PerCodice(cercato) == nullptr),
                "a municipality is found exactly when the register has its code");
    return 0;
}
