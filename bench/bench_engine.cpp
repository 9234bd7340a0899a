// The engine's three commands, with the register open as in the program, beside the least work
// each could do: a bare loop over the sixteen characters with the check tables, no strings, no
// register (for decoding, also with one bare prepared seek). The ratio says how much the
// engine's strings, lookups and indirections cost.

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/nodrel1.h"
#include "misura.h"
#include "register/comuni.h"
#include "registro_reale.h"

namespace {

// One person, as the main window's fields hold them.
constexpr std::u16string_view kCognome = u"ROSSI";
constexpr std::u16string_view kNome = u"MARIO";
constexpr std::u16string_view kSesso = u"M";
constexpr std::u16string_view kLuogo = u"ROMA";
constexpr std::u16string_view kProvincia = u"RM";
constexpr std::u16string_view kData = u"01/01/1980";
constexpr std::u16string_view kCatastale = u"H501";
constexpr std::u16string_view kCodiceComposto = u"RSS MRA 80A01 H501 U";
constexpr std::u16string_view kCodice = u"RSSMRA80A01H501U";

// ---- The floor: fixed buffers and 128-entry tables --------------------------------------------

using Tabella = std::array<std::uint8_t, 128>;

// Values at odd positions (counted from 1); a digit is worth what the letter of its rank is.
constexpr Tabella TabellaDispari() {
    constexpr std::uint8_t kLettere[26] = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                                           20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};
    Tabella t{};
    for (int i = 0; i < 26; ++i) {
        t[static_cast<std::size_t>('A' + i)] = kLettere[i];
    }
    for (int i = 0; i < 10; ++i) {
        t[static_cast<std::size_t>('0' + i)] = kLettere[i];
    }
    return t;
}

// Values at even positions: a letter's rank, a digit's value.
constexpr Tabella TabellaPari() {
    Tabella t{};
    for (int i = 0; i < 26; ++i) {
        t[static_cast<std::size_t>('A' + i)] = static_cast<std::uint8_t>(i);
    }
    for (int i = 0; i < 10; ++i) {
        t[static_cast<std::size_t>('0' + i)] = static_cast<std::uint8_t>(i);
    }
    return t;
}

constexpr Tabella kDispari = TabellaDispari();
constexpr Tabella kPari = TabellaPari();
constexpr char16_t kMesi[] = u"ABCDEHLMPRST";

char16_t Controllo(const char16_t* c) {
    unsigned totale = 0;
    for (int i = 0; i < 15; ++i) {
        const std::size_t v = c[i] & 0x7F;
        totale += (i & 1) == 0 ? kDispari[v] : kPari[v];
    }
    return static_cast<char16_t>(u'A' + totale % 26);
}

bool Vocale(char16_t c) {
    return c == u'A' || c == u'E' || c == u'I' || c == u'O' || c == u'U';
}

// Three letters of a surname (or, with `nome`, of a given name) into `out`.
void Lettere(std::u16string_view testo, bool nome, char16_t* out) {
    char16_t consonanti[4];
    char16_t vocali[3];
    int nc = 0;
    int nv = 0;
    for (char16_t c : testo) {
        if (c == u' ') {
            continue;
        }
        if (Vocale(c)) {
            if (nv < 3) {
                vocali[nv++] = c;
            }
        } else if (nc < 4) {
            consonanti[nc++] = c;
        }
    }
    if (nome && nc == 4) {
        consonanti[1] = consonanti[2];
        consonanti[2] = consonanti[3];
    }
    nc = nc > 3 ? 3 : nc;
    int n = 0;
    for (int i = 0; i < nc; ++i) {
        out[n++] = consonanti[i];
    }
    for (int i = 0; i < nv && n < 3; ++i) {
        out[n++] = vocali[i];
    }
    while (n < 3) {
        out[n++] = u'X';
    }
}

void Componi(std::u16string_view cognome, std::u16string_view nome, std::u16string_view data,
             std::u16string_view sesso, std::u16string_view luogo, char16_t* out) {
    Lettere(cognome, false, out);
    Lettere(nome, true, out + 3);
    out[6] = data[8];
    out[7] = data[9];
    out[8] = kMesi[(data[3] - u'0') * 10 + (data[4] - u'0') - 1];
    out[9] = static_cast<char16_t>(data[0] + (sesso[0] == u'F' ? 4 : 0));
    out[10] = data[1];
    for (int i = 0; i < 4; ++i) {
        out[11 + i] = luogo[static_cast<std::size_t>(i)];
    }
    out[15] = Controllo(out);
}

