// The command line: lists of codes checked or decoded without any window or display.

#include "ui/riga/riga_di_comando.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/elenco.h"
#include "engine/testo.h"
#include "register/comuni.h"
#include "ui/toolkit/programma.h"

namespace nodrel {

namespace {

constexpr char kAiuto[] =
    "Uso: nodrel [--verifica | --decodifica] [FILE]\n"
    "\n"
    "Senza opzioni apre la finestra del programma.\n"
    "\n"
    "  --verifica [FILE]    controlla i codici fiscali di FILE, uno per riga, e scrive\n"
    "                       riga;codice;esito;motivo per ciascuno (CSV, UTF-8)\n"
    "  --decodifica [FILE]  scrive i dati di ciascun codice corretto:\n"
    "                       riga;codice;cognome;nome;sesso;data;comune;provincia;"
    "codice_catastale\n"
    "  --help               mostra questo aiuto\n"
    "\n"
    "Senza FILE, o con \"-\", il testo si legge dallo standard input. Di una riga con\n"
    "virgole, punti e virgola o tabulazioni conta il primo campo; le righe vuote e una\n"
    "prima riga di intestazione sono saltate. Il riepilogo va sullo standard error.\n"
    "Stato di uscita: 0 se tutti i codici sono corretti, 1 se almeno uno è errato,\n"
    "2 se il file non si può leggere.\n";

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

// The register beside the program, when there is one that opens; the lists go on without it.
std::shared_ptr<const NODREL1::Registro> RegistroAccanto() {
    try {
        return ApriRegistro(PercorsoRegistro().toStdU16String());
    } catch (const NODREL1::Errore& e) {
        std::fprintf(stderr, "nodrel: elenco dei comuni non disponibile (%s)\n",
                     NODREL1::Utf8(e.Descrizione()).c_str());
        return nullptr;
    }
}

int Esegui(bool decodifica, const char* nomeFile) {
    const bool standard = nomeFile == nullptr || std::strcmp(nomeFile, "-") == 0;
    const char* nome = standard ? "standard input" : nomeFile;
    std::unique_ptr<std::FILE, ChiudiFile> in(standard ? stdin : std::fopen(nomeFile, "rb"));
    if (!in) {
        std::fprintf(stderr, "nodrel: impossibile leggere %s: %s\n", nome, Perche(errno).c_str());
        return 2;
    }
    const std::shared_ptr<const NODREL1::Registro> registro = RegistroAccanto();
    NODREL1::ElencoCodici elenco(registro.get());
    if (!standard) {
        std::error_code ec;
        const auto dimensione = std::filesystem::file_size(nomeFile, ec);
        if (!ec) {
            elenco.Prevedi(dimensione);
        }
    }
    // Decoding names each municipality once, however often it comes.
    std::vector<std::optional<std::pair<std::u16string, std::u16string>>> comuni(
        decodifica ? 26 * 1000 : 0);

    std::string out(decodifica ? NODREL1::kIntestazioneDecodifica : NODREL1::kIntestazioneVerifica);
    bool scritto = true;
    auto svuota = [&out, &scritto] {
        scritto = scritto && std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
        out.clear();
    };
    auto voce = [&](const NODREL1::VoceElenco& v) {
        if (!decodifica) {
            NODREL1::ScriviVerifica(out, v);
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

    std::vector<char> blocco(kBlocco);
    for (;;) {
        const std::size_t letti = std::fread(blocco.data(), 1, blocco.size(), in.get());
        elenco.Leggi(std::string_view(blocco.data(), letti), voce);
        if (letti < blocco.size()) {
            break;
        }
    }
    if (std::ferror(in.get())) {
        svuota();
        std::fprintf(stderr, "nodrel: impossibile leggere %s: %s\n", nome, Perche(errno).c_str());
        return 2;
    }
    elenco.Fine(voce);
    svuota();
    if (std::fflush(stdout) != 0 || !scritto) {
        std::fprintf(stderr, "nodrel: impossibile scrivere i risultati: %s\n",
                     Perche(errno).c_str());
        return 2;
    }
    const NODREL1::Riepilogo& totali = elenco.Totali();
    std::fprintf(stderr, "%s\n", NODREL1::TestoRiepilogo(totali).c_str());
    return totali.errati > 0 ? 1 : 0;
}

}  // namespace

std::optional<int> RigaDiComando(int argc, char* argv[]) {
    if (argc < 2) {
        return std::nullopt;
    }
    const std::string opzione = argv[1];
    if (opzione == "--help" || opzione == "-h") {
        std::fputs(kAiuto, stdout);
        return 0;
    }
    if (opzione != "--verifica" && opzione != "--decodifica") {
        return std::nullopt;  // the windows, and Qt's own options
    }
    if (argc > 3) {
        std::fputs(kAiuto, stderr);
        return 2;
    }
    // A core application only, for the program's directory: no display is asked for.
    QCoreApplication app(argc, argv);
    return Esegui(opzione == "--decodifica", argc == 3 ? argv[2] : nullptr);
}

}  // namespace nodrel
