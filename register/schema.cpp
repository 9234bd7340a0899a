#include "register/schema.h"

#include "engine/errore.h"
#include "engine/testo.h"
#include "register/sqlite.h"

namespace nodrel {

using NODREL1::Errore;
using NODREL1::Utf8;

namespace {

// A column's text as SQLite keeps it, NUL-terminated; null for NULL.
const char* TestoC(sqlite3_stmt* s, int i) {
    return reinterpret_cast<const char*>(sqlite3_column_text(s, i));
}

}  // namespace

void ControllaTabella(sqlite3* db) {
    Stmt s = Prepara(db,
                     "SELECT count(*) FROM sqlite_schema"
                     " WHERE type = 'table' AND name = 'Comuni' COLLATE NOCASE",
                     kContesto);
    if (!Passo(s.get(), kContesto) || sqlite3_column_int(s.get(), 0) == 0) {
        throw Errore(NODREL1::kErrTabellaSconosciuta, u"nel database manca la tabella Comuni");
    }

    s = Prepara(db,
                "SELECT count(*) FROM pragma_table_info('Comuni')"
                " WHERE name = ?1 COLLATE NOCASE",
                kContesto);
    for (std::u16string_view colonna : kColonne) {
        sqlite3_reset(s.get());
        Lega(s.get(), 1, Utf8(colonna));
        if (!Passo(s.get(), kContesto) || sqlite3_column_int(s.get(), 0) == 0) {
            throw Errore(NODREL1::kErrColonnaSconosciuta,
                         u"nella tabella Comuni manca la colonna " + std::u16string(colonna));
        }
    }

    // Each index must order its column alone, ascending, over every row, with the comparison
    // its lookup needs; any other shape would make a seek sort or miss rows.
    s = Prepara(db,
                "SELECT il.partial, x.name, x.coll, x.desc"
                " FROM pragma_index_list('Comuni') AS il, pragma_index_xinfo(il.name) AS x"
                " WHERE il.name = ?1 COLLATE NOCASE AND x.key = 1",
                kContesto);
    for (auto [indice, confronto] :
         {std::pair{u"COMU_DESCR", "NOCASE"}, std::pair{u"COMU_COD", "BINARY"}}) {
        const std::u16string nome = indice;
        sqlite3_reset(s.get());
        Lega(s.get(), 1, Utf8(nome));
        if (!Passo(s.get(), kContesto)) {
            throw Errore(NODREL1::kErrIndiceSconosciuto,
                         u"nella tabella Comuni manca l'indice " + nome);
        }
        // SQLite's names are compared without regard to ASCII case.
        const bool buono = sqlite3_column_int(s.get(), 0) == 0 &&
                           sqlite3_stricmp(TestoC(s.get(), 1), Utf8(nome).c_str()) == 0 &&
                           sqlite3_stricmp(TestoC(s.get(), 2), confronto) == 0 &&
                           sqlite3_column_int(s.get(), 3) == 0;
        if (!buono || Passo(s.get(), kContesto)) {
            throw Errore(NODREL1::kErrIndiceSconosciuto,
                         u"l'indice " + nome +
                             u" della tabella Comuni non è adatto: deve ordinare tutte le righe"
                             u" per la sola colonna " +
                             nome +
                             (nome == u"COMU_COD" ? u", per valore esatto"
                                                  : u", senza distinzione di maiuscole"));
        }
    }
}

}  // namespace nodrel
