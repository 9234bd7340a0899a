#include "register/costruisci.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <tuple>

#include "engine/errore.h"
#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "register/limiti.h"
#include "register/sqlite.h"

namespace nodrel {

namespace {

using NODREL1::ContaCaratteri;
using NODREL1::Utf8Valido;

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

// A list read record by record, with the columns it needs found by name in its header line.
template <std::size_t N>
class Lista {
public:
    Lista(std::string_view testo, const std::array<std::string_view, N>& colonne)
        : lettore_(testo), colonne_(colonne) {
        if (lettore_.Finito()) {
            Fallisci(1, "manca l'intestazione");
        }
        const std::vector<std::string> intestazione = lettore_.Record();
        larghezza_ = intestazione.size();
        for (std::size_t i = 0; i < N; ++i) {
            const auto trovata = std::find(intestazione.begin(), intestazione.end(), colonne[i]);
            if (trovata == intestazione.end()) {
                Fallisci(1, "manca la colonna " + std::string(colonne[i]));
            }
            if (std::find(trovata + 1, intestazione.end(), colonne[i]) != intestazione.end()) {
                Fallisci(1, "la colonna " + std::string(colonne[i]) + " compare più volte");
            }
            posizioni_[i] = static_cast<std::size_t>(trovata - intestazione.begin());
        }
    }

    // Reads the next record; false after the last.
    bool Avanti() {
        if (lettore_.Finito()) {
            return false;
        }
        riga_ = lettore_.Riga();
        campi_ = lettore_.Record();
        if (campi_.size() == 1 && campi_[0].empty()) {
            Fallisci(riga_, "riga vuota");
        }
        if (campi_.size() != larghezza_) {
            Fallisci(riga_, "attesi " + std::to_string(larghezza_) + " campi, trovati " +
                                std::to_string(campi_.size()));
        }
        return true;
    }

    long Riga() const { return riga_; }
    // The value of the i-th needed column in the current record.
    const std::string& Valore(std::size_t i) const { return campi_[posizioni_[i]]; }

    // The value checked as present and sane text.
    const std::string& Testo(std::size_t i) const {
        const std::string& valore = Valore(i);
        const std::string nome(colonne_[i]);
        if (valore.empty()) {
            Fallisci(riga_, "il campo " + nome + " è vuoto");
        }
        if (!Utf8Valido(valore)) {
            Fallisci(riga_, "il campo " + nome + " non è testo UTF-8 valido");
        }
        for (char c : valore) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x20 || b == 0x7F) {
                Fallisci(riga_, "il campo " + nome + " contiene un carattere di controllo");
            }
        }
        if (ContaCaratteri(valore) > kLunghezzaMassimaValore) {
            Fallisci(riga_, "il campo " + nome + " supera i " +
                                std::to_string(kLunghezzaMassimaValore) + " caratteri");
        }
        return valore;
    }

    // A cadastral code as decoding meets it in a fiscal code: a capital letter and three digits.
    const std::string& Codice(std::size_t i) const {
        const std::string& codice = Testo(i);
        if (!NODREL1::CodiceCatastale(NODREL1::Utf16(codice))) {
            Fallisci(riga_, "il codice catastale " + codice +
                                " non è una lettera maiuscola seguita da tre cifre");
        }
        return codice;
    }

    // A date, written "YYYY-MM-DD" in the list when `iso`, else "DD/MM/YYYY"; given back as
    // YYYY-MM-DD, a day that exists.
    std::string Data(std::size_t i, bool iso) const {
        const std::string& d = Valore(i);
        std::string data;
        if (d.size() == 10 && iso && d[4] == '-' && d[7] == '-') {
            data = d;
        } else if (d.size() == 10 && !iso && d[2] == '/' && d[5] == '/') {
            data = d.substr(6, 4) + '-' + d.substr(3, 2) + '-' + d.substr(0, 2);
        }
        const auto numero = [&data](std::size_t inizio, std::size_t n) {
            return std::stoi(data.substr(inizio, n));
        };
        const bool cifre = !data.empty() && std::all_of(data.begin(), data.begin() + 4, Cifra) &&
                           Cifra(data[5]) && Cifra(data[6]) && Cifra(data[8]) && Cifra(data[9]);
        if (!cifre || !std::chrono::year_month_day(std::chrono::year(numero(0, 4)),
                                                   std::chrono::month(numero(5, 2)),
                                                   std::chrono::day(numero(8, 2)))
                           .ok()) {
            Fallisci(riga_, "il campo " + std::string(colonne_[i]) + " non è una data " +
                                (iso ? "AAAA-MM-GG" : "GG/MM/AAAA") + ": " +
                                (Utf8Valido(d) ? d : "testo non valido"));
        }
        return data;
    }

private:
    static bool Cifra(char c) { return c >= '0' && c <= '9'; }

