#pragma once

// The shape of the register's table as the cursor reads it, and the checks, run when the table
// is opened, that a file has that shape.

#include <sqlite3.h>

#include <array>
#include <string>
#include <string_view>

namespace nodrel {

// The columns a record is read in, in this order.
inline constexpr std::array<std::u16string_view, 5> kColonne = {
    u"COMU_COD", u"COMU_DESCR", u"COMU_PROV", u"COMU_DAL", u"COMU_AL"};
inline constexpr std::size_t kCod = 0;
inline constexpr std::size_t kDescr = 1;

// What a failure on the table names in its description.
inline const std::u16string kContesto = u"tabella Comuni";

// Checks the table the cursor works on, so that a register that cannot serve the lookups is
// refused at start-up instead of failing, or answering wrongly, at the first key.
void ControllaTabella(sqlite3* db);

// One pass over the rows: every value present, text, and of a sane length; the dates of the
// shape YYYY-MM-DD, which their text order relies on.
void ControllaValori(sqlite3* db);

}  // namespace nodrel
