#pragma once

// The municipality register over SQLite, as the program opens it: the file checked and read
// here, its table's shape checked by register/schema.h; the SQLite helpers of register/sqlite.h
// are shared with the build tool.

#include <memory>
#include <string>

#include "engine/errore.h"
#include "engine/registro.h"

namespace nodrel {

// The register's error numbers are in the catalogue of engine/errore.h. Failures that SQLite
// reports carry its primary result code (14 cannot open, 26 not a database, 11 damaged, ...)
// and SQLite's own message in the description.

// Opens the register file for reading only, checks it (the file, its integrity, the table, its
// columns and indexes, every value) and reads its table once into memory. It never creates,
// locks or writes the file, and leaves no journal beside it. Any failure raises a
// NODREL1::Errore here, so a broken register fails at start-up and not at the first lookup.
std::shared_ptr<const NODREL1::Registro> ApriRegistro(const std::u16string& percorso);

}  // namespace nodrel
