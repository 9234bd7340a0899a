#pragma once

// The municipality register over SQLite, as the program opens it: the file checked and opened
// here, its table checked by register/schema.h, read through the cursor of register/cursore.h;
// the SQLite helpers of register/sqlite.h are shared with the build tool.

#include <memory>
#include <string>

#include "engine/errore.h"
#include "engine/registro.h"

namespace nodrel {

// The register's error numbers are in the catalogue of engine/errore.h. Failures that SQLite
// reports carry its primary result code (14 cannot open, 26 not a database, 11 damaged, ...).

// Opens the register file for reading only. It never creates, locks or writes the file, and
// leaves no journal beside it. A file that is missing, unreadable, not a database or damaged
// raises a NODREL1::Errore here; the table and its indexes are checked by OpenRecordset(u"Comuni"),
// so a broken register fails at start-up and not at the first lookup.
std::shared_ptr<NODREL1::Database> ApriDatabase(const std::u16string& percorso);

}  // namespace nodrel
