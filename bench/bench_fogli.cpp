// Reading a workbook of a million rows (codice;cognome;nome;sesso;data;comune;provincia, as
// LibreOffice Calc writes an .xlsx: every text a shared string, dates as numbers of a date
// style) against its floor, inflating the sheet alone (unzip -p FILE xl/worksheets/sheet1.xml >
// /dev/null); with the peak memory of each. The reading runs in a process of its own, this
// executable started again with --leggi, so that its peak is its own. The file is made in the
// temporary directory and removed at the end.
//   bench_fogli [--benchmark_repetitions=7 --benchmark_enable_random_interleaving=true]
// (interleaved, the reading and its floor are measured under the same load of the machine).
//   bench_fogli --fai FILE      makes the list only, for trying the reading by hand
//   bench_fogli --leggi FILE    reads a workbook's first sheet, as the benchmark does

#include <fcntl.h>
#include <quazip.h>
#include <quazipfile.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fogli/fogli.h"
#include "misura.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kRighe = 1'000'000;

const char* kCognomi[] = {"ROSSI",   "RUSSO",   "FERRARI", "ESPOSITO", "BIANCHI",  "ROMANO",
                          "COLOMBO", "RICCI",   "MARINO",  "GRECO",    "BRUNO",    "GALLO",
                          "CONTI",   "DE LUCA", "MANCINI", "COSTA",    "GIORDANO", "RIZZO"};
const char* kNomi[] = {"MARIO", "LAURA", "GIUSEPPE", "ANNA",   "LUCA",   "GIULIA", "MARCO",
                       "SARA",  "PAOLO", "ELENA",    "ANDREA", "CHIARA", "NICOLÒ"};
const char* kComuni[][2] = {{"ROMA", "RM"},    {"MILANO", "MI"},  {"NAPOLI", "NA"},
                            {"TORINO", "TO"},  {"FORLÌ", "FC"},   {"BARI", "BA"},
                            {"BOLOGNA", "BO"}, {"FIRENZE", "FI"}, {"GENOVA", "GE"}};

std::string Cifre(long n) {
    return std::to_string(n);
}

// Calc's parts around the sheet, as it writes them.
const char* kTipi =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Types xmlns=\"http://schemas.openxmlformats.org/"
    "package/2006/content-types\"><Override PartName=\"/_rels/.rels\" ContentType=\"application/"
    "vnd.openxmlformats-package.relationships+xml\"/><Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "</Types>";
const char* kRadice =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships xmlns=\"http://schemas."
    "openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://"
    "schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/"
    "workbook.xml\"/></Relationships>";
const char* kLibro =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<workbook xmlns=\"http://"
    "schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"http://schemas."
    "openxmlformats.org/officeDocument/2006/relationships\"><fileVersion appName=\"Calc\"/>"
    "<workbookPr backupFile=\"false\" showObjects=\"all\" date1904=\"false\"/><sheets><sheet "
    "name=\"Foglio1\" sheetId=\"1\" state=\"visible\" r:id=\"rId2\"/></sheets></workbook>";
const char* kRelazioni =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships xmlns=\"http://schemas."
    "openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://"
    "schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\""
    "/><Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId3\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
    "Target=\"sharedStrings.xml\"/></Relationships>";
const char* kStili =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<styleSheet xmlns=\"http://"
    "schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts count=\"2\"><numFmt "
    "numFmtId=\"164\" formatCode=\"General\"/><numFmt numFmtId=\"165\" formatCode=\"dd/mm/yyyy\"/>"
    "</numFmts><cellXfs count=\"2\"><xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
    "applyFont=\"false\" applyBorder=\"false\" applyAlignment=\"false\" applyProtection=\"false\" "
    "xfId=\"0\"/><xf numFmtId=\"165\" fontId=\"0\" fillId=\"0\" borderId=\"0\" applyFont=\"false\" "
    "applyBorder=\"false\" applyAlignment=\"false\" applyProtection=\"true\" xfId=\"0\"/>"
    "</cellXfs></styleSheet>";

void Voce(QuaZip& zip, const char* nome, const std::string& testo) {
    QuaZipFile file(&zip);
    file.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(nome)), nullptr, 0,
              Z_DEFLATED, Z_DEFAULT_COMPRESSION);
    file.write(testo.data(), static_cast<qint64>(testo.size()));
    file.close();
}