    LettoreCsv lettore_;
    std::array<std::string_view, N> colonne_;
    std::array<std::size_t, N> posizioni_{};
    std::size_t larghezza_ = 0;
    std::vector<std::string> campi_;
    long riga_ = 1;
};

void ControllaPeriodo(long riga, const RigaComune& voce) {
    if (voce.al < voce.dal) {
        Fallisci(riga, "il periodo finisce il " + voce.al + ", prima di cominciare il " + voce.dal);
    }
}

// SQLite's own message, in the tool's form: it says more to whoever rebuilds the register than
// the program's description of a result code.
[[noreturn]] void FallisciSql(sqlite3* db, const std::filesystem::path& file) {
    Fallisci(0, "errore del database scrivendo " + file.filename().string() + ": " +
                    (db != nullptr ? sqlite3_errmsg(db) : "memoria insufficiente"));
}

// The release day as the register keeps it, YYYYMMDD in the file header's user version, where
// DataRegistro (register/scelta.h) reads it without opening the database.
long NumeroRilascio(const std::string& rilascio) {
    const std::string giorno = rilascio.size() == 7 ? rilascio + "-01" : rilascio;
    bool forma = giorno.size() == 10;
    for (std::size_t i = 0; forma && i < giorno.size(); ++i) {
        forma = i == 4 || i == 7 ? giorno[i] == '-' : giorno[i] >= '0' && giorno[i] <= '9';
    }
    if (!forma || !std::chrono::year_month_day(std::chrono::year(std::stoi(giorno.substr(0, 4))),
                                               std::chrono::month(std::stoul(giorno.substr(5, 2))),
                                               std::chrono::day(std::stoul(giorno.substr(8, 2))))
                       .ok()) {
        Fallisci(0, "la data di pubblicazione " + rilascio + " non è una data AAAA-MM-GG");
    }
    return std::stol(giorno.substr(0, 4) + giorno.substr(5, 2) + giorno.substr(8, 2));
}

// The later of the days the lists were last modified, in UTC.
long RilascioDeiFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    const auto ultima =
        std::max(std::filesystem::last_write_time(a), std::filesystem::last_write_time(b));
    const std::chrono::year_month_day giorno(
        std::chrono::floor<std::chrono::days>(std::chrono::file_clock::to_sys(ultima)));
    return static_cast<int>(giorno.year()) * 10000L +
           static_cast<long>(static_cast<unsigned>(giorno.month())) * 100 +
           static_cast<long>(static_cast<unsigned>(giorno.day()));
}