struct Dati {
    char16_t cognome[3];
    char16_t nome[3];
    char16_t data[8];  // GG/MM/AA
    bool femmina;
    char16_t comune[4];
};

bool Decodifica(const char16_t* c, Dati& d) {
    if (Controllo(c) != c[15]) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        d.cognome[i] = c[i];
        d.nome[i] = c[3 + i];
    }
    d.femmina = c[9] >= u'4';
    d.data[0] = static_cast<char16_t>(d.femmina ? c[9] - 4 : c[9]);
    d.data[1] = c[10];
    d.data[2] = u'/';
    int mese = 0;
    while (mese < 12 && kMesi[mese] != c[8]) {
        ++mese;
    }
    ++mese;
    d.data[3] = static_cast<char16_t>(u'0' + mese / 10);
    d.data[4] = static_cast<char16_t>(u'0' + mese % 10);
    d.data[5] = u'/';
    d.data[6] = c[6];
    d.data[7] = c[7];
    for (int i = 0; i < 4; ++i) {
        d.comune[i] = c[11 + i];
    }
    return true;
}

// ---- Compose ----------------------------------------------------------------------------------

void ComposeEngine(benchmark::State& state) {
    NODREL1::Modulo m;
    m.registro = misura::Registro(state);
    if (!m.registro) {
        return;
    }
    // No record chosen by the user: composition looks the name up among the homonyms.
    const std::u16string cognome(kCognome), nome(kNome), sesso(kSesso), luogo(kLuogo),
        provincia(kProvincia), data(kData);
    // What the compose command does: the fields into the module variables, then the engine.
    auto componi = [&] {
        m.Cognome = cognome;
        m.Nome = nome;
        m.Sesso = sesso;
        m.Luogo = luogo;
        m.Provincia = provincia;
        m.DataNascita = data;
        return !m.CalcolaCodice(nullptr, false).rifiuto;
    };
    if (!componi() || m.Codice != kCodiceComposto) {
        state.SkipWithError("the engine composed another code");
        return;
    }
    for (auto _ : state) {
        bool composto = componi();
        benchmark::DoNotOptimize(composto);
        benchmark::DoNotOptimize(m.Codice.data());
    }
}
BENCHMARK(ComposeEngine);

// The same without a register: the record chosen is used as it is, as when none was opened.
void ComposeEngineWithoutRegister(benchmark::State& state) {
    NODREL1::Modulo m;
    const NODREL1::Comune roma{std::u16string(kCatastale), std::u16string(kLuogo),
                               std::u16string(kProvincia), u"1871-01-01", u"9999-12-31"};
    const std::u16string cognome(kCognome), nome(kNome), sesso(kSesso), luogo(kLuogo),
        provincia(kProvincia), data(kData);
    auto componi = [&] {
        m.Cognome = cognome;
        m.Nome = nome;
        m.Sesso = sesso;
        m.Luogo = luogo;
        m.Provincia = provincia;
        m.DataNascita = data;
        return !m.CalcolaCodice(&roma, false).rifiuto;
    };
    if (!componi() || m.Codice != kCodiceComposto) {
        state.SkipWithError("the engine composed another code");
        return;
    }
    for (auto _ : state) {
        bool composto = componi();
        benchmark::DoNotOptimize(composto);
        benchmark::DoNotOptimize(m.Codice.data());
    }
}
BENCHMARK(ComposeEngineWithoutRegister);

void ComposeBaseline(benchmark::State& state) {
    const std::u16string cognome(kCognome), nome(kNome), sesso(kSesso), luogo(kCatastale),
        data(kData);
    char16_t codice[16];
    Componi(cognome, nome, data, sesso, luogo, codice);
    if (std::u16string_view(codice, 16) != kCodice) {
        state.SkipWithError("the baseline composed another code");
        return;
    }
    for (auto _ : state) {
        benchmark::ClobberMemory();  // the inputs are read afresh each time
        Componi(cognome, nome, data, sesso, luogo, codice);
        benchmark::DoNotOptimize(codice);
    }
}
BENCHMARK(ComposeBaseline);

// ---- Verify -----------------------------------------------------------------------------------

