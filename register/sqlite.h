#pragma once

// What the register and its build tool share of SQLite: handles that close and finalize
// themselves, opening, preparing and stepping, and a failed call raised as a NODREL1::Errore
// that carries SQLite's primary result code and an Italian description.

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

namespace nodrel {

struct ChiudiDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, ChiudiDb>;

struct FinalizzaStmt {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, FinalizzaStmt>;

// The description of a primary result code, in Italian.
std::u16string DescrizioneSqlite(int primario);

// Raises the failure `rc` as an Errore numbered with its primary result code (SQLITE_ERROR for
// one that is no error), the description followed by `dettaglio` in brackets.
[[noreturn]] void FallisciSqlite(int rc, const std::u16string& dettaglio);

// Opens a connection into `db` and returns SQLite's result code. The handle is kept even when
// the open fails, so that SQLite's message can still be read from it.
int Apri(const std::string& nome, int flags, Db& db);

// Prepares one statement, meant to be kept and run again; a failure raises an Errore whose
// description names `contesto`.
Stmt Prepara(sqlite3* db, std::string_view sql, const std::u16string& contesto);

// Runs SQL text of one or more statements that return no rows.
void Esegui(sqlite3* db, const char* sql, const std::u16string& contesto);

// One step; true on a row, false when there is none.
inline bool Passo(sqlite3_stmt* s, const std::u16string& contesto) {
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    sqlite3_reset(s);
    FallisciSqlite(rc, contesto);
}

// A column's text, empty for NULL.
inline std::string_view Testo(sqlite3_stmt* s, int i) {
    const auto* testo = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    return testo == nullptr
               ? std::string_view()
               : std::string_view(testo, static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
}

// Binds a copy of `testo`: the caller's text may be gone before the statement runs.
inline void Lega(sqlite3_stmt* s, int i, std::string_view testo) {
    sqlite3_bind_text(s, i, testo.data(), static_cast<int>(testo.size()), SQLITE_TRANSIENT);
}

}  // namespace nodrel