void ScriviRegistro(const std::vector<RigaComune>& comuni, long rilascio,
                    const std::filesystem::path& file) {
    Db db;
    if (Apri(file.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, db) != SQLITE_OK) {
        FallisciSql(db.get(), file);
    }
    const std::u16string contesto = file.filename().u16string();
    Stmt inserisci;
    try {
        // The file is a scratch copy until it is renamed, so there is nothing to journal.
        Esegui(db.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;", contesto);
        Esegui(db.get(), ("PRAGMA user_version=" + std::to_string(rilascio)).c_str(), contesto);
        Esegui(db.get(),
               "CREATE TABLE Comuni (COMU_COD TEXT NOT NULL, COMU_DESCR TEXT NOT NULL,"
               " COMU_PROV TEXT NOT NULL, COMU_DAL TEXT NOT NULL, COMU_AL TEXT NOT NULL)",
               contesto);

        inserisci = Prepara(db.get(), "INSERT INTO Comuni VALUES (?1, ?2, ?3, ?4, ?5)", contesto);
        sqlite3_stmt* s = inserisci.get();
        for (const RigaComune& c : comuni) {
            int i = 0;
            for (const std::string* valore : {&c.codice, &c.nome, &c.provincia, &c.dal, &c.al}) {
                sqlite3_bind_text(s, ++i, valore->data(), static_cast<int>(valore->size()),
                                  SQLITE_STATIC);
            }
            Passo(s, contesto);
            sqlite3_reset(s);
        }
        inserisci.reset();

        // The rows went in in the order RigheRegistro gave them, so equal keys sit in each index
        // by row number, which is that order.
        Esegui(db.get(),
               "CREATE INDEX COMU_DESCR ON Comuni (COMU_DESCR COLLATE NOCASE);"
               "CREATE INDEX COMU_COD ON Comuni (COMU_COD COLLATE BINARY);"
               "COMMIT;",
               contesto);
    } catch (const NODREL1::Errore&) {
        FallisciSql(db.get(), file);
    }
    if (sqlite3_close(db.release()) != SQLITE_OK) {
        Fallisci(0, "impossibile chiudere " + file.filename().string());
    }
}

// Reads a list file whole and runs its reader; a fault is given the file's name.
template <class Lettore>
std::vector<RigaComune> Leggi(const std::filesystem::path& file, Lettore lettore) {
    std::ifstream in(file, std::ios::binary);
    const std::string testo{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad()) {
        throw ErroreCostruzione(file.string(), 0, "impossibile leggere il file");
    }
    try {
        return lettore(testo);
    } catch (const ErroreCostruzione& e) {
        throw ErroreCostruzione(file.string(), e.Riga(), e.what());
    }
}

std::vector<RigaComune> LeggiStati(std::string_view csv) {
    enum { kCodice, kNome, kInizio, kFine };
    Lista<4> lista(csv, {"CODAT", "DENOMINAZIONE", "DATAINIZIOVALIDITA", "DATAFINEVALIDITA"});
    std::vector<RigaComune> voci;
    while (lista.Avanti()) {
        // Rows such as ITALIA or APOLIDE: no place of birth a fiscal code can carry.
        if (lista.Valore(kCodice).empty()) {
            continue;
        }
        RigaComune voce{lista.Codice(kCodice), lista.Testo(kNome), "EE", lista.Data(kInizio, false),
                        lista.Data(kFine, false)};
        ControllaPeriodo(lista.Riga(), voce);
        voci.push_back(std::move(voce));
    }
    return voci;
}

// A name as the register's name index compares it: SQLite's NOCASE folds ASCII letters only.
std::string Piegato(std::string nome) {
    for (char& c : nome) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return nome;
}

// The day after a date YYYY-MM-DD; the open end has none.
std::string GiornoDopo(const std::string& data) {
    if (data >= "9999-12-31") {
        return data;
    }
    using namespace std::chrono;
    const year_month_day giorno{
        sys_days{year_month_day{year{std::stoi(data.substr(0, 4))},
                                month{static_cast<unsigned>(std::stoi(data.substr(5, 2)))},
                                day{static_cast<unsigned>(std::stoi(data.substr(8, 2)))}}} +
        days{1}};
    auto cifre = [](unsigned n, std::size_t quante) {
        std::string t(quante, '0');
        for (std::size_t i = quante; i-- > 0; n /= 10) {
            t[i] = static_cast<char>('0' + n % 10);
        }
        return t;
    };
    const std::string testo = cifre(static_cast<unsigned>(static_cast<int>(giorno.year())), 4) +
                              '-' + cifre(static_cast<unsigned>(giorno.month()), 2) + '-' +
                              cifre(static_cast<unsigned>(giorno.day()), 2);
    return testo;
}

void Aggiungi(std::vector<RigaComune>& a, std::vector<RigaComune> b) {
    a.insert(a.end(), std::make_move_iterator(b.begin()), std::make_move_iterator(b.end()));
}

}  // namespace

