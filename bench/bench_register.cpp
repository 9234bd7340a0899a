// The register's two lookups in memory (read the three columns of the record found) beside the
// same seeks run in the file as bare prepared statements: what the register spares the windows.

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "engine/errore.h"
#include "engine/nodrel1.h"
#include "engine/registro.h"
#include "misura.h"
#include "register/comuni.h"
#include "registro_reale.h"

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

// Reads what the completion and the decoding read: all three columns of the record found.
template <std::size_t N, class Cerca>
void CercaInMemoria(benchmark::State& state, Cerca cerca,
                    const std::array<const char*, N>& chiavi) {
    const auto registro = misura::Registro(state);
    if (!registro) {
        return;
    }
    std::array<std::u16string, N> k;
    for (std::size_t i = 0; i < N; ++i) {
        k[i] = U16(chiavi[i]);
        if (cerca(*registro, k[i]) == nullptr) {
            state.SkipWithError("a key of the benchmark is not in the register");
            return;
        }
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const NODREL1::Comune* c = cerca(*registro, k[i]);
        std::u16string cod = c->codice;
        std::u16string descr = c->nome;
        std::u16string prov = c->provincia;
        benchmark::DoNotOptimize(cod.data());
        benchmark::DoNotOptimize(descr.data());
        benchmark::DoNotOptimize(prov.data());
        i = (i + 1) % N;
    }
}

void SeekNameRegistro(benchmark::State& state) {
    CercaInMemoria(
        state,
        [](const NODREL1::Registro& r, const std::u16string& testo) -> const NODREL1::Comune* {
            const auto p = r.PrimoDa(testo);
            return p ? &r[*p] : nullptr;
        },
        kPrefissi);
}
BENCHMARK(SeekNameRegistro);

void SeekCodeRegistro(benchmark::State& state) {
    CercaInMemoria(
        state,
        [](const NODREL1::Registro& r, const std::u16string& codice) {
            return r.PerCodice(codice);
        },
        kCodici);
}
BENCHMARK(SeekCodeRegistro);

// The statements the register's cursor prepared for these two seeks, word for word.
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
        {"by name prefix: Registro / bare SQLite seek", "SeekNameRegistro", "SeekNameBareSqlite"},
        {"by code: Registro / bare SQLite seek", "SeekCodeRegistro", "SeekCodeBareSqlite"},
    });
}
