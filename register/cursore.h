#pragma once

// The cursor on the table Comuni of an open register, as the engine sees it: a
// NODREL1::Recordset over SQLite statements.

#include <sqlite3.h>

#include <memory>

#include "engine/registro.h"

namespace nodrel {

// The connection, shared by the database and every cursor on it: a cursor outlives the
// database object it came from.
using Connessione = std::shared_ptr<sqlite3>;

// A cursor on a table already checked (register/schema.h), with no order chosen yet.
std::shared_ptr<NODREL1::Recordset> ApriCursore(Connessione db);

}  // namespace nodrel