std::vector<RigaComune> LeggiArchivioComuni(std::string_view csv) {
    enum { kCodice, kNome, kAltroNome, kProvincia, kInizio, kFine };
    Lista<6> lista(csv, {"CODCATASTALE", "DENOMTRASLITTERATA", "ALTRADENOMTRASLITTERATA",
                         "SIGLAPROVINCIA", "DATAISTITUZIONE", "DATACESSAZIONE"});
    std::vector<RigaComune> voci;
    while (lista.Avanti()) {
        // The archive's mark for a former municipality that never had a code.
        if (lista.Valore(kCodice) == "ND") {
            continue;
        }
        RigaComune voce{lista.Codice(kCodice), lista.Testo(kNome), lista.Testo(kProvincia),
                        lista.Data(kInizio, true), lista.Data(kFine, true)};
        ControllaPeriodo(lista.Riga(), voce);
        if (!lista.Valore(kAltroNome).empty()) {
            RigaComune altra = voce;
            altra.nome = lista.Testo(kAltroNome);
            altra.altroNome = true;
            voci.push_back(std::move(voce));
            voci.push_back(std::move(altra));
        } else {
            voci.push_back(std::move(voce));
        }
    }
    if (voci.empty()) {
        Fallisci(0, "l'archivio non contiene alcun comune con un codice catastale");
    }
    return voci;
}

std::vector<RigaComune> LeggiStatiEsteri(std::string_view csv) {
    std::vector<RigaComune> voci = LeggiStati(csv);
    if (voci.empty()) {
        Fallisci(0, "la tabella non contiene alcuno stato estero con un codice");
    }
    return voci;
}

std::vector<RigaComune> LeggiNomiComuni(std::string_view csv, const std::vector<RigaComune>& stati,
                                        const std::vector<RigaComune>& comuni, bool soloNoti) {
    enum { kNome, kLuogo };
    Lista<2> lista(csv, {"NOME", "DENOMINAZIONE"});
    std::set<std::string> nomiStati;
    std::map<std::string, std::set<std::string>> codiciComuni;  // name -> the codes that bore it
    for (const RigaComune& s : stati) {
        nomiStati.insert(Piegato(s.nome));
    }
    for (const RigaComune& c : comuni) {
        codiciComuni[Piegato(c.nome)].insert(c.codice);
    }
    std::map<std::string, long> visti;  // name -> line
    std::vector<RigaComune> voci;
    while (lista.Avanti()) {
        const std::string& nome = lista.Testo(kNome);
        const std::string& luogo = lista.Testo(kLuogo);
        const std::string chiave = Piegato(nome);
        if (const auto [dove, nuovo] = visti.try_emplace(chiave, lista.Riga()); !nuovo) {
            Fallisci(lista.Riga(),
                     "il nome " + nome + " compare già alla riga " + std::to_string(dove->second));
        }
        if (nomiStati.contains(chiave)) {
            Fallisci(lista.Riga(), nome + " è già il nome di uno stato estero");
        }
        if (codiciComuni.contains(chiave)) {
            Fallisci(lista.Riga(), nome + " è anche il nome di un comune italiano");
        }
        const auto comune = codiciComuni.find(Piegato(luogo));
        const bool stato = nomiStati.contains(Piegato(luogo));
        if (stato && comune != codiciComuni.end()) {
            Fallisci(lista.Riga(), luogo + " è sia uno stato estero sia un comune italiano");
        }
        if (comune != codiciComuni.end() && comune->second.size() > 1) {
            Fallisci(lista.Riga(),
                     luogo + " è il nome di più comuni: il nome comune non direbbe quale");
        }
        // A state's name brings its every code and period; a municipality's, every period of its
        // code, under whatever name it had then.
        const std::size_t prima = voci.size();
        for (const RigaComune& r : stato ? stati : comuni) {
            const bool suo =
                stato ? Piegato(r.nome) == Piegato(luogo)
                      : comune != codiciComuni.end() && r.codice == *comune->second.begin();
            if (suo) {
                RigaComune voce = r;
                voce.nome = nome;
                voce.altroNome = true;
                voci.push_back(std::move(voce));
            }
        }
        if (voci.size() == prima && !soloNoti) {
            Fallisci(lista.Riga(), luogo +
                                       " non è né uno stato estero con un codice né un comune "
                                       "italiano");
        }
    }
    return voci;
}

