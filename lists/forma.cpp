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

// -1: no name the lists use; 6: the code; 0-5: the person's, as VoceElenco::persona.
int Colonna(std::string_view cella) {
    static const std::pair<std::string_view, int> kNomi[] = {
        {"codicefiscale", 6}, {"codfiscale", 6},     {"cf", 6},
        {"codice", 6},        {"cognome", 0},        {"nome", 1},
        {"sesso", 2},         {"datadinascita", 3},  {"datanascita", 3},
        {"natoil", 3},        {"luogodinascita", 4}, {"comunedinascita", 4},
        {"comune", 4},        {"provincia", 5},      {"prov", 5}};
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

}  // namespace

FormaElenco TrovaForma(const std::vector<RigaDiCelle>& righe, char separatore, bool soloPersone) {
    FormaElenco forma;
    forma.separatore = separatore;
    // A header: the first of these rows with a cell named as the lists name their columns.
    std::size_t colonne = 0;
    for (std::size_t r = 0; r < righe.size(); ++r) {
        colonne = std::max(colonne, righe[r].celle.size());
        if (forma.intestazione != 0) {
            continue;
        }
        std::array<int, 7> trovate{-1, -1, -1, -1, -1, -1, -1};
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
            forma.codice = trovate[6];
            std::copy_n(trovate.begin(), 6, forma.persona.begin());
        }
    }
    if (forma.intestazione == 0) {
        if (soloPersone) {
            forma.codice = -1;
            for (int i = 0; i < 6; ++i) {
                forma.persona[static_cast<std::size_t>(i)] = i;
            }
        } else {
            // The column whose values look most like codes; the first on a tie.
            std::vector<int> punti(colonne, 0);
            for (const auto& riga : righe) {
                for (std::size_t c = 0; c < riga.celle.size(); ++c) {
                    punti[c] += Somiglianza(riga.celle[c]);
                }
            }
            forma.codice = 0;
            for (std::size_t c = 1; c < punti.size(); ++c) {
                if (punti[c] > punti[static_cast<std::size_t>(forma.codice)]) {
                    forma.codice = static_cast<int>(c);
                }
            }
        }
    }
    if (soloPersone) {
        forma.codice = -1;
    }
    return forma;
}

}  // namespace nodrel
