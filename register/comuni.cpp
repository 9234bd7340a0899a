#include "register/comuni.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>

#include "engine/errore.h"
#include "engine/testo.h"
#include "register/limiti.h"
#include "register/schema.h"
#include "register/sqlite.h"

namespace nodrel {

namespace {

using NODREL1::Errore;
using NODREL1::Utf16;
using NODREL1::Utf8;

[[noreturn]] void NonApribile(const std::u16string& percorso, std::u16string_view perche) {
    throw Errore(SQLITE_CANTOPEN,
                 DescrizioneSqlite(SQLITE_CANTOPEN) + u": " + percorso + std::u16string(perche));
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

// A failed call with SQLite's own words about it, which say more than the result code.
[[noreturn]] void Fallisci(sqlite3* db, int rc, const std::u16string& contesto) {
    FallisciSqlite(rc, contesto + u": " + Utf16(sqlite3_errmsg(db)));
}

Stmt PreparaQui(sqlite3* db, std::string_view sql, const std::u16string& contesto) {
    sqlite3_stmt* s = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &s, nullptr);
    Stmt preparata(s);
    if (rc != SQLITE_OK) {
        Fallisci(db, rc, contesto);
    }
    return preparata;
}

bool Riga(sqlite3* db, sqlite3_stmt* s, const std::u16string& contesto) {
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc != SQLITE_DONE) {
        Fallisci(db, rc, contesto);
    }
    return false;
}

// A date of the shape YYYY-MM-DD, which the dates' text order relies on.
bool DataIso(std::string_view d) {
    constexpr std::string_view kForma = "9999-19-39";
    if (d.size() != kForma.size()) {
        return false;
    }
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (kForma[i] == '-' ? d[i] != '-' : d[i] < '0' || d[i] > kForma[i]) {
            return false;
        }
    }
    return true;
}

// One value of a row, checked as it is read: present, text, of a sane length, and a date where
// the column holds one.
std::u16string Valore(sqlite3_stmt* s, std::size_t colonna, sqlite3_int64 rowid) {
    const int i = static_cast<int>(colonna);
    // The words of a failure are made only for it: this runs for every value of the table.
    auto dove = [colonna, rowid] {
        return u"colonna " + std::u16string(kColonne[colonna]) + u" alla riga " +
               Utf16(std::to_string(rowid));
    };
    const int tipo = sqlite3_column_type(s, i);
    if (tipo == SQLITE_NULL) {
        throw Errore(NODREL1::kErrValoreMancante,
                     u"nella tabella Comuni manca il valore della " + dove());
    }
    if (tipo != SQLITE_TEXT) {
        throw Errore(SQLITE_MISMATCH,
                     u"nella tabella Comuni la " + dove() + u" non contiene testo");
    }
    const std::string_view testo = Testo(s, i);
    if (NODREL1::ContaCaratteri(testo) > kLunghezzaMassimaValore) {
        throw Errore(SQLITE_TOOBIG, u"nella tabella Comuni la " + dove() + u" supera i " +
                                        Utf16(std::to_string(kLunghezzaMassimaValore)) +
                                        u" caratteri");
    }
    if (colonna >= 3 && !DataIso(testo)) {
        throw Errore(SQLITE_MISMATCH,
                     u"nella tabella Comuni la " + dove() + u" non è una data AAAA-MM-GG");
    }
    return Utf16(testo);
}

// The whole table, once, in the order the build tool wrote it.
std::vector<NODREL1::Comune> LeggiTabella(sqlite3* db) {
    Stmt s = PreparaQui(db,
                        "SELECT COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL, rowid"
                        " FROM Comuni ORDER BY rowid",
                        kContesto);
    std::vector<NODREL1::Comune> righe;
    while (Riga(db, s.get(), kContesto)) {
        const sqlite3_int64 rowid = sqlite3_column_int64(s.get(), 5);
        NODREL1::Comune c;
        c.codice = Valore(s.get(), 0, rowid);
        c.nome = Valore(s.get(), 1, rowid);
        c.provincia = Valore(s.get(), 2, rowid);
        c.dal = Valore(s.get(), 3, rowid);
        c.al = Valore(s.get(), 4, rowid);
        righe.push_back(std::move(c));
    }
    return righe;
}

}  // namespace

std::shared_ptr<const NODREL1::Registro> ApriRegistro(const std::u16string& percorso) {
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
    Db aperto;
    const int rc =
        Apri(Uri(utf8), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, aperto);
    if (rc != SQLITE_OK) {
        Fallisci(aperto.get(), rc, percorso);
    }
    Db db(std::move(aperto));
    // The file comes from outside the program: its schema may not run functions of ours.
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, static_cast<int*>(nullptr));
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, static_cast<int*>(nullptr));

    // Reads every page once: a file that is not a database, or is cut short or damaged, fails
    // here and not in the middle of a lookup.
    Stmt s = PreparaQui(db.get(), "PRAGMA quick_check(1)", percorso);
    if (!Riga(db.get(), s.get(), percorso)) {
        FallisciSqlite(SQLITE_CORRUPT, percorso);
    }
    const auto* esito = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
    if (esito == nullptr || std::string_view(esito) != "ok") {
        FallisciSqlite(SQLITE_CORRUPT, percorso);
    }
    s.reset();
    ControllaTabella(db.get());
    // The file is not needed after this: the register lives in memory.
    return std::make_shared<const NODREL1::Registro>(LeggiTabella(db.get()));
}

}  // namespace nodrel
