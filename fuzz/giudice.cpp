// A row with people judged both ways: on its bytes where the quick way takes it, and by the full
// judging through UTF-16. The two must give the same outcome, reason, notes and differences; a
// code beside a person that is not the person's own is the worst thing a list can get wrong.
// Input: a byte of the columns the list has (code, surname, name, sex, date, municipality,
// province; the top bit: the code is the one the person composes to), a byte that changes one
// of its characters, then the cells, each ended by a line feed, and other dates of birth the row
// is judged again with, by the same judges: what they learnt of one date must not answer for
// another.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ingresso.h"
#include "lists/giudice.h"

namespace {

const std::chrono::year_month_day kOggi = std::chrono::year{2026} / 6 / 15;

nodrel::RegistroAtteso& Registro() {
    // Homonyms, periods that begin and end, an apostrophe and an accent.
    static const auto registro =
        std::make_shared<const NODREL1::Registro>(std::vector<NODREL1::Comune>{
            {u"H501", u"ROMA", u"RM", u"1871-01-01", u"9999-12-31"},
            {u"C337", u"CASTRO", u"BG", u"1861-03-17", u"9999-12-31"},
            {u"M261", u"CASTRO", u"LE", u"1975-05-28", u"9999-12-31"},
            {u"E490", u"LA VALLE", u"BL", u"1866-11-19", u"1964-10-01"},
            {u"E491", u"LA VALLE", u"BZ", u"1920-10-16", u"1928-06-15"},
            {u"E491", u"LA VALLE", u"BZ", u"1964-06-10", u"9999-12-31"},
            {u"B001", u"BORGO", u"PD", u"1861-03-17", u"1928-01-01"},
            {u"B001", u"BORGO", u"PD", u"1947-01-02", u"9999-12-31"},
            {u"D704", u"FORLI'", u"FC", u"1861-03-17", u"9999-12-31"},
            {u"A753", u"BELLIZZI", u"AV", u"1861-03-17", u"1934-06-12"},
            {u"M294", u"BELLIZZI", u"SA", u"1990-01-30", u"9999-12-31"},
        });
    static nodrel::RegistroAtteso atteso(registro);
    return atteso;
}

void Uguali(const nodrel::RigaGiudicata& a, const nodrel::RigaGiudicata& b) {
    const nodrel::VoceElenco& x = a.voce;
    const nodrel::VoceElenco& y = b.voce;
    fuzz::Esigi(a.codice == b.codice && x.codice == y.codice && x.calcolato == y.calcolato,
                "the same code");
    fuzz::Esigi(x.esame.difetto == y.esame.difetto && x.esame.posizione == y.esame.posizione &&
                    x.esame.atteso == y.esame.atteso && x.esame.omocodico == y.esame.omocodico,
                "the same outcome");
    fuzz::Esigi(x.rifiuto == y.rifiuto && x.note == y.note, "the same reason and notes");
    fuzz::Esigi(x.nonCorrisponde == y.nonCorrisponde && x.differenze == y.differenze,
                "the same differences");
    fuzz::Esigi(a.luogoGiudicato == b.luogoGiudicato && (!a.luogoGiudicato || x.luogo == y.luogo),
                "the same municipality");
    fuzz::Esigi(!x.esame.Corretto() || (a.chiave == b.chiave && a.omocodia == b.omocodia),
                "the same key");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    if (n < 2) {
        return 0;
    }
    const unsigned colonne = dati[0];
    const unsigned ritocco = dati[1];
    std::string_view resto(reinterpret_cast<const char*>(dati + 2), n - 2);
    auto cella = [&resto] {
        const std::size_t fine = resto.find('\n');
        std::string c(resto.substr(0, fine));
        resto.remove_prefix(fine == std::string_view::npos ? resto.size() : fine + 1);
        return c;
    };
    std::array<std::string, 7> celle;
    for (std::string& c : celle) {
        c = cella();
    }
    nodrel::FormaElenco forma;
    forma.separatore = ';';
    forma.codice = (colonne & 1) != 0 ? 0 : -1;
    for (std::size_t i = 0; i < nodrel::kColonnePersona; ++i) {
        forma.persona[i] = (colonne >> (i + 1) & 1) != 0 ? static_cast<int>(i + 1) : -1;
    }
    if (!forma.Persone()) {
        return 0;
    }
    nodrel::Giudice rapido(&Registro(), kOggi);
    nodrel::Giudice pieno(&Registro(), kOggi, false);
    auto giudica = [&](nodrel::Giudice& giudice, nodrel::RigaGiudicata& r) {
        r.celle.assign(celle.begin(), celle.end());
        giudice.Giudica(r, forma, 2);
    };
    if ((colonne & 0x80) != 0 && forma.codice >= 0) {
        // The person's own code, as composing gives it, perhaps with one character changed.
        celle[0].clear();
        nodrel::RigaGiudicata r;
        giudica(pieno, r);
        if (r.voce.calcolato && r.voce.rifiuto.empty()) {
            celle[0] = r.calcolato;
            if (ritocco < 16 * 8) {
                celle[0][ritocco % 16] = "ABLMZ059"[ritocco / 16];
            }
        }
    }
    for (int volte = 0; volte < 4; ++volte) {
        nodrel::RigaGiudicata a;
        nodrel::RigaGiudicata b;
        giudica(rapido, a);
        giudica(pieno, b);
        Uguali(a, b);
        if (resto.empty()) {
            break;
        }
        celle[4] = cella();
    }
    return 0;
}
