// The command line's --verifica on a file of ten million generated codes, beside two floors:
// reading the same file (cat FILE > /dev/null), and a bare loop that only computes the check
// characters of the codes already in memory; and the same --verifica on a tenth and five times
// as many codes, from the file and through a pipe (beside the pipe copied to a file by the shell
// and the file verified); --decodifica beside --verifica. The files are made in the temporary
// directory and removed at the end.
//   bench_elenco [--benchmark_repetitions=3] [nodrel executable, by default the one built]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "codici.h"
#include "misura.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kCodici = 10'000'000;
std::string eseguibile = NODREL_ESEGUIBILE;

using misura::Controllo;

// Eight right codes in ten, one an omocode, one with a wrong check letter; none repeated.
// Made once a run, in the temporary directory, and removed at its end.
std::map<std::int64_t, fs::path> file;

const fs::path& File(std::int64_t codici = kCodici) {
    fs::path& p = file[codici];
    if (!p.empty()) {
        return p;
    }
    p = fs::temp_directory_path() / ("nodrel-bench-" + std::to_string(codici / 1'000'000) + "M-" +
                                     std::to_string(getpid()) + ".txt");
    std::mt19937_64 caso(20261207);
    std::ofstream out(p, std::ios::binary);
    std::string testo;
    char c[17];
    c[16] = '\n';
    for (std::int64_t n = 0; n < codici; ++n) {
        const std::uint64_t x = caso();
        for (int i = 0; i < 6; ++i) {
            c[i] = static_cast<char>('A' + (x >> (5 * i)) % 26);
        }
        std::snprintf(c + 6, 11, "%02d%c%02d%c%03d", static_cast<int>(n % 100),
                      "ABCDEHLMPRST"[n % 12], static_cast<int>(1 + (x >> 32) % 31 + (n % 2) * 40),
                      "ABCDEFGHILMZ"[(x >> 40) % 12], static_cast<int>(n / 100 % 1000));
        if (n % 10 == 1) {
            c[14] = "LMNPQRSTUV"[c[14] - '0'];
        }
        c[15] = Controllo(c);
        if (n % 10 == 2) {
            c[15] = c[15] == 'Z' ? 'A' : static_cast<char>(c[15] + 1);
        }
        testo.append(c, 17);
        if (testo.size() >= (1 << 24)) {
            out << testo;
            testo.clear();
        }
    }
    out << testo;
    out.close();
    // On the disk before any run is timed, so that no run shares the machine with the writing.
    if (const int fd = open(p.c_str(), O_RDONLY); fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return p;
}

// A million rows with people, as offices keep them: codice;cognome;nome;sesso;data;comune;
// provincia, each code its person's, in four municipalities; with `codice` false the code column
// is left empty, for composition.
fs::path FilePersone(bool codice) {
    fs::path& p = file[codice ? -1 : -2];
    if (!p.empty()) {
        return p;
    }
    p = fs::temp_directory_path() /
        ("nodrel-bench-persone-" + std::string(codice ? "c" : "n") + std::to_string(getpid()) +
         ".csv");
    static constexpr const char* kLuoghi[][3] = {
        {"ROMA", "RM", "H501"}, {"MILANO", "MI", "F205"}, {"NAPOLI", "NA", "F839"},
        {"TORINO", "TO", "L219"}};
    std::mt19937_64 caso(20261208);
    std::string testo = "codice;cognome;nome;sesso;data di nascita;comune;provincia\n";
    constexpr char kConsonanti[] = "BCDFGLMNPRSTVZ";
    for (int n = 0; n < 1'000'000; ++n) {
        const std::uint64_t x = caso();
        char c[17] = {};
        for (int i = 0; i < 6; ++i) {
            c[i] = kConsonanti[(x >> (4 * i)) % 14];
        }
        const int anno = 1930 + static_cast<int>((x >> 24) % 70);
        const int mese = 1 + static_cast<int>((x >> 32) % 12);
        const int giorno = 1 + static_cast<int>((x >> 36) % 28);
        const bool donna = (x >> 41) & 1;
        const auto& luogo = kLuoghi[(x >> 42) % 4];
        std::snprintf(c + 6, 11, "%02d%c%02d%s", anno % 100, "ABCDEHLMPRST"[mese - 1],
                      giorno + (donna ? 40 : 0), luogo[2]);
        c[15] = Controllo(c);
        char riga[128];
        std::snprintf(riga, sizeof riga, "%s;%.3s;%.3s;%c;%02d/%02d/%d;%s;%s\n",
                      codice ? std::string(c, 16).c_str() : "", c, c + 3, donna ? 'F' : 'M',
                      giorno, mese, anno, luogo[0], luogo[1]);
        testo += riga;
    }
    std::ofstream(p, std::ios::binary) << testo;
    return p;
}

void Rimuovi() {
    for (const auto& [codici, p] : file) {
        std::error_code ec;
        fs::remove(p, ec);
    }
}

// Runs a program with its output thrown away, and times it.
void Esegui(benchmark::State& state, std::vector<std::string> argomenti,
            std::int64_t codici = kCodici) {
    std::vector<char*> argv;
    for (std::string& a : argomenti) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    for (auto _ : state) {
        posix_spawn_file_actions_t azioni;
        posix_spawn_file_actions_init(&azioni);
        posix_spawn_file_actions_addopen(&azioni, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&azioni, 2, "/dev/null", O_WRONLY, 0);
        const auto inizio = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (posix_spawnp(&pid, argv[0], &azioni, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start the program");
            break;
        }
        int stato = 0;
        waitpid(pid, &stato, 0);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count());
        posix_spawn_file_actions_destroy(&azioni);
    }
    state.counters["codes/s"] =
        benchmark::Counter(static_cast<double>(codici) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    // The peak resident set of one more run, untimed, as /usr/bin/time sees it: a child started
    // from here would count this process's own pages too.
    const fs::path rss =
        fs::temp_directory_path() / ("nodrel-bench-rss-" + std::to_string(getpid()));
    std::string comando = "/usr/bin/time -f %M -o '" + rss.string() + "'";
    for (const std::string& a : argomenti) {
        comando += " '" + a + "'";
    }
    if (fs::exists("/usr/bin/time") && std::system((comando + " > /dev/null 2>&1").c_str()) >= 0) {
        // The figure is the file's last word: a failing exit status is told before it.
        std::ifstream in(rss);
        std::string parola, ultima;
        while (in >> parola) {
            ultima = parola;
        }
        if (!ultima.empty() && std::isdigit(static_cast<unsigned char>(ultima[0]))) {
            state.counters["peak MiB"] = std::stod(ultima) / 1024;
        }
    }
    std::error_code ec;
    fs::remove(rss, ec);
}

// The list of the window's benchmark, and lists a tenth and five times as long.
void TreElenchi(benchmark::internal::Benchmark* b) {
    b->Arg(kCodici / 10)
        ->Arg(kCodici)
        ->Arg(kCodici * 5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
}

void Verifica(benchmark::State& state) {
    Esegui(state, {eseguibile, "--verifica", File(state.range(0)).string()}, state.range(0));
}
BENCHMARK(Verifica)->Apply(TreElenchi);

// The same lists through a pipe, which cannot be read twice: the program keeps the table of
// every right code seen. Its peak memory is kept for the bytes a code, printed at the end.
std::map<std::int64_t, double> piccoPipe;

void VerificaPipe(benchmark::State& state) {
    const std::string comando =
        "cat \"" + File(state.range(0)).string() + "\" | \"" + eseguibile + "\" --verifica";
    Esegui(state, {"sh", "-c", comando}, state.range(0));
    if (const auto picco = state.counters.find("peak MiB"); picco != state.counters.end()) {
        piccoPipe[state.range(0)] = picco->second;
    }
}
BENCHMARK(VerificaPipe)->Apply(TreElenchi);

// The shell's stand-in for what a pipe costs the program: the same pipe copied to a file, then
// the file verified. A pipe is never slower than this.
void CopiaPoiVerifica(benchmark::State& state) {
    const std::string copia =
        (fs::temp_directory_path() / ("nodrel-bench-copia-" + std::to_string(getpid()) + ".txt"))
            .string();
    const std::string comando = "cat \"" + File(state.range(0)).string() + "\" | cat > \"" + copia +
                                "\" && \"" + eseguibile + "\" --verifica \"" + copia +
                                "\"; rm -f \"" + copia + "\"";
    Esegui(state, {"sh", "-c", comando}, state.range(0));
}
BENCHMARK(CopiaPoiVerifica)
    ->Arg(kCodici)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Decoding writes every field of a right code, from its bytes and the register's record.
void Decodifica(benchmark::State& state) {
    Esegui(state, {eseguibile, "--decodifica", File(state.range(0)).string()}, state.range(0));
}
BENCHMARK(Decodifica)
    ->Arg(kCodici / 10)
    ->Arg(kCodici)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Rows with people: each code compared with its person, and each person composed.
void VerificaPersone(benchmark::State& state) {
    Esegui(state, {eseguibile, "--verifica", FilePersone(true).string()}, 1'000'000);
}
BENCHMARK(VerificaPersone)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void ComponiPersone(benchmark::State& state) {
    Esegui(state, {eseguibile, "--componi", FilePersone(false).string()}, 1'000'000);
}
BENCHMARK(ComponiPersone)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void Cat(benchmark::State& state) {
    Esegui(state, {"cat", File().string()});
}
BENCHMARK(Cat)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void CheckCharacters(benchmark::State& state) {
    std::ifstream in(File(), std::ios::binary);
    const std::string testo{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (auto _ : state) {
        const auto inizio = std::chrono::steady_clock::now();
        std::uint64_t giusti = 0;
        for (std::size_t i = 0; i + 17 <= testo.size(); i += 17) {
            giusti += Controllo(&testo[i]) == testo[i + 15];
        }
        benchmark::DoNotOptimize(giusti);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count());
    }
    state.counters["codes/s"] =
        benchmark::Counter(static_cast<double>(kCodici) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(CheckCharacters)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc > 1) {
        eseguibile = argv[1];
    }
    const int esito = misura::Esegui({
        {"--verifica / cat FILE", "Verifica/10000000/iterations:3/manual_time",
         "Cat/iterations:3/manual_time"},
        {"--verifica / bare check-character loop", "Verifica/10000000/iterations:3/manual_time",
         "CheckCharacters/iterations:3/manual_time"},
        {"--verifica 10 M / 1 M codes", "Verifica/10000000/iterations:3/manual_time",
         "Verifica/1000000/iterations:3/manual_time"},
        {"--verifica 50 M / 10 M codes", "Verifica/50000000/iterations:3/manual_time",
         "Verifica/10000000/iterations:3/manual_time"},
        {"cat FILE | --verifica / --verifica FILE, 10 M codes",
         "VerificaPipe/10000000/iterations:3/manual_time",
         "Verifica/10000000/iterations:3/manual_time"},
        {"cat FILE | --verifica / cat | cat > F; --verifica F",
         "VerificaPipe/10000000/iterations:3/manual_time",
         "CopiaPoiVerifica/10000000/iterations:3/manual_time"},
        {"--decodifica / --verifica, 1 M codes", "Decodifica/1000000/iterations:3/manual_time",
         "Verifica/1000000/iterations:3/manual_time"},
        {"--decodifica / --verifica, 10 M codes", "Decodifica/10000000/iterations:3/manual_time",
         "Verifica/10000000/iterations:3/manual_time"},
        {"--verifica 1 M rows with people / 1 M codes",
         "VerificaPersone/iterations:3/manual_time", "Verifica/1000000/iterations:3/manual_time"},
        {"--componi 1 M people / 1 M codes", "ComponiPersone/iterations:3/manual_time",
         "Verifica/1000000/iterations:3/manual_time"},
        {"cat FILE | --verifica 10 M / 1 M codes", "VerificaPipe/10000000/iterations:3/manual_time",
         "VerificaPipe/1000000/iterations:3/manual_time"},
        {"cat FILE | --verifica 50 M / 10 M codes",
         "VerificaPipe/50000000/iterations:3/manual_time",
         "VerificaPipe/10000000/iterations:3/manual_time"},
    });
    // Nine codes in ten are right and all different: the table's cost of one, beyond what a
    // list of a million takes.
    if (const auto base = piccoPipe.find(kCodici / 10); base != piccoPipe.end()) {
        for (const auto& [codici, picco] : piccoPipe) {
            if (codici > base->first) {
                const double codiciInPiu = static_cast<double>(codici - base->first) * 0.9;
                std::printf("cat FILE | --verifica, %lld M codes: %.1f bytes a right code\n",
                            static_cast<long long>(codici / 1'000'000),
                            (picco - base->second) * 1024 * 1024 / codiciInPiu);
            }
        }
    }
    Rimuovi();
    return esito;
}
