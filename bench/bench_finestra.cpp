// The list window against the command line on the same file: ten million different codes, and
// twenty million of which nine in ten are duplicates. Each run is a process of its own: the
// command line's --verifica, timed from its start to its end, its peak resident set as
// /usr/bin/time sees it; and the program with its list window (bench_finestra_elenco), timed
// from the request to the window's done, with its own peak (VmHWM), the moment its bar first
// moved and the heap it keeps once done. The window's bytes a row are what it keeps beyond a list
// of a hundred thousand codes. Under a display when there is one: xvfb-run -a bench_finestra.
//   bench_finestra [--benchmark_repetitions=7 --benchmark_enable_random_interleaving=true]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "codici.h"
#include "misura.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Elenco {
    std::int64_t righe;
    std::int64_t diversi;
};
// By the benchmark's argument.
const std::map<std::int64_t, Elenco> kElenchi = {
    {0, {100'000, 100'000}}, {1, {10'000'000, 10'000'000}}, {2, {20'000'000, 2'000'000}}};

std::map<std::int64_t, fs::path> file;

const fs::path& File(std::int64_t quale) {
    fs::path& p = file[quale];
    if (p.empty()) {
        const Elenco e = kElenchi.at(quale);
        p = fs::temp_directory_path() / ("nodrel-bench-finestra-" + std::to_string(quale) + "-" +
                                         std::to_string(getpid()) + ".txt");
        misura::ScriviCodici(p, e.righe, e.diversi);
    }
    return p;
}

fs::path Accanto(const char* nome) {
    return fs::canonical("/proc/self/exe").parent_path() / nome;
}

// Runs `argomenti` and gives what it wrote on standard output; its time in `secondi`; its exit
// status, -1 when it did not start or end by itself.
int Esegui(std::vector<std::string> argomenti, std::string& uscita, double& secondi) {
    std::vector<char*> argv;
    for (std::string& a : argomenti) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    int tubo[2];
    if (pipe(tubo) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_adddup2(&azioni, tubo[1], 1);
    posix_spawn_file_actions_addclose(&azioni, tubo[0]);
    const auto inizio = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const bool avviato = posix_spawnp(&pid, argv[0], &azioni, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&azioni);
    close(tubo[1]);
    uscita.clear();
    char b[4096];
    for (ssize_t n; avviato && (n = read(tubo[0], b, sizeof b)) > 0;) {
        uscita.append(b, static_cast<std::size_t>(n));
    }
    close(tubo[0]);
    int stato = 0;
    if (avviato) {
        waitpid(pid, &stato, 0);
    }
    secondi = std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
    return avviato && WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
}

// The heap the window keeps once done, by list.
std::map<std::int64_t, double> heapFatto;

void RigaDiComando(benchmark::State& state) {
    const std::string f = File(state.range(0)).string();
    const fs::path rss =
        fs::temp_directory_path() / ("nodrel-bench-finestra-rss-" + std::to_string(getpid()));
    double picco = 0;
    for (auto _ : state) {
        std::string uscita;
        double secondi = 0;
        // Some codes are wrong, which the exit status tells (1).
        if (Esegui({"/usr/bin/time", "-f", "%M", "-o", rss.string(), "sh", "-c",
                    "exec \"$0\" --verifica \"$1\" > /dev/null 2>&1",
                    fs::canonical(NODREL_ESEGUIBILE).string(), f},
                   uscita, secondi) != 1) {
            state.SkipWithError("the command line failed");
            break;
        }
        state.SetIterationTime(secondi);
        // The figure is the file's last word: the exit status is told before it.
        std::ifstream in(rss);
        std::string parola, ultima;
        while (in >> parola) {
            ultima = parola;
        }
        picco = std::atof(ultima.c_str()) / 1024;
    }
    std::error_code ec;
    fs::remove(rss, ec);
    state.counters["peak_MiB"] = picco;
}

void Finestra(benchmark::State& state) {
    const std::string f = File(state.range(0)).string();
    double picco = 0, passo = 0, heap = 0;
    for (auto _ : state) {
        std::string uscita;
        double secondi = 0;
        if (Esegui({Accanto("bench_finestra_elenco").string(), f}, uscita, secondi) != 0) {
            state.SkipWithError("the window failed");
            break;
        }
        std::istringstream in(uscita);
        double fatto = 0;
        long kib = 0;
        std::string righe;
        in >> fatto >> passo >> kib >> heap >> righe;
        state.SetIterationTime(fatto);
        picco = static_cast<double>(kib) / 1024;
        state.SetLabel(righe + " codes");
    }
    state.counters["peak_MiB"] = picco;
    state.counters["first_step_s"] = passo;
    state.counters["heap_done_MiB"] = heap / (1 << 20);
    heapFatto[state.range(0)] = heap;
}

BENCHMARK(RigaDiComando)->DenseRange(1, 2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Finestra)->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const int esito = misura::Esegui({
        {"window / command line, 10 M codes", "Finestra/1/manual_time",
         "RigaDiComando/1/manual_time"},
        {"window / command line, 20 M, 90 % duplicates", "Finestra/2/manual_time",
         "RigaDiComando/2/manual_time"},
    });
    // What the window keeps a row once done, beyond a short list.
    if (const auto base = heapFatto.find(0); base != heapFatto.end()) {
        for (const auto& [quale, heap] : heapFatto) {
            if (quale != 0) {
                const Elenco e = kElenchi.at(quale);
                const double righe = static_cast<double>(e.righe - kElenchi.at(0).righe);
                std::printf("window, %lld M codes: %.1f bytes a row kept once done\n",
                            static_cast<long long>(e.righe / 1'000'000),
                            (heap - base->second) / righe);
            }
        }
    }
    for (const auto& [quale, p] : file) {
        std::error_code ec;
        fs::remove(p, ec);
    }
    return esito;
}
