// Composition and verification from module variables that all come from the input: surname,
// name, sex, date, the cadastral code of the municipality chosen, then the code to verify.

#include "engine/nodrel1.h"
#include "ingresso.h"

namespace {

const std::u16string kPrecedente = u"RSS MRA 80A01 H501 U";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    using namespace NODREL1;
    const std::u16string testo = fuzz::Testo(dati, n);
    std::u16string_view resto = testo;
    Modulo m;
    m.Cognome = fuzz::Prendi(resto);
    m.Nome = fuzz::Prendi(resto);
    m.Sesso = fuzz::Prendi(resto);
    m.DataNascita = fuzz::Prendi(resto);
    const Comune scelto{fuzz::Prendi(resto), u"ROMA", u"RM", u"1871-01-01", u"9999-12-31"};
    m.Luogo = scelto.nome;
    m.Codice = kPrecedente;
    const Composizione esito = m.CalcolaCodice(&scelto, false);
    if (!esito.rifiuto) {
        fuzz::Esigi(esito.comune == &scelto, "without a register the code chosen is the one used");
        fuzz::Esigi(m.Codice.substr(14, 4) == scelto.codice, "the code carries the code chosen");
        fuzz::Esigi(EsaminaCodice(m.Codice).Corretto(), "a composed code is a right code");
    } else {
        fuzz::Esigi(!esito.rifiuto->messaggio.empty(), "a refusal says why");
        fuzz::Esigi(m.Codice == kPrecedente, "a refusal leaves the code as it was");
    }

    const std::u16string_view verdetto = m.ControllaCodice(std::u16string(resto));
    fuzz::Esigi(verdetto == kMsgCodiceCorretto || verdetto == kMsgCodiceErrato,
                "a verification gives one verdict");
    return 0;
}
