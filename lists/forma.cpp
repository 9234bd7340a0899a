#include "lists/forma.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "engine/esame.h"

namespace nodrel {

namespace {

// A header's name without case, blanks, dots and underscores.
std::string Nome(std::string_view cella) {
    std::string n;
    for (char c : cella) {
        if (c != ' ' && c != '.' && c != '_' && c != '\t') {
            n += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    return n;
}

// What a header's name makes of its column: the person's (0-5, as VoceElenco::persona), the
// tax code (kCodice), or a bare "codice", which a list also uses for numbers of its own and so
// names the code only when its values look like codes (kForseCodice); -1 for none.
constexpr int kCodice = 6;
constexpr int kForseCodice = 7;

int Colonna(std::string_view cella) {
    static const std::pair<std::string_view, int> kNomi[] = {{"codicefiscale", kCodice},
                                                             {"codfiscale", kCodice},
                                                             {"cf", kCodice},
                                                             {"codice", kForseCodice},
                                                             {"cognome", 0},
                                                             {"nome", 1},
                                                             {"sesso", 2},
                                                             {"datadinascita", 3},
                                                             {"datanascita", 3},
                                                             {"natoil", 3},
                                                             {"luogodinascita", 4},
                                                             {"comunedinascita", 4},
                                                             {"comune", 4},
                                                             {"provincia", 5},
                                                             {"prov", 5}};
    if (cella.size() > 24) {
        return -1;
    }
    const std::string n = Nome(cella);
    for (const auto& [nome, colonna] : kNomi) {
        if (n == nome) {
            return colonna;
        }
    }
    return -1;
}

// How much a cell looks like a code: 2 for a right one, 1 for one of a code's lengths.
int Somiglianza(std::string_view cella) {
    const NODREL1::CodiceCompatto k = NODREL1::Compatta(cella);
    if (k.n != NODREL1::kLunghezzaPersonale && k.n != NODREL1::kLunghezzaNumerica) {
        return 0;
    }
    return NODREL1::Esamina(k).Corretto() ? 2 : 1;
}

// How much the values of column `c` in the rows after `dopo` look like codes; -1 when most of
// those filled are not even of a code's length.
int Somiglianze(const std::vector<RigaDiCelle>& righe, std::size_t c, std::uint64_t dopo) {
    int punti = 0;
    int piene = 0;
    int lunghe = 0;
    for (const RigaDiCelle& riga : righe) {
        if (riga.numero > dopo && c < riga.celle.size() && !riga.celle[c].empty()) {
            const int s = Somiglianza(riga.celle[c]);
            punti += s;
            ++piene;
            lunghe += s > 0;
        }
    }
    return piene > 0 && 2 * lunghe >= piene ? punti : -1;
}

}  // namespace

FormaElenco TrovaForma(const std::vector<RigaDiCelle>& righe, char separatore, bool soloPersone) {
    FormaElenco forma;
    forma.separatore = separatore;
    // A header: the first of these rows with a cell named as the lists name their columns.
    std::size_t colonne = 0;
    int forseCodice = -1;
    for (std::size_t r = 0; r < righe.size(); ++r) {
        colonne = std::max(colonne, righe[r].celle.size());
        if (forma.intestazione != 0) {
            continue;
        }
        std::array<int, 8> trovate{-1, -1, -1, -1, -1, -1, -1, -1};
        bool nome = false;
        for (std::size_t c = 0; c < righe[r].celle.size(); ++c) {
            const int k = Colonna(righe[r].celle[c]);
            if (k >= 0 && trovate[static_cast<std::size_t>(k)] < 0) {
                trovate[static_cast<std::size_t>(k)] = static_cast<int>(c);
                nome = true;
            }
        }
        if (nome) {
            forma.intestazione = righe[r].numero;
            forma.colonne = righe[r].celle;
            forma.codice = trovate[kCodice];
            forseCodice = trovate[kForseCodice];
            std::copy_n(trovate.begin(), kColonnePersona, forma.persona.begin());
        }
    }
    if (soloPersone) {
        if (forma.intestazione == 0) {
            for (std::size_t i = 0; i < kColonnePersona; ++i) {
                forma.persona[i] = static_cast<int>(i);
            }
        }
        forma.codice = -1;
        return forma;
    }
    if (forma.intestazione != 0 && forma.codice >= 0) {
        return forma;
    }
    // No column named for the code: the one whose values look most like codes (the first on a
    // tie) among those not named for the person, a bare "codice" among them.
    auto persona = [&forma](std::size_t c) {
        return std::find(forma.persona.begin(), forma.persona.end(), static_cast<int>(c)) !=
               forma.persona.end();
    };
    int migliore = -1;
    int punti = 0;
    for (std::size_t c = 0; c < colonne; ++c) {
        if (persona(c)) {
            continue;
        }
        const int p = Somiglianze(righe, c, forma.intestazione);
        if (p > punti) {
            migliore = static_cast<int>(c);
            punti = p;
        }
    }
    forma.codice = migliore >= 0      ? migliore
                   : forma.Persone()  ? -1
                   : forseCodice >= 0 ? forseCodice
                                      : 0;
    return forma;
}

bool ContieneElenco(const std::vector<RigaDiCelle>& righe, bool soloPersone) {
    const FormaElenco forma = TrovaForma(righe, '\t', false);
    if (forma.intestazione != 0 && forma.Persone()) {
        return true;
    }
    if (soloPersone) {
        return false;
    }
    // A code's column, by its name or by its values.
    if (forma.codice < 0) {
        return false;
    }
    const auto c = static_cast<std::size_t>(forma.codice);
    const bool nominata =
        forma.intestazione != 0 && c < forma.colonne.size() && Colonna(forma.colonne[c]) == kCodice;
    return nominata || Somiglianze(righe, c, forma.intestazione) > 0;
}

}  // namespace nodrel
