// The command line: lists of codes checked or decoded without any window or display.

#include "cli/riga_di_comando.h"

#include <sys/stat.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <semaphore>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/elenco.h"
#include "engine/testo.h"
#include "fogli/fogli.h"
#include "register/comuni.h"

namespace nodrel {

namespace {

constexpr char kUso[] =
    "Uso: nodrel [FILE...] | --verifica [FILE] | --decodifica [FILE] | --componi [FILE]\n";

constexpr char kAiuto[] =
    "Uso: nodrel [FILE...] | --verifica [FILE] | --decodifica [FILE] | --componi [FILE]\n"
    "\n"
    "Senza opzioni apre la finestra del programma; con uno o più FILE apre subito la\n"
    "finestra principale e la verifica di ciascun elenco.\n"
    "\n"
    "  --verifica [FILE]    controlla i codici fiscali di FILE e scrive\n"
    "                       riga;codice;esito;motivo per ciascuno (CSV, UTF-8); esito\n"
    "                       CORRETTO, ERRATO o NON CORRISPONDE\n"
    "  --decodifica [FILE]  scrive i dati di ciascun codice corretto:\n"
    "                       riga;codice;cognome;nome;sesso;data;comune;provincia;"
    "codice_catastale\n"
    "  --componi [FILE]     calcola il codice di ciascuna persona di FILE e scrive\n"
    "                       riga;cognome;nome;sesso;data;comune;provincia;codice,\n"
    "                       con il motivo al posto del codice dove non si può calcolare\n"
    "  -h, --help           mostra questo aiuto\n"
    "  -v, --version        mostra la versione\n"
    "\n"
    "Senza FILE, o con \"-\", il testo si legge dallo standard input. FILE è un testo o\n"
    "un CSV (separato da ; , tabulazioni o |; UTF-8, UTF-16 o Windows-1252) o un foglio\n"
    ".xlsx o .ods (il primo). Le colonne si riconoscono dall'intestazione (codice\n"
    "fiscale, cognome, nome, sesso, data di nascita, comune, provincia), cercata nelle\n"
    "prime righe; senza, il codice è la colonna che più gli somiglia. Le righe vuote\n"
    "sono saltate; il riepilogo va sullo standard error.\n"
    "Stato di uscita: 0 se tutti i codici sono corretti, 1 se almeno uno è errato o non\n"
    "corrisponde alla sua persona, 2 per un uso sbagliato o un file che non si può leggere.\n";

constexpr std::size_t kBlocco = 1 << 20;

// The system's reason in Italian: its own texts follow the locale, often English.
std::string Perche(int errore) {
    switch (errore) {
        case ENOENT:
            return "il file non esiste";
        case EACCES:
        case EPERM:
            return "permesso negato";
        case EISDIR:
            return "è una cartella";
        case ENOSPC:
            return "il disco è pieno";
        case EPIPE:
            return "l'uscita è stata chiusa";
        case EIO:
            return "errore di lettura o scrittura del disco";
        default:
            return "errore di sistema " + std::to_string(errore);
    }
}

struct ChiudiFile {
    void operator()(std::FILE* f) const {
        if (f != stdin) {
            std::fclose(f);
        }
    }
};

// The register beside the program, when there is one that opens, or why it does not; the
// lists go on without it.
struct Accanto {
    std::shared_ptr<const NODREL1::Registro> registro;
    std::string errore;
};

Accanto RegistroAccanto(const std::u16string& cartella) {
    try {
        return {ApriRegistro(PercorsoRegistro(cartella)), {}};
    } catch (const NODREL1::Errore& e) {
        return {nullptr, NODREL1::Utf8(e.Descrizione())};
    }
}

// Reads `in` in blocks of kBlocco bytes up to the first that comes short, each handed to
// `leggi` with its print (ElencoCodici::ImprontaPezzo) when `impronte` asks for it, the next one
// read on a thread of its own meanwhile: the system's copying of the text and the print then take
// no time from the judging. Gives the system's error number of a read that failed, 0 for none,
// and in `letto` whether any byte came.
template <class F>
int LeggiInAnticipo(std::FILE* in, bool impronte, F&& leggi, bool& letto) {
    std::array<std::vector<char>, 2> blocchi{std::vector<char>(kBlocco),
                                             std::vector<char>(kBlocco)};
    std::array<std::size_t, 2> letti{};
    std::array<std::uint64_t, 2> stampe{};
    int errore = 0;
    std::counting_semaphore<> liberi(2);
    std::counting_semaphore<> pieni(0);
    std::atomic<bool> basta = false;
    std::jthread lettore([&] {
        for (std::size_t k = 0;; ++k) {
            liberi.acquire();
            if (basta) {
                return;
            }
            std::vector<char>& b = blocchi[k % 2];
            const std::size_t n = std::fread(b.data(), 1, b.size(), in);
            letti[k % 2] = n;
            if (n < b.size() && std::ferror(in) != 0) {
                errore = errno != 0 ? errno : EIO;
            }
            if (impronte) {
                stampe[k % 2] = NODREL1::ElencoCodici::ImprontaPezzo({b.data(), n});
            }
            pieni.release();
            if (n < b.size()) {
                return;
            }
        }
    });
    // However the judging ends, the reader is let go before it is waited for.
    struct Fine {
        std::atomic<bool>& basta;
        std::counting_semaphore<>& liberi;
        ~Fine() {
            basta = true;
            liberi.release();
        }
    } fine{basta, liberi};
    for (std::size_t k = 0;; ++k) {
        pieni.acquire();
        const std::size_t n = letti[k % 2];
        letto = letto || n > 0;
        leggi(std::string_view(blocchi[k % 2].data(), n), stampe[k % 2]);
        if (n < kBlocco) {
            return errore;
        }
        liberi.release();
    }
}

enum class Compito { Verifica, Decodifica, Componi };

int Esegui(Compito compito, const char* nomeFile) {
    const bool decodifica = compito == Compito::Decodifica;
    const bool standard = nomeFile == nullptr || std::strcmp(nomeFile, "-") == 0;
    const char* nome = standard ? "standard input" : nomeFile;
    const bool foglio = !standard && Foglio(QString::fromLocal8Bit(nomeFile));
    std::unique_ptr<std::FILE, ChiudiFile> in(standard ? stdin
                                              : foglio ? nullptr
                                                       : std::fopen(nomeFile, "rb"));
    if (!in && !foglio) {
        std::fprintf(stderr, "nodrel: impossibile leggere %s: %s\n", nome, Perche(errno).c_str());
        return 2;
    }
    // The register is read on a thread of its own: the first reading of a file needs it only
    // for rows that compose a code or compare one with its person.
    std::future<Accanto> inArrivo =
        std::async(std::launch::async, RegistroAccanto,
                   QCoreApplication::applicationDirPath().toStdU16String());
    std::shared_ptr<const NODREL1::Registro> registro;
    auto attendi = [&inArrivo, &registro]() -> const NODREL1::Registro* {
        if (inArrivo.valid()) {
            Accanto a = inArrivo.get();
            if (!a.errore.empty()) {
                std::fprintf(stderr, "nodrel: elenco dei comuni non disponibile (%s)\n",
                             a.errore.c_str());
            }
            registro = std::move(a.registro);
        }
        return registro.get();
    };
    // A file (not a pipe, though it may come as standard input) is read twice, so that no table
    // of all its codes is kept; from where it stands, for standard input.
    struct stat info {};
    const off_t inizio = foglio ? -1 : ftello(in.get());
    const bool dueLetture = !foglio && fstat(fileno(in.get()), &info) == 0 &&
                            S_ISREG(info.st_mode) && inizio >= 0 && inizio <= info.st_size;
    NODREL1::ElencoCodici elenco(dueLetture ? nullptr : attendi());
    if (compito == Compito::Componi) {
        elenco.SoloPersone();
    }
    if (dueLetture) {
        elenco.RegistroInArrivo(attendi);
        elenco.PrimaLettura();
        elenco.Prevedi(static_cast<std::uint64_t>(info.st_size - inizio));
    }
    // Decoding names each municipality once, however often it comes.
    std::vector<std::optional<std::pair<std::u16string, std::u16string>>> comuni(
        decodifica ? 26 * 1000 : 0);

    std::string out(decodifica                    ? NODREL1::kIntestazioneDecodifica
                    : compito == Compito::Componi ? NODREL1::kIntestazioneComponi
                                                  : NODREL1::kIntestazioneVerifica);
    bool scritto = true;
    auto svuota = [&out, &scritto] {
        scritto = scritto && std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
        out.clear();
    };
    auto voce = [&](const NODREL1::VoceElenco& v) {
        if (compito == Compito::Verifica) {
            NODREL1::ScriviVerifica(out, v);
        } else if (compito == Compito::Componi) {
            NODREL1::ScriviComponi(out, v);
        } else {
            const auto dati =
                v.esame.Corretto() ? NODREL1::LeggiCodice(NODREL1::Utf16(v.codice)) : std::nullopt;
            std::pair<std::u16string, std::u16string> comune;
            if (dati && registro) {
                const std::u16string& c = dati->catastale;
                auto& noto =
                    comuni[static_cast<std::size_t>(c[0] - u'A') * 1000 +
                           static_cast<std::size_t>(std::stoi(NODREL1::Utf8(c.substr(1))))];
                if (!noto) {
                    noto.emplace();
                    if (const NODREL1::Comune* trovato = registro->PerCodice(c)) {
                        noto->first = trovato->nome;
                        noto->second = trovato->provincia;
                    }
                }
                comune = *noto;
            }
            NODREL1::ScriviDecodifica(out, v, dati ? &*dati : nullptr, comune.first, comune.second);
        }
        if (out.size() >= kBlocco) {
            svuota();
        }
    };

    if (foglio) {
        QString errore;
        Cartella cartella;
        const bool letto = cartella.Apri(QString::fromLocal8Bit(nomeFile), errore) &&
                           cartella.Leggi(
                               0,
                               [&](std::uint64_t riga, std::span<const std::string_view> celle) {
                                   elenco.LeggiRiga(riga, celle, voce);
                                   return true;
                               },
                               errore);
        if (!letto) {
            std::fprintf(stderr, "nodrel: impossibile leggere %s: %s\n", nome,
                         errore.toLocal8Bit().constData());
            return 2;
        }
    }
    if (dueLetture) {
        if (compito == Compito::Verifica) {
            elenco.ScriviInParallelo([&](std::string_view testo) {
                if (testo.size() < kBlocco / 16) {
                    out += testo;
                    if (out.size() >= kBlocco) {
                        svuota();
                    }
                    return;
                }
                // Half a run of lines goes out as it was written.
                svuota();
                scritto =
                    scritto && std::fwrite(testo.data(), 1, testo.size(), stdout) == testo.size();
            });
        }
        // The first reading hands no row; a file that fails in it is read once, as a pipe
        // would be, and fails where it fails.
        auto niente = [](const NODREL1::VoceElenco&) {};
        bool ripeti = false;
        const int errore = LeggiInAnticipo(
            in.get(), true,
            [&](std::string_view pezzo, std::uint64_t impronta) {
                elenco.Leggi(pezzo, niente, impronta);
            },
            ripeti);
        attendi();  // its message, if any, before those of the reading
        if (errore != 0 && !ripeti) {
            std::fprintf(stderr, "nodrel: impossibile leggere %s: %s\n", nome,
                         Perche(errore).c_str());
            return 2;
        }
        elenco.Fine(niente);
        elenco.SecondaLettura();
        std::clearerr(in.get());
        if (fseeko(in.get(), inizio, SEEK_SET) != 0 || ftello(in.get()) != inizio) {
            std::fprintf(stderr, "nodrel: impossibile leggere %s: %s\n", nome,
                         Perche(errno).c_str());
            return 2;
        }
    }
    bool letto = false;
    const int errore = in ? LeggiInAnticipo(
                                in.get(), dueLetture,
                                [&](std::string_view pezzo, std::uint64_t impronta) {
                                    if (dueLetture) {
                                        elenco.Leggi(pezzo, voce, impronta);
                                    } else {
                                        elenco.Leggi(pezzo, voce);
                                    }
                                },
                                letto)
                          : 0;
    if (errore != 0) {
        // A file that could not be read at all (a folder opens, then fails at the first read)
        // leaves standard output empty; one that failed later keeps the lines judged before.
        if (letto) {
            svuota();
        }
        std::fprintf(stderr, "nodrel: impossibile leggere %s: %s\n", nome, Perche(errore).c_str());
        return 2;
    }
    elenco.Fine(voce);
    svuota();
    if (elenco.Cambiato()) {
        std::fprintf(stderr,
                     "nodrel: impossibile leggere %s: il file è cambiato durante la lettura\n",
                     nome);
        std::fflush(stdout);
        return 2;
    }
    if (std::fflush(stdout) != 0 || !scritto) {
        std::fprintf(stderr, "nodrel: impossibile scrivere i risultati: %s\n",
                     Perche(errno).c_str());
        return 2;
    }
    const NODREL1::Riepilogo& totali = elenco.Totali();
    std::fprintf(stderr, "%s\n", NODREL1::TestoRiepilogo(totali).c_str());
    return totali.errati + totali.nonCorrispondenti > 0 ? 1 : 0;
}

}  // namespace

// A wrong use: one line that says what is wrong, then the usage, on standard error.
int UsoSbagliato(const QString& perche) {
    std::fprintf(stderr, "nodrel: %s\n%s", perche.toLocal8Bit().constData(), kUso);
    return 2;
}

std::optional<int> RigaDiComando(int argc, char* argv[], QStringList& elenchi) {
    // Parsed before any application object exists, so that no answer here needs a display.
    QStringList argomenti;
    for (int i = 0; i < argc; ++i) {
        argomenti << QString::fromLocal8Bit(argv[i]);
    }
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption verifica(QStringLiteral("verifica"));
    const QCommandLineOption decodifica(QStringLiteral("decodifica"));
    const QCommandLineOption componi(QStringLiteral("componi"));
    const QCommandLineOption aiuto(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versione(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({verifica, decodifica, componi, aiuto, versione});
    if (!parser.parse(argomenti)) {
        const QStringList sconosciute = parser.unknownOptionNames();
        return UsoSbagliato(sconosciute.isEmpty() ? parser.errorText()
                                                  : QStringLiteral("opzione sconosciuta: %1")
                                                        .arg((sconosciute.first().size() == 1
                                                                  ? QStringLiteral("-")
                                                                  : QStringLiteral("--")) +
                                                             sconosciute.first()));
    }
    if (parser.isSet(aiuto)) {
        std::fputs(kAiuto, stdout);
        return 0;
    }
    if (parser.isSet(versione)) {
        std::printf("nodrel %s\n", NODREL_VERSIONE);
        return 0;
    }
    const QStringList file = parser.positionalArguments();
    const int compiti =
        int{parser.isSet(verifica)} + int{parser.isSet(decodifica)} + int{parser.isSet(componi)};
    const bool elenco = compiti > 0;
    if (!elenco) {
        elenchi = file;
        return std::nullopt;  // the windows
    }
    if (compiti > 1) {
        return UsoSbagliato(
            QStringLiteral("--verifica, --decodifica e --componi non vanno insieme"));
    }
    if (file.size() > 1) {
        return UsoSbagliato(
            QStringLiteral("un solo FILE alla volta: %1 è di troppo").arg(file.at(1)));
    }
    // A core application only, for the program's directory: no display is asked for.
    QCoreApplication app(argc, argv);
    // The file's name as the shell gave it, byte for byte.
    const char* nome = nullptr;
    for (int i = 1; i < argc && !file.isEmpty() && nome == nullptr; ++i) {
        if (QString::fromLocal8Bit(argv[i]) == file.first()) {
            nome = argv[i];
        }
    }
    return Esegui(parser.isSet(decodifica) ? Compito::Decodifica
                  : parser.isSet(componi)  ? Compito::Componi
                                           : Compito::Verifica,
                  nome);
}

}  // namespace nodrel