void VerifyEngine(benchmark::State& state) {
    const NODREL1::Modulo m;
    const std::u16string codice(kCodice);
    if (m.ControllaCodice(codice) != std::u16string_view(NODREL1::kMsgCodiceCorretto)) {
        state.SkipWithError("the engine did not find the code right");
        return;
    }
    for (auto _ : state) {
        auto messaggio = m.ControllaCodice(codice);
        benchmark::DoNotOptimize(messaggio);
    }
}
BENCHMARK(VerifyEngine);

void VerifyBaseline(benchmark::State& state) {
    const std::u16string codice(kCodice);
    if (Controllo(codice.data()) != codice[15]) {
        state.SkipWithError("the baseline did not find the code right");
        return;
    }
    for (auto _ : state) {
        benchmark::ClobberMemory();
        bool giusto = Controllo(codice.data()) == codice[15];
        benchmark::DoNotOptimize(giusto);
    }
}
BENCHMARK(VerifyBaseline);

// ---- Decode -----------------------------------------------------------------------------------

void DecodeEngine(benchmark::State& state) {
    NODREL1::Modulo m;
    m.registro = misura::Registro(state);
    if (!m.registro) {
        return;
    }
    const std::u16string codice(kCodice);
    const NODREL1::Decodificato esito = m.EstraiDati(codice);
    if (!esito.dati || esito.comune == nullptr || esito.comune->nome != kLuogo ||
        esito.comune->provincia != kProvincia || esito.dati->data != kData ||
        esito.dati->cognome != u"RSS" || esito.dati->donna) {
        state.SkipWithError("the engine decoded other data");
        return;
    }
    for (auto _ : state) {
        NODREL1::Decodificato d = m.EstraiDati(codice);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(DecodeEngine);

void DecodeBaseline(benchmark::State& state) {
    const std::u16string codice(kCodice);
    Dati d{};
    if (!Decodifica(codice.data(), d) || std::u16string_view(d.data, 8) != u"01/01/80") {
        state.SkipWithError("the baseline decoded other data");
        return;
    }
    for (auto _ : state) {
        benchmark::ClobberMemory();
        bool buono = Decodifica(codice.data(), d);
        benchmark::DoNotOptimize(buono);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(DecodeBaseline);

// The same, and the municipality found by one bare prepared statement: the least a decoding
// against the register can cost.
void DecodeBaselineWithSeek(benchmark::State& state) {
    sqlite3* db = nullptr;
    const std::string uri = misura::UriRegistro();
    sqlite3_stmt* s = nullptr;
    constexpr char kSql[] =
        "SELECT COMU_COD, COMU_DESCR, COMU_PROV FROM Comuni INDEXED BY COMU_COD"
        " WHERE COMU_COD COLLATE BINARY = ?1 ORDER BY COMU_COD COLLATE BINARY, rowid LIMIT 1";
    if (sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v3(db, kSql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
        state.SkipWithError("Comuni.mdb beside the executable cannot be opened");
        sqlite3_close_v2(db);
        return;
    }
    const std::u16string codice(kCodice);
    Dati d{};
    char comune[4];
    auto decodifica = [&] {
        if (!Decodifica(codice.data(), d)) {
            return false;
        }
        for (int i = 0; i < 4; ++i) {
            comune[i] = static_cast<char>(d.comune[i]);
        }
        sqlite3_reset(s);
        sqlite3_bind_text(s, 1, comune, 4, SQLITE_STATIC);
        if (sqlite3_step(s) != SQLITE_ROW) {
            return false;
        }
        for (int i = 0; i < 3; ++i) {
            benchmark::DoNotOptimize(sqlite3_column_text(s, i));
            benchmark::DoNotOptimize(sqlite3_column_bytes(s, i));
        }
        return true;
    };
    if (!decodifica()) {
        state.SkipWithError("the bare seek did not find the municipality");
    } else {
        for (auto _ : state) {
            benchmark::ClobberMemory();
            bool buono = decodifica();
            benchmark::DoNotOptimize(buono);
        }
    }
    sqlite3_finalize(s);
    sqlite3_close_v2(db);
}
BENCHMARK(DecodeBaselineWithSeek);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    return misura::Esegui({
        {"compose: engine / bare loop", "ComposeEngine", "ComposeBaseline"},
        {"compose, no register: engine / bare loop", "ComposeEngineWithoutRegister",
         "ComposeBaseline"},
        {"verify: engine / bare loop", "VerifyEngine", "VerifyBaseline"},
        {"decode: engine / bare loop", "DecodeEngine", "DecodeBaseline"},
        {"decode: engine / bare loop + bare seek", "DecodeEngine", "DecodeBaselineWithSeek"},
    });
}
