// A list of codes from any bytes, handed over in two pieces cut where the first byte says: the
// lines and outcomes do not depend on the cut, and each outcome is that of the code alone.

#include <string>
#include <vector>

#include "engine/elenco.h"
#include "engine/testo.h"
#include "ingresso.h"

namespace {

// With `dueLetture`, read as a file is: a first reading that only marks the codes, then the
// reading proper; with `parallelo` too, its plain lines written on two threads.
std::string Verifica(std::string_view testo, std::size_t taglio, bool dueLetture = false,
                     bool parallelo = false) {
    NODREL1::ElencoCodici elenco([](std::u16string_view c) { return c[3] != u'9'; });
    std::string out;
    if (parallelo) {
        elenco.ScriviInParallelo([&out](std::string_view testo) { out += testo; }, 2);
    }
    if (dueLetture) {
        elenco.PrimaLettura();
        auto niente = [](const NODREL1::VoceElenco&) {
            fuzz::Esigi(false, "the first reading hands no row");
        };
        elenco.Leggi(testo.substr(0, taglio), niente);
        elenco.Leggi(testo.substr(taglio), niente);
        elenco.Fine(niente);
        elenco.SecondaLettura();
    }
    auto voce = [&out](const NODREL1::VoceElenco& v) {
        const NODREL1::Esame da_solo = NODREL1::EsaminaCodice(NODREL1::Utf16(v.codice));
        fuzz::Esigi(v.esame.difetto == da_solo.difetto && v.esame.posizione == da_solo.posizione &&
                        v.esame.atteso == da_solo.atteso && v.esame.omocodico == da_solo.omocodico,
                    "a line's outcome is its code's");
        NODREL1::ScriviVerifica(out, v);
    };
    elenco.Leggi(testo.substr(0, taglio), voce);
    elenco.Leggi(testo.substr(taglio), voce);
    elenco.Fine(voce);
    const NODREL1::Riepilogo& r = elenco.Totali();
    fuzz::Esigi(r.codici == r.corretti + r.errati + r.nonCorrispondenti &&
                    r.duplicati <= r.corretti + r.nonCorrispondenti,
                "the counts add up");
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    if (n == 0) {
        return 0;
    }
    const std::string_view testo(reinterpret_cast<const char*>(dati + 1), n - 1);
    const std::size_t taglio = dati[0] % (testo.size() + 1);
    const std::string una = Verifica(testo, testo.size());
    fuzz::Esigi(Verifica(testo, taglio) == una, "the lines do not depend on how the text comes");
    fuzz::Esigi(Verifica(testo, taglio, true) == una, "reading twice finds the same duplicates");
    fuzz::Esigi(Verifica(testo, taglio, true, true) == una, "two threads write the same lines");
    return 0;
}
