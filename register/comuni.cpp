#include "register/comuni.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <utility>

#include "engine/errore.h"
#include "engine/testo.h"
#include "register/limiti.h"

namespace nodrel {

namespace {

using NODREL1::Errore;
using NODREL1::Utf16;
using NODREL1::Utf8;

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

std::u16string DescrizioneSqlite(int primario) {
    for (const auto& [codice, descrizione] : kDescrizioni) {
        if (codice == primario) {
            return std::u16string(descrizione);
        }
    }
    return u"errore del database";
}

[[noreturn]] void FallisciSqlite(int rc, const std::u16string& dettaglio) {
    int primario = rc & 0xFF;
    if (primario == SQLITE_OK || primario == SQLITE_ROW || primario == SQLITE_DONE) {
        primario = SQLITE_ERROR;
    }
    throw Errore(primario, DescrizioneSqlite(primario) + u" (" + dettaglio + u")");
}

[[noreturn]] void NonApribile(const std::u16string& percorso, std::u16string_view perche) {
    throw Errore(SQLITE_CANTOPEN,
                 DescrizioneSqlite(SQLITE_CANTOPEN) + u": " + percorso + std::u16string(perche));
}

using Connessione = std::shared_ptr<sqlite3>;

struct FinalizzaStmt {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, FinalizzaStmt>;

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

// One step; true on a row, false when there is none.
bool Passo(sqlite3_stmt* s, const std::u16string& contesto) {
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
std::string_view Testo(sqlite3_stmt* s, int i) {
    const auto* testo = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    return testo == nullptr
               ? std::string_view()
               : std::string_view(testo, static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
}

// SQLite's names are compared without regard to ASCII case.
bool UgualiSenzaMaiuscole(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

void Lega(sqlite3_stmt* s, int i, std::string_view testo) {
    sqlite3_bind_text(s, i, testo.data(), static_cast<int>(testo.size()), SQLITE_TRANSIENT);
}

// "file:" URI of a path: every byte but the unreserved ones, "/" and ":" percent-encoded, so
// that "?", "#" or "%" in a directory name stay part of the path.
std::string Uri(std::string percorso) {
#ifdef _WIN32
    std::replace(percorso.begin(), percorso.end(), '\\', '/');
    if (percorso.size() >= 2 && percorso[1] == ':') {
        percorso.insert(0, "/");
    }
#endif
    // An absolute path gets an empty authority, so that one starting with "//" is not read as
    // a host name.
    std::string uri = percorso.starts_with('/') ? "file://" : "file:";
    constexpr char kEsadecimali[] = "0123456789ABCDEF";
    for (char c : percorso) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            b == '-' || b == '.' || b == '_' || b == '~' || b == '/' || b == ':') {
            uri += c;
        } else {
            uri += '%';
            uri += kEsadecimali[b >> 4];
            uri += kEsadecimali[b & 0x0F];
        }
    }
    return uri + "?immutable=1";
}

// The file must be there and readable before SQLite sees it: SQLite reads lazily, and a
// directory or a pipe in its place would fail late or block.
void ControllaFile(const std::u16string& percorso, const std::filesystem::path& p) {
    std::error_code ec;
    const auto stato = std::filesystem::status(p, ec);
    if (stato.type() == std::filesystem::file_type::not_found) {
        NonApribile(percorso, u" non esiste");
    }
    if (ec) {
        NonApribile(percorso, u" non è accessibile");
    }
    if (stato.type() == std::filesystem::file_type::directory) {
        NonApribile(percorso, u" è una cartella");
    }
    if (stato.type() != std::filesystem::file_type::regular) {
        NonApribile(percorso, u" non è un file");
    }
    if (!std::ifstream(p, std::ios::binary)) {
        NonApribile(percorso, u" non è leggibile");
    }
}

// The columns a record is read in, in this order.
constexpr std::array<std::u16string_view, 5> kColonne = {u"COMU_COD", u"COMU_DESCR", u"COMU_PROV",
                                                         u"COMU_DAL", u"COMU_AL"};
constexpr std::size_t kCod = 0;
constexpr std::size_t kDescr = 1;

const std::u16string kContesto = u"tabella Comuni";

// Checks the table the cursor works on, so that a register that cannot serve the lookups is
// refused at start-up instead of failing, or answering wrongly, at the first key.
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
        const bool buono = sqlite3_column_int(s.get(), 0) == 0 &&
                           UgualiSenzaMaiuscole(Testo(s.get(), 1), Utf8(nome)) &&
                           UgualiSenzaMaiuscole(Testo(s.get(), 2), confronto) &&
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

// One pass over the rows: every value present, text, and of a sane length; the dates of the
// shape YYYY-MM-DD, which their text order relies on.
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

// The cursor's statements, one per order and use. INDEXED BY makes a missing or unusable index
// an error instead of a silent scan. Ties go by row number, the order the build tool wrote the
// rows in. A move is one seek past the row value (key, rowid) of the current record; SQLite
// takes a row value as an index range only with the collation on its right-hand side, and
// steps over the equal keys before the current row, a few homonyms at most.
struct Ordine {
    std::string_view seek[2];   // ">=", "="
    std::string_view muovi[2];  // next, previous
};
constexpr Ordine kOrdini[2] = {
    {
        // COMU_DESCR
        {
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_DESCR WHERE COMU_DESCR COLLATE NOCASE >= ?1"
            " ORDER BY COMU_DESCR COLLATE NOCASE, rowid LIMIT 1",
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_DESCR WHERE COMU_DESCR COLLATE NOCASE = ?1"
            " ORDER BY COMU_DESCR COLLATE NOCASE, rowid LIMIT 1",
        },
        {
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_DESCR WHERE (COMU_DESCR, rowid) > (?1 COLLATE NOCASE, ?2)"
            " ORDER BY COMU_DESCR COLLATE NOCASE, rowid LIMIT 1",
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_DESCR WHERE (COMU_DESCR, rowid) < (?1 COLLATE NOCASE, ?2)"
            " ORDER BY COMU_DESCR COLLATE NOCASE DESC, rowid DESC LIMIT 1",
        },
    },
    {
        // COMU_COD
        {
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_COD WHERE COMU_COD COLLATE BINARY >= ?1"
            " ORDER BY COMU_COD COLLATE BINARY, rowid LIMIT 1",
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_COD WHERE COMU_COD COLLATE BINARY = ?1"
            " ORDER BY COMU_COD COLLATE BINARY, rowid LIMIT 1",
        },
        {
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_COD WHERE (COMU_COD, rowid) > (?1 COLLATE BINARY, ?2)"
            " ORDER BY COMU_COD COLLATE BINARY, rowid LIMIT 1",
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_COD WHERE (COMU_COD, rowid) < (?1 COLLATE BINARY, ?2)"
            " ORDER BY COMU_COD COLLATE BINARY DESC, rowid DESC LIMIT 1",
        },
    },
};

constexpr std::string_view kOmonimi =
    "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
    " FROM Comuni INDEXED BY COMU_DESCR WHERE COMU_DESCR COLLATE NOCASE = ?1"
    " ORDER BY COMU_DESCR COLLATE NOCASE, rowid";

class CursoreComuni final : public NODREL1::Recordset {
public:
    explicit CursoreComuni(Connessione db) : db_(std::move(db)) {
        ControllaTabella(db_.get());
        ControllaValori(db_.get());
        for (int o = 0; o < 2; ++o) {
            for (int i = 0; i < 2; ++i) {
                seek_[o][i] = Prepara(db_.get(), kOrdini[o].seek[i], kContesto);
                muovi_[o][i] = Prepara(db_.get(), kOrdini[o].muovi[i], kContesto);
            }
        }
        omonimi_ = Prepara(db_.get(), kOmonimi, kContesto);
    }

    void SetIndex(const std::u16string& nome) override {
        if (nome == u"COMU_DESCR") {
            ordine_ = 0;
        } else if (nome == u"COMU_COD") {
            ordine_ = 1;
        } else {
            throw Errore(NODREL1::kErrIndiceSconosciuto,
                         u"la tabella Comuni non ha l'indice " + nome);
        }
    }

    void Seek(const std::u16string& confronto, const std::u16string& chiave) override {
        ControllaOrdine();
        int c = 0;
        if (confronto == u">=") {
            c = 0;
        } else if (confronto == u"=") {
            c = 1;
        } else {
            throw Errore(NODREL1::kErrConfrontoNonValido,
                         u"confronto non ammesso nella ricerca: " + confronto);
        }
        record_.reset();
        noMatch_ = true;

        sqlite3_stmt* s = seek_[ordine_][c].get();
        sqlite3_reset(s);
        Lega(s, 1, Utf8(chiave));
        if (Passo(s, kContesto)) {
            record_ = Leggi(s);
            noMatch_ = false;
        }
        sqlite3_reset(s);
    }

    void MoveNext() override { Muovi(0); }
    void MovePrevious() override { Muovi(1); }

    bool Eof() const override { return !record_.has_value(); }
    bool NoMatch() const override { return noMatch_; }

    std::u16string Field(const std::u16string& colonna) const override {
        std::size_t i = 0;
        while (i < kColonne.size() && kColonne[i] != colonna) {
            ++i;
        }
        if (i == kColonne.size()) {
            throw Errore(NODREL1::kErrColonnaSconosciuta,
                         u"la tabella Comuni non ha la colonna " + colonna);
        }
        if (!record_) {
            throw Errore(NODREL1::kErrNessunRecordCorrente, u"nessun record corrente");
        }
        return Valore(record_->valori, i);
    }

    std::vector<NODREL1::Comune> Omonimi(const std::u16string& nome) override {
        sqlite3_stmt* s = omonimi_.get();
        sqlite3_reset(s);
        Lega(s, 1, Utf8(nome));
        std::vector<NODREL1::Comune> omonimi;
        while (Passo(s, kContesto)) {
            const Valori v = Leggi(s).valori;
            omonimi.push_back(
                {Valore(v, 0), Valore(v, 1), Valore(v, 2), Valore(v, 3), Valore(v, 4)});
        }
        sqlite3_reset(s);
        return omonimi;
    }

private:
    // Values as stored, converted only when read: the moves start from the stored keys.
    using Valori = std::array<std::optional<std::string>, kColonne.size()>;

    struct Record {
        sqlite3_int64 rowid = 0;
        Valori valori;
    };

    // The record a statement stands on; its columns are rowid and then kColonne.
    static Record Leggi(sqlite3_stmt* s) {
        Record r;
        r.rowid = sqlite3_column_int64(s, 0);
        for (std::size_t i = 0; i < kColonne.size(); ++i) {
            const int colonna = 1 + static_cast<int>(i);
            if (sqlite3_column_type(s, colonna) != SQLITE_NULL) {
                r.valori[i] = std::string(Testo(s, colonna));
            }
        }
        return r;
    }

    static std::u16string Valore(const Valori& valori, std::size_t i) {
        if (!valori[i]) {
            throw Errore(NODREL1::kErrValoreMancante,
                         u"manca il valore della colonna " + std::u16string(kColonne[i]));
        }
        return Utf16(*valori[i]);
    }

    void ControllaOrdine() const {
        if (ordine_ < 0) {
            throw Errore(NODREL1::kErrNessunIndice, u"nessun indice scelto per la ricerca");
        }
    }

    void Muovi(int verso) {
        ControllaOrdine();
        if (!record_) {
            throw Errore(NODREL1::kErrNessunRecordCorrente, u"nessun record corrente");
        }
        sqlite3_stmt* s = muovi_[ordine_][verso].get();
        sqlite3_reset(s);
        Lega(s, 1, record_->valori[ordine_ == 0 ? kDescr : kCod].value_or(std::string()));
        sqlite3_bind_int64(s, 2, record_->rowid);
        if (Passo(s, kContesto)) {
            record_ = Leggi(s);
        } else {
            record_.reset();
        }
        sqlite3_reset(s);
    }

    Connessione db_;
    Stmt seek_[2][2];
    Stmt muovi_[2][2];
    Stmt omonimi_;
    int ordine_ = -1;
    std::optional<Record> record_;
    bool noMatch_ = false;
};

class DatabaseComuni final : public NODREL1::Database {
public:
    explicit DatabaseComuni(Connessione db) : db_(std::move(db)) {}

    std::shared_ptr<NODREL1::Recordset> OpenRecordset(const std::u16string& tabella) override {
        if (tabella != u"Comuni") {
            throw Errore(NODREL1::kErrTabellaSconosciuta,
                         u"il database non ha la tabella " + tabella);
        }
        return std::make_shared<CursoreComuni>(db_);
    }

private:
    Connessione db_;
};

}  // namespace

std::shared_ptr<NODREL1::Database> ApriDatabase(const std::u16string& percorso) {
    if (percorso.empty()) {
        throw Errore(SQLITE_CANTOPEN,
                     DescrizioneSqlite(SQLITE_CANTOPEN) + u": nessun percorso indicato");
    }
    // A NUL would cut the path short in one place and not in another.
    if (percorso.find(u'\0') != std::u16string::npos) {
        throw Errore(SQLITE_CANTOPEN, DescrizioneSqlite(SQLITE_CANTOPEN) +
                                          u": il percorso contiene un carattere nullo");
    }
    const std::string utf8 = Utf8(percorso);
    const std::filesystem::path p(std::u8string(utf8.begin(), utf8.end()));
    ControllaFile(percorso, p);

    // immutable=1: no locks, no journal, no -wal or -shm file; the register is never written.
    sqlite3* grezzo = nullptr;
    const int rc = sqlite3_open_v2(Uri(utf8).c_str(), &grezzo,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    Connessione db(grezzo, sqlite3_close_v2);
    if (rc != SQLITE_OK) {
        FallisciSqlite(rc, percorso);
    }
    // The file comes from outside the program: its schema may not run functions of ours.
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, static_cast<int*>(nullptr));
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, static_cast<int*>(nullptr));

    // Reads every page once: a file that is not a database, or is cut short or damaged, fails
    // here and not in the middle of a lookup.
    Stmt s = Prepara(db.get(), "PRAGMA quick_check(1)", percorso);
    if (!Passo(s.get(), percorso)) {
        FallisciSqlite(SQLITE_CORRUPT, percorso);
    }
    const auto* esito = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
    if (esito == nullptr || std::string_view(esito) != "ok") {
        FallisciSqlite(SQLITE_CORRUPT, percorso);
    }
    return std::make_shared<DatabaseComuni>(std::move(db));
}

}  // namespace nodrel
