// The command line: lists of codes checked or decoded without any window or display.

#include "cli/riga_di_comando.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/aggiorna.h"
#include "lists/esecuzione.h"
#include "lists/scrittura.h"
#include "lists/sistema.h"
#include "register/comuni.h"
#include "register/scelta.h"

namespace nodrel {

namespace {

constexpr char kUso[] =
    "Uso: nodrel [FILE...] | --verifica [FILE] | --decodifica [FILE] | --componi [FILE]\n"
    "     nodrel --aggiorna-comuni ARCHIVIO STATI\n";

constexpr char kAiuto[] =
    "Uso: nodrel [FILE...] | --verifica [FILE] | --decodifica [FILE] | --componi [FILE]\n"
    "     nodrel --aggiorna-comuni ARCHIVIO STATI\n"
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
    "  --aggiorna-comuni ARCHIVIO STATI\n"
    "                       aggiorna l'elenco dei comuni dai file dell'ANPR più recenti\n"
    "                       (ANPR_archivio_comuni.csv e ANPR_tabella_stati_esteri.csv,\n"
    "                       o lo zip che li contiene); l'elenco aggiornato sta nella\n"
    "                       cartella dei dati dell'utente e vale per le finestre e per\n"
    "                       la riga di comando; un file che non passa i controlli lascia\n"
    "                       tutto com'era e si indica la riga sbagliata\n"
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
    "corrisponde alla sua persona, 2 per un uso sbagliato o un file che non si può leggere.\n"
    "Con --aggiorna-comuni: 0 se l'elenco è aggiornato, 1 se i file non si leggono, non\n"
    "passano i controlli o non sono più recenti dell'elenco installato, 2 per un uso\n"
    "sbagliato.\n";

// What a run tells besides its rows goes to standard error.
class Messaggi : public Osservatore {
public:
    void Avviso(std::string_view perche) override {
        std::fprintf(stderr, "nodrel: elenco dei comuni non disponibile (%.*s)\n",
                     static_cast<int>(perche.size()), perche.data());
    }
};

int Esegui(UscitaCsv::Compito compito, const char* nomeFile) {
    const bool standard = nomeFile == nullptr || std::strcmp(nomeFile, "-") == 0;
    const char* nome = standard ? "standard input" : nomeFile;
    // The register is read on a thread of its own: the first reading of a file needs it only
    // for rows that compose a code or compare one with its person.
    RegistroAtteso registro(
        SceltaRegistro(QCoreApplication::applicationDirPath()).file.toStdU16String());
    bool scritto = true;
    UscitaCsv uscita(
        compito,
        [&scritto](std::string_view testo) {
            scritto = scritto && std::fwrite(testo.data(), 1, testo.size(), stdout) == testo.size();
        },
        &registro);
    Esecuzione esecuzione({&registro, NODREL1::Oggi(), compito == UscitaCsv::Compito::Componi});
    Messaggi messaggi;
    const EsitoEsecuzione esito = esecuzione.Esegui(
        standard ? Sorgente::Flusso(stdin) : Sorgente::File(nomeFile), uscita, {}, &messaggi);
    switch (esito.tipo) {
        case EsitoEsecuzione::Tipo::Illeggibile:
            // A file that could not be read at all (a folder opens, then fails at the first
            // read) leaves standard output empty; one that failed later keeps the lines judged
            // before.
            if (esito.letto) {
                uscita.Svuota();
            }
            std::fprintf(stderr, "nodrel: impossibile leggere %s: %s\n", nome,
                         esito.perche.c_str());
            return 2;
        case EsitoEsecuzione::Tipo::Cambiato:
            uscita.Svuota();
            std::fflush(stdout);
            std::fprintf(stderr, "nodrel: impossibile leggere %s: %s\n", nome,
                         esito.perche.c_str());
            return 2;
        case EsitoEsecuzione::Tipo::Fatto:
        case EsitoEsecuzione::Tipo::Interrotto:
            break;
    }
    uscita.Svuota();
    if (std::fflush(stdout) != 0 || !scritto) {
        std::fprintf(stderr, "nodrel: impossibile scrivere i risultati: %s\n",
                     PercheSistema(errno).c_str());
        return 2;
    }
    const Riepilogo& totali = esecuzione.Totali();
    // A workbook of several sheets: which one was read.
    const std::string foglio =
        esecuzione.Foglio().empty() ? std::string() : " (foglio " + esecuzione.Foglio() + ")";
    std::fprintf(stderr, "%s%s\n", TestoRiepilogo(totali).c_str(), foglio.c_str());
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
    const QCommandLineOption aggiorna(QStringLiteral("aggiorna-comuni"));
    const QCommandLineOption aiuto(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versione(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({verifica, decodifica, componi, aggiorna, aiuto, versione});
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
    if (parser.isSet(aggiorna)) {
        if (compiti > 0) {
            return UsoSbagliato(QStringLiteral(
                "--aggiorna-comuni non va insieme a --verifica, --decodifica o --componi"));
        }
        if (file.isEmpty() || file.size() > 2) {
            return UsoSbagliato(QStringLiteral(
                "--aggiorna-comuni vuole i due file dell'ANPR, ARCHIVIO e STATI, o lo zip che li "
                "contiene"));
        }
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QString::fromLatin1(kNomeApplicazione));
        return AggiornaComuni(file);
    }
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
    // A core application only, for the program's directory and the user's: no display is asked
    // for.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(kNomeApplicazione));
    // The file's name as the shell gave it, byte for byte.
    const char* nome = nullptr;
    for (int i = 1; i < argc && !file.isEmpty() && nome == nullptr; ++i) {
        if (QString::fromLocal8Bit(argv[i]) == file.first()) {
            nome = argv[i];
        }
    }
    return Esegui(parser.isSet(decodifica) ? UscitaCsv::Compito::Decodifica
                  : parser.isSet(componi)  ? UscitaCsv::Compito::Componi
                                           : UscitaCsv::Compito::Verifica,
                  nome);
}

}  // namespace nodrel