std::vector<RigaComune> RigheRegistro(std::vector<RigaComune> voci) {
    // A name's periods in time order, so that a row is one span without a gap: a municipality
    // merged into another in 1928 and restored in 1947 did not exist in between, and a birth of
    // 1930 there carries the other's code.
    std::stable_sort(voci.begin(), voci.end(), [](const RigaComune& a, const RigaComune& b) {
        return std::tie(a.codice, a.nome, a.dal) < std::tie(b.codice, b.nome, b.dal);
    });
    std::vector<RigaComune> righe;
    for (RigaComune& voce : voci) {
        if (!righe.empty()) {
            RigaComune& riga = righe.back();
            if (riga.codice == voce.codice && riga.nome == voce.nome &&
                voce.dal <= GiornoDopo(riga.al)) {
                // The province of the latest period under the name.
                if (voce.al >= riga.al) {
                    riga.al = voce.al;
                    riga.provincia = voce.provincia;
                }
                riga.altroNome = riga.altroNome && voce.altroNome;
                continue;
            }
        }
        righe.push_back(std::move(voce));
    }
    // Dates are YYYY-MM-DD, so text order is time order. A code's rows all end no later than its
    // official name of today, which comes before the same code's other names of that end.
    std::sort(righe.begin(), righe.end(), [](const RigaComune& a, const RigaComune& b) {
        if (a.al != b.al) {
            return a.al > b.al;
        }
        return std::tie(a.altroNome, a.codice, a.nome, a.dal) <
               std::tie(b.altroNome, b.codice, b.nome, b.dal);
    });
    return righe;
}

void CostruisciRegistro(const std::filesystem::path& archivioComuni,
                        const std::filesystem::path& statiEsteri,
                        const std::filesystem::path& registro, const OpzioniCostruzione& opzioni) {
    std::vector<RigaComune> voci = Leggi(archivioComuni, LeggiArchivioComuni);
    std::vector<RigaComune> stati = Leggi(statiEsteri, LeggiStatiEsteri);
    std::error_code ec;
    long rilascio = 0;
    try {
        rilascio = opzioni.rilascio.empty() ? RilascioDeiFile(archivioComuni, statiEsteri)
                                            : NumeroRilascio(opzioni.rilascio);
    } catch (const std::filesystem::filesystem_error& e) {
        throw ErroreCostruzione(statiEsteri.string(), 0,
                                std::string("impossibile leggere la data del file: ") + e.what());
    }
    const std::filesystem::path cartella =
        opzioni.cartellaListe.empty() ? statiEsteri.parent_path() : opzioni.cartellaListe;
    if (const auto cessati = cartella / kStatiCessati; std::filesystem::exists(cessati, ec)) {
        Aggiungi(stati, Leggi(cessati, LeggiStati));
    }
    if (const auto nomi = cartella / kNomiComuniStati; std::filesystem::exists(nomi, ec)) {
        Aggiungi(stati, Leggi(nomi, [&](std::string_view csv) {
                     return LeggiNomiComuni(csv, stati, voci, opzioni.nomiSoloNoti);
                 }));
    }
    Aggiungi(voci, std::move(stati));
    const std::vector<RigaComune> righe = RigheRegistro(std::move(voci));

    std::filesystem::path provvisorio = registro;
    provvisorio += ".tmp";
    std::filesystem::remove(provvisorio, ec);
    try {
        ScriviRegistro(righe, rilascio, provvisorio);
        std::filesystem::rename(provvisorio, registro);
    } catch (const std::filesystem::filesystem_error& e) {
        std::filesystem::remove(provvisorio, ec);
        throw ErroreCostruzione(registro.string(), 0,
                                std::string("impossibile scrivere: ") + e.what());
    } catch (const ErroreCostruzione& e) {
        std::filesystem::remove(provvisorio, ec);
        throw ErroreCostruzione(registro.string(), 0, e.what());
    } catch (...) {
        std::filesystem::remove(provvisorio, ec);
        throw;
    }
}

}  // namespace nodrel
