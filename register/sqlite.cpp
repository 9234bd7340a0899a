#include "register/sqlite.h"

#include <utility>

#include "engine/errore.h"

namespace nodrel {

namespace {

constexpr std::pair<int, std::u16string_view> kDescrizioni[] = {
    {SQLITE_INTERNAL, u"errore interno del motore del database"},
    {SQLITE_PERM, u"permesso negato"},
    {SQLITE_ABORT, u"operazione interrotta"},
    {SQLITE_BUSY, u"il file del database è bloccato"},
    {SQLITE_LOCKED, u"una tabella del database è bloccata"},
    {SQLITE_NOMEM, u"memoria insufficiente"},
    {SQLITE_READONLY, u"il database è in sola lettura"},
    {SQLITE_INTERRUPT, u"operazione interrotta"},
    {SQLITE_IOERR, u"errore di lettura del disco"},
    {SQLITE_CORRUPT, u"l'immagine del database è danneggiata"},
    {SQLITE_FULL, u"il disco è pieno"},
    {SQLITE_CANTOPEN, u"impossibile aprire il file del database"},
    {SQLITE_PROTOCOL, u"errore nel protocollo di blocco del database"},
    {SQLITE_SCHEMA, u"lo schema del database è cambiato"},
    {SQLITE_TOOBIG, u"testo o dato troppo grande"},
    {SQLITE_CONSTRAINT, u"vincolo violato"},
    {SQLITE_MISMATCH, u"tipo di dato non corrispondente"},
    {SQLITE_MISUSE, u"uso scorretto della libreria del database"},
    {SQLITE_NOLFS, u"file troppo grande per il sistema"},
    {SQLITE_AUTH, u"autorizzazione negata"},
    {SQLITE_RANGE, u"parametro fuori intervallo"},
    {SQLITE_NOTADB, u"il file non è un database"},
};

}  // namespace

std::u16string DescrizioneSqlite(int primario) {
    for (const auto& [codice, descrizione] : kDescrizioni) {
        if (codice == primario) {
            return std::u16string(descrizione);
        }
    }
    return u"errore del database";
}

void FallisciSqlite(int rc, const std::u16string& dettaglio) {
    int primario = rc & 0xFF;
    if (primario == SQLITE_OK || primario == SQLITE_ROW || primario == SQLITE_DONE) {
        primario = SQLITE_ERROR;
    }
    throw NODREL1::Errore(primario, DescrizioneSqlite(primario) + u" (" + dettaglio + u")");
}

int Apri(const std::string& nome, int flags, Db& db) {
    sqlite3* grezzo = nullptr;
    const int rc = sqlite3_open_v2(nome.c_str(), &grezzo, flags, nullptr);
    db.reset(grezzo);
    return rc;
}

Stmt Prepara(sqlite3* db, std::string_view sql, const std::u16string& contesto) {
    sqlite3_stmt* s = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(s);
        FallisciSqlite(rc, contesto);
    }
    return Stmt(s);
}

void Esegui(sqlite3* db, const char* sql, const std::u16string& contesto) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        FallisciSqlite(rc, contesto);
    }
}

}  // namespace nodrel
