// Decoding any typed code through a main window, over the register the project builds.

#include <cstdlib>

#include "engine/interno.h"
#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "fuzz/ingresso.h"
#include "register/comuni.h"
#include "tests/finestra_finta.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // NODREL_REGISTRO points elsewhere, e.g. at a register being tried out.
    const char* percorso = std::getenv("NODREL_REGISTRO");
    NODREL1::DbComuni =
        nodrel::ApriDatabase(NODREL1::Utf16(percorso != nullptr ? percorso : NODREL_FUZZ_REGISTRO));
    NODREL1::RsComuni = NODREL1::DbComuni->OpenRecordset(u"Comuni");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    using NODREL1::Campo;
    const std::u16string codice = fuzz::Testo(dati, n);
    prova::FinestraFinta finestra;
    finestra[Campo::Text1] = codice;
    finestra[Campo::Text5] = u"MILANO";
    finestra[Campo::Text6] = u"MI";
    finestra[Campo::Text8] = u"F205";
    NODREL1::CollegaFinestra(&finestra);
    NODREL1::EstraiDati(codice);
    NODREL1::CollegaFinestra(nullptr);

    if (finestra.sesso < 0) {
        fuzz::Esigi(finestra.messaggi == std::vector<std::u16string>{NODREL1::kMsgCodiceNonValido},
                    "a code refused is told as such");
        fuzz::Esigi(finestra[Campo::Text1] == codice, "a code refused is kept");
        return 0;
    }
    // The register is sound and open: the municipality is found or not, never an error.
    if (finestra.messaggi.empty()) {
        const std::u16string cercato =
            NODREL1::SenzaOmocodia(NODREL1::CodiceNormale(codice)).substr(11, 4);
        fuzz::Esigi(finestra[Campo::Text8] == cercato, "the municipality found has that code");
    } else {
        fuzz::Esigi(
            finestra.messaggi == std::vector<std::u16string>{NODREL1::kMsgComuneNonInElenco},
            "only a municipality not found is told");
        fuzz::Esigi(finestra[Campo::Text8] == u"F205", "a municipality not found keeps Text8");
    }
    return 0;
}
