#pragma once

// What the benchmark executables share: where the register is, and the ratio table printed after
// the timings, since a ratio to a floor measured on the same machine says more than a duration.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace misura {

// The register beside the executable, where the build copies it.
inline std::filesystem::path PercorsoRegistro() {
    return std::filesystem::canonical("/proc/self/exe").parent_path() / "Comuni.mdb";
}

// The same file as an SQLite URI opened as the register opens it: read-only and immutable, so
// without locks either. (The path is not escaped: a build directory has no "?" or "#".)
inline std::string UriRegistro() {
    return "file:" + PercorsoRegistro().string() + "?immutable=1";
}

struct Rapporto {
    std::string cosa;    // what the row measures
    std::string misura;  // benchmark name, as printed
    std::string base;    // the benchmark name of its floor
};

// The console output, then one row per ratio whose two benchmarks ran. With repetitions the
// medians are compared. CPU time, which other work on the machine disturbs less; a manually
// timed benchmark has only its real time.
class Reporter : public benchmark::ConsoleReporter {
public:
    explicit Reporter(std::vector<Rapporto> rapporti)
        : ConsoleReporter(OO_Tabular), rapporti_(std::move(rapporti)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred) {
                continue;
            }
            const bool mediana = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (r.run_type == Run::RT_Aggregate && !mediana) {
                continue;
            }
            const std::string nome = r.run_name.str();
            if (mediana || !mediane_.contains(nome)) {
                const double t = r.run_name.time_type == "manual_time" ? r.GetAdjustedRealTime()
                                                                       : r.GetAdjustedCPUTime();
                secondi_[nome] = t / benchmark::GetTimeUnitMultiplier(r.time_unit);
            }
            if (mediana) {
                mediane_.insert(nome);
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        bool intestazione = false;
        for (const Rapporto& r : rapporti_) {
            const auto m = secondi_.find(r.misura);
            const auto b = secondi_.find(r.base);
            if (m == secondi_.end() || b == secondi_.end() || b->second <= 0) {
                continue;
            }
            if (!intestazione) {
                std::printf("\n%-46s %12s %12s %9s\n", "Ratio (measured / floor)", "measured",
                            "floor", "ratio");
                intestazione = true;
            }
            std::printf("%-46s %12s %12s %9.1f\n", r.cosa.c_str(), Durata(m->second).c_str(),
                        Durata(b->second).c_str(), m->second / b->second);
        }
        std::fflush(stdout);
    }

private:
    static std::string Durata(double secondi) {
        char testo[32];
        if (secondi < 1e-6) {
            std::snprintf(testo, sizeof testo, "%.1f ns", secondi * 1e9);
        } else if (secondi < 1e-3) {
            std::snprintf(testo, sizeof testo, "%.2f us", secondi * 1e6);
        } else {
            std::snprintf(testo, sizeof testo, "%.2f ms", secondi * 1e3);
        }
        return testo;
    }

    std::vector<Rapporto> rapporti_;
    std::map<std::string, double> secondi_;
    std::set<std::string> mediane_;
};

// Runs the benchmarks chosen on the command line (benchmark::Initialize already called).
inline int Esegui(std::vector<Rapporto> rapporti) {
    Reporter reporter(std::move(rapporti));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace misura