// The list at `file`, its codes all different (the shared strings of a million).
void Fai(const fs::path& file) {
    // The shared strings: the header's, the names', the places', then a code a row.
    std::vector<std::string> condivisi = {
        "Codice fiscale", "Cognome",   "Nome", "Sesso", "Data di nascita",
        "Comune",         "Provincia", "M",    "F"};
    const std::size_t cognomi = condivisi.size();
    for (const char* c : kCognomi) {
        condivisi.emplace_back(c);
    }
    const std::size_t nomi = condivisi.size();
    for (const char* n : kNomi) {
        condivisi.emplace_back(n);
    }
    const std::size_t comuni = condivisi.size();
    for (const auto& c : kComuni) {
        condivisi.emplace_back(c[0]);
        condivisi.emplace_back(c[1]);
    }
    const std::size_t codici = condivisi.size();
    std::mt19937_64 caso(20250131);
    for (int r = 0; r < kRighe; ++r) {
        std::string codice(16, 'A');
        std::uint64_t x = caso();
        for (int i = 0; i < 6; ++i, x /= 26) {
            codice[static_cast<std::size_t>(i)] = static_cast<char>('A' + x % 26);
        }
        std::snprintf(codice.data() + 6, 11, "%02d%c%02d%c%03d", r % 100, "ABCDEHLMPRST"[r % 12],
                      1 + r % 28, "ABCDEFGHILMZ"[r / 12 % 12], r / 1000 % 1000);
        codice[15] = static_cast<char>('A' + r % 26);
        condivisi.push_back(codice);
    }
    std::string sst =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"http://"
        "schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
        Cifre(kRighe * 6L + 7) + "\" uniqueCount=\"" + Cifre(static_cast<long>(condivisi.size())) +
        "\">";
    for (const std::string& s : condivisi) {
        sst += "<si><t xml:space=\"preserve\">" + s + "</t></si>";
    }
    sst += "</sst>";

    std::string foglio =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"http://"
        "schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"http://schemas."
        "openxmlformats.org/officeDocument/2006/relationships\"><sheetPr filterMode=\"false\">"
        "<pageSetUpPr fitToPage=\"false\"/></sheetPr><dimension ref=\"A1:G" +
        Cifre(kRighe + 1) +
        "\"/><sheetFormatPr defaultColWidth=\"11.53515625\" "
        "defaultRowHeight=\"12.8\" zeroHeight=\"false\" outlineLevelRow=\"0\" "
        "outlineLevelCol=\"0\"></sheetFormatPr><sheetData>";
    foglio.reserve(static_cast<std::size_t>(kRighe) * 330);
    auto riga = [&foglio](int r) {
        foglio += "<row r=\"" + Cifre(r) +
                  "\" customFormat=\"false\" ht=\"12.8\" hidden=\"false\" customHeight=\"false\" "
                  "outlineLevel=\"0\" collapsed=\"false\">";
    };
    auto testo = [&foglio](char colonna, int r, std::size_t s) {
        foglio += "<c r=\"";
        foglio += colonna;
        foglio += Cifre(r) + "\" s=\"0\" t=\"s\"><v>" + Cifre(static_cast<long>(s)) + "</v></c>";
    };
    riga(1);
    for (int c = 0; c < 7; ++c) {
        testo(static_cast<char>('A' + c), 1, static_cast<std::size_t>(c));
    }
    foglio += "</row>";
    for (int r = 0; r < kRighe; ++r) {
        const int n = r + 2;
        riga(n);
        testo('A', n, codici + static_cast<std::size_t>(r));
        testo('B', n, cognomi + static_cast<std::size_t>(r) % std::size(kCognomi));
        testo('C', n, nomi + static_cast<std::size_t>(r) % std::size(kNomi));
        testo('D', n, static_cast<std::size_t>(7 + r % 2));
        foglio += "<c r=\"E" + Cifre(n) + "\" s=\"1\" t=\"n\"><v>" + Cifre(20000 + r % 20000) +
                  "</v></c>";
        const std::size_t comune = static_cast<std::size_t>(r) % std::size(kComuni);
        testo('F', n, comuni + comune * 2);
        testo('G', n, comuni + comune * 2 + 1);
        foglio += "</row>";
    }
    foglio +=
        "</sheetData><pageMargins left=\"0.7875\" right=\"0.7875\" top=\"1.05277777777778\" "
        "bottom=\"1.05277777777778\" header=\"0.7875\" footer=\"0.7875\"/></worksheet>";

    QuaZip zip(QString::fromStdString(file.string()));
    zip.open(QuaZip::mdCreate);
    Voce(zip, "[Content_Types].xml", kTipi);
    Voce(zip, "_rels/.rels", kRadice);
    Voce(zip, "xl/workbook.xml", kLibro);
    Voce(zip, "xl/_rels/workbook.xml.rels", kRelazioni);
    Voce(zip, "xl/styles.xml", kStili);
    Voce(zip, "xl/sharedStrings.xml", sst);
    Voce(zip, "xl/worksheets/sheet1.xml", foglio);
    zip.close();
    if (const int fd = open(file.c_str(), O_RDONLY); fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Made once a run, by a process of its own, so that this one stays small for the ones it
// starts.
fs::path file;

const fs::path& File() {
    if (file.empty()) {
        file = fs::temp_directory_path() / ("nodrel-bench-fogli-" + Cifre(getpid()) + ".xlsx");
        std::string comando = fs::canonical("/proc/self/exe").string();
        comando.append(" --fai ").append(file.string());
        if (std::system(comando.c_str()) != 0) {
            std::fprintf(stderr, "cannot make %s\n", file.c_str());
        }
    }
    return file;
}

// Runs a program with its output thrown away, and times it and its CPU time; then once more,
// untimed, for its peak resident set as /usr/bin/time sees it (a child started from here would
// count some of this process's pages too).
void Esegui(benchmark::State& state, std::vector<std::string> argomenti) {
    std::vector<char*> argv;
    for (std::string& a : argomenti) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    double cpu = 0;  // the child's, user and system: less disturbed by others' work than its time
    for (auto _ : state) {
        posix_spawn_file_actions_t azioni;
        posix_spawn_file_actions_init(&azioni);
        posix_spawn_file_actions_addopen(&azioni, 1, "/dev/null", O_WRONLY, 0);
        const auto inizio = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (posix_spawnp(&pid, argv[0], &azioni, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start the program");
            break;
        }
        int stato = 0;
        rusage uso{};
        wait4(pid, &stato, 0, &uso);
        cpu += static_cast<double>(uso.ru_utime.tv_sec + uso.ru_stime.tv_sec) +
               static_cast<double>(uso.ru_utime.tv_usec + uso.ru_stime.tv_usec) / 1e6;
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count());
        posix_spawn_file_actions_destroy(&azioni);
        if (!WIFEXITED(stato) || WEXITSTATUS(stato) != 0) {
            state.SkipWithError("the program failed");
            break;
        }
    }
    state.counters["CPU s"] =
        cpu / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(kRighe) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    const fs::path rss = fs::temp_directory_path() / ("nodrel-bench-rss-" + Cifre(getpid()));
    std::string comando = "/usr/bin/time -f %M -o '" + rss.string() + "'";
    for (const std::string& a : argomenti) {
        comando += " '" + a + "'";
    }
    if (fs::exists("/usr/bin/time") && std::system((comando + " > /dev/null").c_str()) == 0) {
        std::ifstream in(rss);
        double kib = 0;
        if (in >> kib) {
            state.counters["peak MiB"] = kib / 1024;
        }
    }
    std::error_code ec;
    fs::remove(rss, ec);
}

void Opzioni(benchmark::internal::Benchmark* b) {
    b->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
}

void LeggiXlsx(benchmark::State& state) {
    Esegui(state, {fs::canonical("/proc/self/exe").string(), "--leggi", File().string()});
}
BENCHMARK(LeggiXlsx)->Apply(Opzioni);

void UnzipFoglio(benchmark::State& state) {
    Esegui(state, {"unzip", "-p", File().string(), "xl/worksheets/sheet1.xml"});
}
BENCHMARK(UnzipFoglio)->Apply(Opzioni);

// The reading itself, in this process's child: every row handed, none kept.
int Leggi(const char* percorso) {
    nodrel::Cartella cartella;
    QString errore;
    std::uint64_t righe = 0, byte = 0;
    const bool letto = cartella.Apri(QString::fromLocal8Bit(percorso), errore) &&
                       cartella.Leggi(
                           0,
                           [&](std::uint64_t, std::span<const std::string_view> celle) {
                               ++righe;
                               for (std::string_view c : celle) {
                                   byte += c.size();
                               }
                               return true;
                           },
                           errore);
    if (!letto) {
        std::fprintf(stderr, "%s\n", errore.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%llu rows, %llu bytes of cells\n", static_cast<unsigned long long>(righe),
                static_cast<unsigned long long>(byte));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--leggi") == 0) {
        return Leggi(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "--fai") == 0) {
        Fai(argv[2]);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    const int esito = misura::Esegui({
        {"read 1 M rows of .xlsx / unzip -p its sheet", "LeggiXlsx/iterations:3/manual_time",
         "UnzipFoglio/iterations:3/manual_time"},
    });
    std::error_code ec;
    fs::remove(file, ec);
    return esito;
}
