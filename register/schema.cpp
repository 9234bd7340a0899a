#include "register/schema.h"

#include "engine/errore.h"
#include "engine/testo.h"
#include "register/limiti.h"
#include "register/sqlite.h"

namespace nodrel {

using NODREL1::Errore;
using NODREL1::Utf16;
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

void ControllaValori(sqlite3* db) {
    Stmt s = Prepara(db,
                     "SELECT rowid,"
                     " typeof(COMU_COD), length(COMU_COD),"
                     " typeof(COMU_DESCR), length(COMU_DESCR),"
                     " typeof(COMU_PROV), length(COMU_PROV),"
                     " typeof(COMU_DAL), length(COMU_DAL),"
                     " typeof(COMU_AL), length(COMU_AL),"
                     " COMU_DAL GLOB ?2, COMU_AL GLOB ?2"
                     " FROM Comuni"
                     " WHERE typeof(COMU_COD) <> 'text' OR length(COMU_COD) > ?1"
                     " OR typeof(COMU_DESCR) <> 'text' OR length(COMU_DESCR) > ?1"
                     " OR typeof(COMU_PROV) <> 'text' OR length(COMU_PROV) > ?1"
                     " OR typeof(COMU_DAL) <> 'text' OR NOT COMU_DAL GLOB ?2"
                     " OR typeof(COMU_AL) <> 'text' OR NOT COMU_AL GLOB ?2"
                     " LIMIT 1",
                     kContesto);
    sqlite3_bind_int64(s.get(), 1, static_cast<sqlite3_int64>(kLunghezzaMassimaValore));
    Lega(s.get(), 2, "[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]");
    if (!Passo(s.get(), kContesto)) {
        return;
    }
    const std::u16string riga = Utf16(std::to_string(sqlite3_column_int64(s.get(), 0)));
    for (int i = 0; i < static_cast<int>(kColonne.size()); ++i) {
        const std::u16string colonna(kColonne[static_cast<std::size_t>(i)]);
        const std::u16string dove = u"la colonna " + colonna + u" alla riga " + riga;
        const std::string_view tipo = Testo(s.get(), 1 + 2 * i);
        if (tipo == "null") {
            throw Errore(NODREL1::kErrValoreMancante,
                         u"nella tabella Comuni manca il valore della colonna " + colonna +
                             u" alla riga " + riga);
        }
        if (tipo != "text") {
            throw Errore(SQLITE_MISMATCH, u"nella tabella Comuni " + dove + u" non contiene testo");
        }
        if (sqlite3_column_int64(s.get(), 2 + 2 * i) >
            static_cast<sqlite3_int64>(kLunghezzaMassimaValore)) {
            throw Errore(SQLITE_TOOBIG, u"nella tabella Comuni " + dove + u" supera i " +
                                            Utf16(std::to_string(kLunghezzaMassimaValore)) +
                                            u" caratteri");
        }
        const int data = 1 + 2 * static_cast<int>(kColonne.size()) + (i - 3);
        if (i >= 3 && sqlite3_column_int(s.get(), data) == 0) {
            throw Errore(SQLITE_MISMATCH,
                         u"nella tabella Comuni " + dove + u" non è una data AAAA-MM-GG");
        }
    }
}

}  // namespace nodrel
