// The register's two seeks through the cursor the engine uses (choose the order, seek, read the
// three columns), and through the engine's lookups, beside the same SQL run as a bare prepared
// statement: SQLite's own cost is the floor, the rest is the cursor's conversions and checks.

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "bench/misura.h"
#include "engine/errore.h"
#include "engine/nodrel1.h"
#include "engine/registro.h"
#include "register/comuni.h"

namespace {

// Keys cycled through, so that the seeks walk different paths of the index rather than one path
// over and over: first letters as a user types them, and some cadastral codes.
constexpr std::array<const char*, 8> kPrefissi = {"A",   "ROM", "MIL", "NAP",
                                                  "TOR", "S",   "VEN", "ZU"};
constexpr std::array<const char*, 8> kCodici = {"A001", "H501", "F205", "F839",
                                                "L219", "G273", "L736", "Z404"};

std::u16string U16(const char* testo) {
    return std::u16string(testo, testo + std::strlen(testo));
}

std::shared_ptr<NODREL1::Recordset> Cursore(benchmark::State& state) {
    try {
        static const auto db = nodrel::ApriDatabase(misura::PercorsoRegistro().u16string());
        return db->OpenRecordset(u"Comuni");
    } catch (const NODREL1::Errore&) {
        state.SkipWithError("Comuni.mdb beside the executable cannot be opened");
        return nullptr;
    }
}

// Reads what the completion and the decoding read: all three columns of the record found.
template <std::size_t N>
void Cerca(benchmark::State& state, NODREL1::Indice indice, NODREL1::Confronto confronto,
           const std::array<const char*, N>& chiavi) {
    const auto rs = Cursore(state);
    if (!rs) {
        return;
    }
    std::array<std::u16string, N> k;
    for (std::size_t i = 0; i < N; ++i) {
        k[i] = U16(chiavi[i]);
        rs->SetIndex(indice);
        rs->Seek(confronto, k[i]);
        if (rs->NoMatch()) {
            state.SkipWithError("a key of the benchmark is not in the register");
            return;
        }
    }
    std::size_t i = 0;
    for (auto _ : state) {
        rs->SetIndex(indice);
        rs->Seek(confronto, k[i]);
        std::u16string cod = rs->Field(u"COMU_COD");
        std::u16string descr = rs->Field(u"COMU_DESCR");
        std::u16string prov = rs->Field(u"COMU_PROV");
        benchmark::DoNotOptimize(cod.data());
        benchmark::DoNotOptimize(descr.data());
        benchmark::DoNotOptimize(prov.data());
        i = (i + 1) % N;
    }
}

void SeekNameRecordset(benchmark::State& state) {
    Cerca(state, NODREL1::Indice::COMU_DESCR, NODREL1::Confronto::MaggioreOUguale, kPrefissi);
}
BENCHMARK(SeekNameRecordset);

void SeekCodeRecordset(benchmark::State& state) {
    Cerca(state, NODREL1::Indice::COMU_COD, NODREL1::Confronto::Uguale, kCodici);
}
BENCHMARK(SeekCodeRecordset);

// The engine's lookups as the windows call them, on the engine's cursor: whether a record was
// found, no column read. Each is one indexed seek, microseconds; a scan of the table instead
// would take milliseconds.
template <std::size_t N>
void CercaNelMotore(benchmark::State& state, bool (*cerca)(const std::u16string&),
                    const std::array<const char*, N>& chiavi) {
    NODREL1::RsComuni = Cursore(state);
    if (!NODREL1::RsComuni) {
        return;
    }
    std::array<std::u16string, N> k;
    for (std::size_t i = 0; i < N; ++i) {
        k[i] = U16(chiavi[i]);
        if (!cerca(k[i])) {
            state.SkipWithError("a key of the benchmark is not in the register");
            NODREL1::Stato.Azzera();
            return;
        }
    }
    std::size_t i = 0;
    for (auto _ : state) {
        bool trovato = cerca(k[i]);
        benchmark::DoNotOptimize(trovato);
        i = (i + 1) % N;
    }
    NODREL1::Stato.Azzera();
}

void SeekNameEngine(benchmark::State& state) {
    CercaNelMotore(state, NODREL1::CercaPerNome, kPrefissi);
}
BENCHMARK(SeekNameEngine);

void SeekCodeEngine(benchmark::State& state) {
    CercaNelMotore(state, NODREL1::CercaPerCodice, kCodici);
}
BENCHMARK(SeekCodeEngine);

// The statements the register prepares for these two seeks, word for word.
constexpr char kPerNome[] =
    "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
    " FROM Comuni INDEXED BY COMU_DESCR WHERE COMU_DESCR COLLATE NOCASE >= ?1"
    " ORDER BY COMU_DESCR COLLATE NOCASE, rowid LIMIT 1";
constexpr char kPerCodice[] =
    "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
    " FROM Comuni INDEXED BY COMU_COD WHERE COMU_COD COLLATE BINARY = ?1"
    " ORDER BY COMU_COD COLLATE BINARY, rowid LIMIT 1";

template <std::size_t N>
void CercaNudo(benchmark::State& state, const char* sql, const std::array<const char*, N>& chiavi) {
    const std::string uri = misura::UriRegistro();
    sqlite3* db = nullptr;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
        state.SkipWithError("Comuni.mdb beside the executable cannot be opened");
        sqlite3_close_v2(db);
        return;
    }
    auto cerca = [s](const char* chiave) {
        sqlite3_reset(s);
        sqlite3_bind_text(s, 1, chiave, -1, SQLITE_STATIC);
        if (sqlite3_step(s) != SQLITE_ROW) {
            return false;
        }
        benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
        for (int c = 1; c < 6; ++c) {
            benchmark::DoNotOptimize(sqlite3_column_text(s, c));
            benchmark::DoNotOptimize(sqlite3_column_bytes(s, c));
        }
        return true;
    };
    bool tutte = true;
    for (const char* chiave : chiavi) {
        tutte = cerca(chiave) && tutte;
    }
    if (!tutte) {
        state.SkipWithError("a key of the benchmark is not in the register");
    } else {
        std::size_t i = 0;
        for (auto _ : state) {
            bool trovato = cerca(chiavi[i]);
            benchmark::DoNotOptimize(trovato);
            i = (i + 1) % N;
        }
    }
    sqlite3_finalize(s);
    sqlite3_close_v2(db);
}

void SeekNameBareSqlite(benchmark::State& state) {
    CercaNudo(state, kPerNome, kPrefissi);
}
BENCHMARK(SeekNameBareSqlite);

void SeekCodeBareSqlite(benchmark::State& state) {
    CercaNudo(state, kPerCodice, kCodici);
}
BENCHMARK(SeekCodeBareSqlite);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    return misura::Esegui({
        {"seek by name prefix: Recordset / bare SQLite", "SeekNameRecordset", "SeekNameBareSqlite"},
        {"seek by code: Recordset / bare SQLite", "SeekCodeRecordset", "SeekCodeBareSqlite"},
        {"CercaPerNome / bare SQLite", "SeekNameEngine", "SeekNameBareSqlite"},
        {"CercaPerCodice / bare SQLite", "SeekCodeEngine", "SeekCodeBareSqlite"},
    });
}
