#pragma once

// The shape of the register's table as it is read, and the check, run when the file is
// opened, that a file has that shape.

#include <sqlite3.h>

#include <array>
#include <string>
#include <string_view>

namespace nodrel {

// The columns a record is read in, in this order.
inline constexpr std::array<std::u16string_view, 5> kColonne = {
    u"COMU_COD", u"COMU_DESCR", u"COMU_PROV", u"COMU_DAL", u"COMU_AL"};

// What a failure on the table names in its description.
inline const std::u16string kContesto = u"tabella Comuni";

// Checks the table, its columns and its indexes, so that a file that is not a register the
// build tool made is refused at start-up.
void ControllaTabella(sqlite3* db);

}  // namespace nodrel
