#pragma once

// The municipality register over SQLite: the database and the cursor the engine works through.

#include <memory>
#include <string>

#include "engine/registro.h"

namespace nodrel {

// Error numbers of the register's own, beside those of engine/errore.h. Failures that SQLite
// reports carry its primary result code (14 cannot open, 26 not a database, 11 damaged, ...).
inline constexpr long kErrTabellaSconosciuta = 3078;
inline constexpr long kErrNessunIndice = 3019;
inline constexpr long kErrConfrontoNonValido = 3001;
inline constexpr long kErrNessunRecordCorrente = 3021;

// Opens the register file for reading only. It never creates, locks or writes the file, and
// leaves no journal beside it. A file that is missing, unreadable, not a database or damaged
// raises a NODREL1::Errore here; the table and its indexes are checked by OpenRecordset(u"Comuni"),
// so a broken register fails at start-up and not at the first lookup.
std::shared_ptr<NODREL1::Database> ApriDatabase(const std::u16string& percorso);

}  // namespace nodrel
