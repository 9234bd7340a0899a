#pragma once

// How a list is laid out: the header row, the column of the code and those of the person, told
// from its first rows.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lists/righe.h"
#include "lists/voce.h"

namespace nodrel {

struct FormaElenco {
    char separatore = 0;  // ';' ',' '\t' '|', or 0 for one cell a row
    int codice = 0;       // the column of the code, -1 for none
    // The person's columns, as VoceElenco::persona; -1 for none.
    std::array<int, kColonnePersona> persona{-1, -1, -1, -1, -1, -1};
    std::uint64_t intestazione = 0;    // the row of the header (those above it are titles), 0
                                       // for none
    std::vector<std::string> colonne;  // the header's names, UTF-8; empty without one

    int Colonna(ColonnaPersona c) const { return persona[static_cast<std::size_t>(c)]; }
    bool Persone() const {
        return Colonna(ColonnaPersona::Cognome) >= 0 || Colonna(ColonnaPersona::Nome) >= 0;
    }
    // The code is the only thing a row holds: most rows are then a plain line each.
    bool SoloCodice() const { return codice == 0 && !Persone(); }
};

// The rows looked at for the header and the layout.
inline constexpr std::size_t kRigheTesta = 20;

// The layout of the first rows of a list (those with a cell filled, at most kRigheTesta): a
// header is the first row with a cell named as the lists name their columns; without one, the
// code is the column whose values look most like codes. With `soloPersone` every row is a person
// to compose a code for: without a header the columns are cognome, nome, sesso, data, comune,
// provincia.
FormaElenco TrovaForma(const std::vector<RigaDiCelle>& righe, char separatore, bool soloPersone);

// Whether the first rows of a workbook's sheet hold a list: a header that names the code's column
// or the person's, or a column whose values look like codes; with `soloPersone`, a header that
// names the person's. A cover sheet, a sheet of notes do not.
bool ContieneElenco(const std::vector<RigaDiCelle>& righe, bool soloPersone);

}  // namespace nodrel
