// Composition and verification through a main window whose fields all come from the input:
// surname, name, sex, date, the hidden cadastral code (Text8), then the code to verify.

#include "engine/nodrel1.h"
#include "fuzz/ingresso.h"
#include "tests/finestra_finta.h"

namespace {

const std::u16string kPrecedente = u"RSS MRA 80A01 H501 U";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    using namespace NODREL1;
    const std::u16string testo = fuzz::Testo(dati, n);
    std::u16string_view resto = testo;
    prova::FinestraFinta finestra;
    CollegaFinestra(&finestra);

    Cognome = fuzz::Prendi(resto);
    Nome = fuzz::Prendi(resto);
    Sesso = fuzz::Prendi(resto);
    DataNascita = fuzz::Prendi(resto);
    finestra[Campo::Text8] = fuzz::Prendi(resto);
    Codice = kPrecedente;
    if (CalcolaCodice()) {
        fuzz::Esigi(finestra.messaggi.empty(), "a composition tells the user nothing");
        fuzz::Esigi(Luogo == finestra[Campo::Text8], "the place group is Text8 as it is");
        fuzz::Esigi(EsaminaCodice(Codice).Corretto(), "a composed code is a right code");
    } else {
        fuzz::Esigi(finestra.messaggi.size() == 1, "a refusal is told once");
        fuzz::Esigi(Codice == kPrecedente, "a refusal leaves the code as it was");
    }

    finestra.messaggi.clear();
    ControllaCodice(std::u16string(resto));
    fuzz::Esigi(finestra.messaggi.size() == 1 && (finestra.messaggi[0] == kMsgCodiceCorretto ||
                                                  finestra.messaggi[0] == kMsgCodiceErrato),
                "a verification gives one verdict");

    CollegaFinestra(nullptr);
    return 0;
}
