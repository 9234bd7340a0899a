#include "register/comuni.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>

#include "engine/errore.h"
#include "engine/testo.h"
#include "register/cursore.h"
#include "register/schema.h"
#include "register/sqlite.h"

namespace nodrel {

namespace {

using NODREL1::Errore;
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

class DatabaseComuni final : public NODREL1::Database {
public:
    explicit DatabaseComuni(Connessione db) : db_(std::move(db)) {}

    std::shared_ptr<NODREL1::Recordset> OpenRecordset(const std::u16string& tabella) override {
        if (tabella != u"Comuni") {
            throw Errore(NODREL1::kErrTabellaSconosciuta,
                         u"il database non ha la tabella " + tabella);
        }
        ControllaTabella(db_.get());
        ControllaValori(db_.get());
        return ApriCursore(db_);
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
    Db aperto;
    const int rc = Apri(Uri(utf8), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, aperto);
    if (rc != SQLITE_OK) {
        FallisciSqlite(rc, percorso);
    }
    Connessione db(std::move(aperto));
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
