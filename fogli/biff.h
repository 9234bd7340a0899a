#pragma once

// The parts of an .xls that FreeXL does not give: formulas' last values and the number
// formats that pad numbers with noughts.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fogli/interno.h"
#include "fogli/xml.h"

namespace nodrel::biff {

struct Formula {
    enum class Tipo : std::uint8_t { Numero, Testo, Booleano, Errore } tipo = Tipo::Numero;
    double numero = 0;
    std::string testo;  // of the other types, as shown
    celle::Stile stile;
};

// A worksheet's cells by row << 16 | column, from 0.
struct Foglio {
    std::unordered_map<std::uint32_t, int> cifre;  // numbers of a format of noughts: its digits
    std::unordered_map<std::uint32_t, Formula> formule;
};

struct Libro {
    std::vector<celle::Stile> stili;  // by the cells' style (XF) number
    bool dal1904 = false;
    std::vector<Foglio> fogli;  // the worksheets, in the workbook's order
};

// Reads them from the bytes of the file; false when it holds no BIFF workbook.
bool Leggi(std::string_view file, Libro& libro);

}  // namespace nodrel::biff
