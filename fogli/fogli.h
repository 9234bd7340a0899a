#pragma once

// The first sheet of a spreadsheet (.xlsx or .ods), read a row at a time, so that a list kept in
// one is checked as it is, without exporting it first.

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nodrel {

// Whether a file is a spreadsheet by its name: .xlsx or .ods, in any case.
bool Foglio(const QString& percorso);

// One row: its number in the sheet (from 1) and its cells as shown, UTF-8, dates as AAAA-MM-GG.
// Rows with no cell are not handed over. Returning false stops the reading.
using RigaFoglio = std::function<bool(std::uint64_t riga, const std::vector<std::string>& celle)>;

// Reads the first sheet; false with the reason, in Italian, when the file is no spreadsheet that
// can be read. A reading stopped by `riga` is no failure.
bool LeggiFoglio(const QString& percorso, const RigaFoglio& riga, QString& errore);

}  // namespace nodrel
