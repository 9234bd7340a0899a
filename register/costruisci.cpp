#include "register/costruisci.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <memory>

#include "engine/testo.h"
#include "register/limiti.h"

namespace nodrel {

namespace {

using NODREL1::ContaCaratteri;
using NODREL1::Utf16;
using NODREL1::Utf8Valido;

constexpr std::array<std::string_view, 3> kColonne = {"COMU_COD", "COMU_DESCR", "COMU_PROV"};
bool CodiceCatastale(std::string_view codice) {
    return codice.size() == 4 && codice[0] >= 'A' && codice[0] <= 'Z' &&
           std::all_of(codice.begin() + 1, codice.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

[[noreturn]] void Fallisci(long riga, const std::string& messaggio) {
    throw ErroreCostruzione(riga, messaggio);
}

class LettoreCsv {
public:
    explicit LettoreCsv(std::string_view testo) : testo_(testo) {
        if (testo_.starts_with("\xEF\xBB\xBF")) {
            pos_ = 3;
        }
    }

    long Riga() const { return riga_; }

    // Blank lines are allowed only at the very end, where editors like to leave them.
    bool Finito() const { return testo_.find_first_not_of("\r\n", pos_) == std::string_view::npos; }

    // Reads the record that starts at the current line.
    std::vector<std::string> Record() {
        const long inizio = riga_;
        std::vector<std::string> campi;
        for (;;) {
            campi.push_back(Campo(inizio));
            if (pos_ < testo_.size() && testo_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (FineRiga()) {
                return campi;
            }
            Fallisci(inizio, "testo dopo le virgolette di chiusura");
        }
    }

private:
    bool FineRiga() {
        if (pos_ == testo_.size()) {
            return true;
        }
        if (testo_[pos_] == '\n') {
            ++pos_;
        } else if (testo_.substr(pos_, 2) == "\r\n") {
            pos_ += 2;
        } else {
            return false;
        }
        ++riga_;
        return true;
    }

    std::string Campo(long inizio) {
        std::string campo;
        if (pos_ < testo_.size() && testo_[pos_] == '"') {
            ++pos_;
            for (;;) {
                if (pos_ == testo_.size()) {
                    Fallisci(inizio, "virgolette non chiuse");
                }
                const char c = testo_[pos_++];
                if (c == '"') {
                    if (pos_ < testo_.size() && testo_[pos_] == '"') {
                        campo += '"';
                        ++pos_;
                        continue;
                    }
                    return campo;
                }
                if (c == '\n') {
                    ++riga_;
                }
                campo += c;
            }
        }
        while (pos_ < testo_.size()) {
            const char c = testo_[pos_];
            if (c == ',' || c == '\n' || testo_.substr(pos_, 2) == "\r\n") {
                break;
            }
            if (c == '"') {
                Fallisci(inizio, "virgolette dentro un campo senza virgolette");
            }
            campo += c;
            ++pos_;
        }
        return campo;
    }

    std::string_view testo_;
    std::size_t pos_ = 0;
    long riga_ = 1;
};

void ControllaCampo(long riga, std::string_view colonna, const std::string& valore) {
    const std::string nome(colonna);
    if (valore.empty()) {
        Fallisci(riga, "il campo " + nome + " è vuoto");
    }
    if (!Utf8Valido(valore)) {
        Fallisci(riga, "il campo " + nome + " non è testo UTF-8 valido");
    }
    for (char c : valore) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            Fallisci(riga, "il campo " + nome + " contiene un carattere di controllo");
        }
    }
    if (ContaCaratteri(valore) > kLunghezzaMassimaValore) {
        Fallisci(riga, "il campo " + nome + " supera i " + std::to_string(kLunghezzaMassimaValore) +
                           " caratteri");
    }
}

struct ChiudiDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizzaStmt {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Db = std::unique_ptr<sqlite3, ChiudiDb>;
using Stmt = std::unique_ptr<sqlite3_stmt, FinalizzaStmt>;

[[noreturn]] void FallisciSql(sqlite3* db, const std::filesystem::path& file) {
    Fallisci(0, "errore del database scrivendo " + file.string() + ": " +
                    (db != nullptr ? sqlite3_errmsg(db) : "memoria insufficiente"));
}

void Esegui(sqlite3* db, const char* sql, const std::filesystem::path& file) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        FallisciSql(db, file);
    }
}

void ScriviRegistro(const std::vector<RigaComune>& comuni, const std::filesystem::path& file) {
    sqlite3* grezzo = nullptr;
    const int rc = sqlite3_open_v2(file.string().c_str(), &grezzo,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Db db(grezzo);
    if (rc != SQLITE_OK) {
        FallisciSql(db.get(), file);
    }
    // The file is a scratch copy until it is renamed, so there is nothing to journal.
    Esegui(db.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;", file);
    Esegui(db.get(),
           "CREATE TABLE Comuni (COMU_COD TEXT NOT NULL, COMU_DESCR TEXT NOT NULL,"
           " COMU_PROV TEXT NOT NULL)",
           file);

    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.get(), "INSERT INTO Comuni VALUES (?1, ?2, ?3)", -1, &s, nullptr) !=
        SQLITE_OK) {
        FallisciSql(db.get(), file);
    }
    Stmt inserisci(s);
    for (const RigaComune& c : comuni) {
        sqlite3_bind_text(s, 1, c.codice.data(), static_cast<int>(c.codice.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 2, c.nome.data(), static_cast<int>(c.nome.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 3, c.provincia.data(), static_cast<int>(c.provincia.size()),
                          SQLITE_STATIC);
        if (sqlite3_step(s) != SQLITE_DONE) {
            FallisciSql(db.get(), file);
        }
        sqlite3_reset(s);
    }
    inserisci.reset();

    // The rows are in, in list order, so equal names sit in the name index by row number, which
    // is list order.
    Esegui(db.get(),
           "CREATE INDEX COMU_DESCR ON Comuni (COMU_DESCR COLLATE NOCASE);"
           "CREATE INDEX COMU_COD ON Comuni (COMU_COD COLLATE BINARY);"
           "COMMIT;",
           file);
    if (sqlite3_close(db.release()) != SQLITE_OK) {
        Fallisci(0, "impossibile chiudere " + file.string());
    }
}

}  // namespace

std::vector<RigaComune> LeggiComuni(std::string_view csv) {
    LettoreCsv lettore(csv);
    if (lettore.Finito()) {
        Fallisci(1, "manca l'intestazione COMU_COD,COMU_DESCR,COMU_PROV");
    }
    const std::vector<std::string> intestazione = lettore.Record();
    if (intestazione.size() != kColonne.size() ||
        !std::equal(kColonne.begin(), kColonne.end(), intestazione.begin())) {
        Fallisci(1, "l'intestazione deve essere COMU_COD,COMU_DESCR,COMU_PROV");
    }

    std::vector<RigaComune> comuni;
    while (!lettore.Finito()) {
        const long riga = lettore.Riga();
        std::vector<std::string> campi = lettore.Record();
        if (campi.size() == 1 && campi[0].empty()) {
            Fallisci(riga, "riga vuota");
        }
        if (campi.size() != kColonne.size()) {
            Fallisci(riga, "attesi 3 campi, trovati " + std::to_string(campi.size()));
        }
        for (std::size_t i = 0; i < campi.size(); ++i) {
            ControllaCampo(riga, kColonne[i], campi[i]);
        }
        // Decoding looks a code up by the four characters it finds in a right fiscal code, a
        // letter and three digits; a code of any other shape could never be found.
        if (!CodiceCatastale(campi[0])) {
            Fallisci(riga, "il codice catastale " + campi[0] +
                               " non è una lettera maiuscola seguita da tre cifre");
        }
        comuni.push_back({std::move(campi[0]), std::move(campi[1]), std::move(campi[2])});
    }
    if (comuni.empty()) {
        Fallisci(0, "l'elenco non contiene alcun comune");
    }
    return comuni;
}

void CostruisciRegistro(const std::filesystem::path& csv, const std::filesystem::path& registro) {
    std::ifstream in(csv, std::ios::binary);
    if (!in) {
        Fallisci(0, "impossibile leggere " + csv.string());
    }
    const std::string testo{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        Fallisci(0, "impossibile leggere " + csv.string());
    }
    const std::vector<RigaComune> comuni = LeggiComuni(testo);

    std::filesystem::path provvisorio = registro;
    provvisorio += ".tmp";
    std::error_code ec;
    std::filesystem::remove(provvisorio, ec);
    try {
        ScriviRegistro(comuni, provvisorio);
        std::filesystem::rename(provvisorio, registro);
    } catch (const std::filesystem::filesystem_error& e) {
        std::filesystem::remove(provvisorio, ec);
        Fallisci(0, "impossibile scrivere " + registro.string() + ": " + e.what());
    } catch (...) {
        std::filesystem::remove(provvisorio, ec);
        throw;
    }
}

}  // namespace nodrel
