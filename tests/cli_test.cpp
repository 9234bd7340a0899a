// The command line, as a shell runs it: no display, CSV on standard output, the summary on
// standard error, and an exit status a script can test.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Esito {
    int stato;
    std::string out;
    std::string err;
};

std::string Leggi(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A folder of this process's own: another run of the tests may be going on beside it.
fs::path Cartella() {
    return fs::temp_directory_path() / ("nodrel-cli-" + std::to_string(getpid()));
}

// Runs nodrel with `argomenti` under a shell, with no display to be had: a window, or anything
// asking Qt for the screen, would make it fail. `come` is how in.txt reaches it, the program
// in the place of its %.
Esito Esegui(const std::string& argomenti, const std::string& ingresso = "",
             const std::string& eseguibile = NODREL_ESEGUIBILE, std::string come = "% < in.txt") {
    const fs::path cartella = Cartella();
    fs::create_directories(cartella);
    std::ofstream(cartella / "in.txt", std::ios::binary) << ingresso;
    come.replace(come.find('%'), 1,
                 "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_DATA_HOME='" +
                     (cartella / "dati").string() + "' '" + eseguibile + "' " + argomenti);
    const std::string comando =
        "cd '" + cartella.string() + "' && " + come + " > out.txt 2> err.txt";
    const int stato = std::system(comando.c_str());
    return {WIFEXITED(stato) ? WEXITSTATUS(stato) : -1, Leggi(cartella / "out.txt"),
            Leggi(cartella / "err.txt")};
}

// A command line, what it reads on standard input, and what it must give.
struct Caso {
    std::string argomenti;
    std::string ingresso;
    int stato;
    std::string out;
    std::string err;
};

void Prova(std::span<const Caso> casi) {
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.argomenti);
        const Esito e = Esegui(c.argomenti, c.ingresso);
        EXPECT_EQ(e.stato, c.stato);
        EXPECT_EQ(e.out, c.out);
        EXPECT_EQ(e.err, c.err);
    }
}

TEST(RigaDiComando, ChecksAndDecodesListsWithoutADisplay) {
    const std::string elenco = "codice\r\nRSSMRA80A01H501U\r\nRSSMRA80A01H50MM;omocodice\r\nJ\r\n";
    const std::string verifica =
        "riga;codice;esito;motivo\n"
        "2;RSSMRA80A01H501U;CORRETTO;\n"
        "3;RSSMRA80A01H50MM;CORRETTO;omocodico\n"
        "4;J;ERRATO;lunghezza errata\n";
    const std::string riepilogo = "3 codici: 2 corretti, 1 errato\n";
    const std::string uso =
        "Uso: nodrel [FILE...] | --verifica [FILE] | --decodifica [FILE] | --componi [FILE]\n"
        "     nodrel --aggiorna-comuni ARCHIVIO STATI\n";
    const Caso casi[] = {
        {"--verifica in.txt", elenco, 1, verifica, riepilogo},
        {"--verifica -", elenco, 1, verifica, riepilogo},
        {"--verifica", elenco, 1, verifica, riepilogo},
        {"--verifica", "RSSMRA80A01H501U\n", 0,
         "riga;codice;esito;motivo\n1;RSSMRA80A01H501U;CORRETTO;\n", "1 codice: 1 corretto\n"},
        // Standard input that is a file is read twice too.
        {"--verifica", "RSSMRA80A01H501U\nRSSMRA80A01H501U\n", 0,
         "riga;codice;esito;motivo\n1;RSSMRA80A01H501U;CORRETTO;\n"
         "2;RSSMRA80A01H501U;CORRETTO;duplicato della riga 1\n",
         "2 codici: 2 corretti, 1 duplicato\n"},
        {"--decodifica", "RSSMRA80A01H50MM\nJ", 1,
         "riga;codice;cognome;nome;sesso;data;comune;provincia;codice_catastale\n"
         "1;RSSMRA80A01H50MM;RSS;MRA;M;01/01/1980;ROMA;RM;H501\n2;J;;;;;;;\n",
         "2 codici: 1 corretto, 1 errato\n"},
        // People without codes, from the register beside the program.
        {"--componi",
         "Cognome;Nome;Sesso;Data di nascita;Comune;Prov.\nRossi;Mario;M;01/01/1980;Roma;RM\n"
         "Bianchi;;F;01/01/1980;Roma;RM\n",
         1,
         "riga;cognome;nome;sesso;data;comune;provincia;codice\n"
         "2;Rossi;Mario;M;01/01/1980;Roma;RM;RSSMRA80A01H501U\n3;Bianchi;;F;01/01/"
         "1980;Roma;RM;nome mancante\n",
         "2 codici: 1 corretto, 1 errato, 1 calcolato\n"},
        {"--verifica manca.txt", "", 2, "",
         "nodrel: impossibile leggere manca.txt: il file non esiste\n"},
        // A folder opens and fails at the first read: not even the header is written.
        {"--verifica .", "", 2, "", "nodrel: impossibile leggere .: è una cartella\n"},
        {"--version", "", 0, "nodrel " NODREL_VERSIONE "\n", ""},
        {"--bogus", "", 2, "", "nodrel: opzione sconosciuta: --bogus\n" + uso},
        {"--verifica a b", "", 2, "", "nodrel: un solo FILE alla volta: b è di troppo\n" + uso},
        {"--aggiorna-comuni a b c", "", 2, "",
         "nodrel: --aggiorna-comuni vuole i due file dell'ANPR, ARCHIVIO e STATI, o lo zip che li "
         "contiene\n" +
             uso},
        // The windows, which want a display, are refused with a word of their own.
        {"lista.csv", "", 2, "",
         "nodrel: nessuno schermo disponibile per le finestre; senza finestre: nodrel --verifica "
         "FILE (nodrel --help)\n"},
    };
    Prova(casi);
    const Esito aiuto = Esegui("--help");
    EXPECT_EQ(aiuto.stato, 0);
    EXPECT_NE(aiuto.out.find("--verifica [FILE]"), std::string::npos);
    EXPECT_NE(aiuto.out.find("--decodifica [FILE]"), std::string::npos);
    fs::remove_all(Cartella());
}

// A pipe gives what its file gives: copied to a file of its own and read twice, or read once
// where no such file can be made or it fills up (a copy of 64 KiB here, a duplicate past it; the
// output is kept below that).
TEST(RigaDiComando, APipeGivesWhatItsFileGives) {
    std::string elenco = "Codice fiscale\r\nRSSMRA80A01H501U\nrss mra 80a01 h50m m\nJ\r\n";
    for (int i = 0; i < 50; ++i) {
        elenco += "BNCLRA85M41Z404W\nRSSMRA80A01H501V\n";
    }
    elenco += std::string(100000, 'X') + "\nRSSMRA80A01H501U\n\"FOXLCU66C17F205Z\"\n";
    for (const char* compito : {"--verifica", "--decodifica"}) {
        const Esito file = Esegui(compito + std::string(" in.txt"), elenco);
        for (const char* come : {"cat in.txt | %", "cat in.txt | TMPDIR=/manca %",
                                 "cat in.txt | (trap '' XFSZ; ulimit -f 64; exec %)"}) {
            SCOPED_TRACE(std::string(compito) + ", " + come);
            const Esito e = Esegui(compito, elenco, NODREL_ESEGUIBILE, come);
            EXPECT_EQ(e.stato, file.stato);
            EXPECT_EQ(e.out, file.out);
            EXPECT_EQ(e.err, file.err);
        }
    }
    EXPECT_NE(Esegui("--verifica in.txt", elenco).out.find(";CORRETTO;duplicato della riga 2\n"),
              std::string::npos);
    // People over more than the first piece of a reading, the first of them again at the end.
    std::string persone = "cognome;nome;sesso;data di nascita;comune;provincia\n";
    constexpr char kConsonanti[] = "BCDFGLMNPRSTVZ";
    for (int i = 0; i < 30000; ++i) {
        std::string nomi;
        for (int v = i, k = 0; k < 6; ++k, v /= 14) {
            nomi += kConsonanti[v % 14];
        }
        persone += nomi.substr(0, 3) + ";" + nomi.substr(3) + ";F;15/03/1980;ROMA;RM\n";
    }
    const std::size_t primo = persone.find('\n') + 1;
    persone += persone.substr(primo, persone.find('\n', primo) + 1 - primo);
    for (const auto& [compito, ultima] :
         {std::pair{"--componi", "\n30002;BBB;BBB;F;15/03/1980;ROMA;RM;BBBBBB80C55H501N\n"},
          std::pair{
              "--verifica",
              "\n30002;BBBBBB80C55H501N;CORRETTO;codice calcolato, duplicato della riga 2\n"}}) {
        const Esito file = Esegui(compito + std::string(" in.txt"), persone);
        EXPECT_TRUE(file.out.ends_with(ultima)) << file.out.substr(file.out.size() - 200);
        for (const char* come : {"cat in.txt | %", "cat in.txt | TMPDIR=/manca %"}) {
            SCOPED_TRACE(std::string(compito) + ", people, " + come);
            const Esito e = Esegui(compito, persone, NODREL_ESEGUIBILE, come);
            EXPECT_EQ(e.out, file.out);
            EXPECT_EQ(e.err, file.err);
        }
    }
    fs::remove_all(Cartella());
}

// Lists as LibreOffice Calc and Gnumeric wrote them, each beside what checking it must give,
// row by row and row numbers included; and files that are no list, refused as unreadable ones.
TEST(RigaDiComando, ListsAsOfficeSuitesWriteThem) {
    int letti = 0;
    for (const char* suite : {"calc", "gnumeric"}) {
        for (const auto& voce : fs::directory_iterator(fs::path(NODREL_ELENCHI) / suite)) {
            const fs::path risposta = voce.path().string() + ".verifica";
            if (!fs::exists(risposta)) {
                continue;
            }
            SCOPED_TRACE(voce.path().string());
            const Esito e = Esegui("--verifica '" + voce.path().string() + "'");
            EXPECT_EQ(e.out, Leggi(risposta)) << e.err;
            // Through a pipe too, a workbook as well as a text.
            EXPECT_EQ(Esegui("--verifica", "", NODREL_ESEGUIBILE,
                             "cat '" + voce.path().string() + "' | %")
                          .out,
                      e.out);
            ++letti;
        }
    }
    EXPECT_GE(letti, 27);
    for (const auto& voce : fs::directory_iterator(fs::path(NODREL_ELENCHI) / "non_elenchi")) {
        SCOPED_TRACE(voce.path().string());
        const std::string nome = "'" + voce.path().string() + "'";
        for (const auto& [argomenti, come] :
             {std::pair{"--verifica " + nome, std::string("%")},
              std::pair{std::string("--verifica"), "cat " + nome + " | %"}}) {
            const Esito e = Esegui(argomenti, "", NODREL_ESEGUIBILE, come);
            EXPECT_EQ(e.stato, 2);
            EXPECT_EQ(e.out, "");
            EXPECT_NE(e.err.find("non è un elenco"), std::string::npos) << e.err;
        }
    }
}

// The user's own register, made from lists of ANPR given on the command line, is the one the
// lists are then checked against; lists refused change nothing.
TEST(RigaDiComando, UpdatesTheRegisterOfMunicipalities) {
    const fs::path cartella = Cartella();
    fs::create_directories(cartella);
    const std::string archivio =
        "CODCATASTALE,DENOMTRASLITTERATA,ALTRADENOMTRASLITTERATA,SIGLAPROVINCIA,"
        "DATAISTITUZIONE,DATACESSAZIONE\nH501,ROMA,,RM,1871-01-15,9999-12-31\n";
    std::ofstream(cartella / "buono.csv")
        << archivio << "M999,VALNUOVA,,PD,2025-01-01,9999-12-31\n";
    fs::copy_file(NODREL_DATI "/ANPR_tabella_stati_esteri.csv", cartella / "stati.csv",
                  fs::copy_options::overwrite_existing);
    // The release is the day the lists were last modified, as downloaded.
    const auto giorno = std::chrono::file_clock::from_sys(
        std::chrono::sys_seconds(std::chrono::sys_days(std::chrono::year{2025} / 3 / 15)) +
        std::chrono::hours(12));
    for (const char* f : {"buono.csv", "stati.csv"}) {
        fs::last_write_time(cartella / f, giorno);
    }
    const std::string registro = (cartella / "dati/Nodrel/Comuni.mdb").string();
    const Caso casi[] = {
        {"--aggiorna-comuni buono.csv", "", 1, "",
         "nodrel: elenco dei comuni non aggiornato: Indicare i due file dell'ANPR, l'archivio dei "
         "comuni (ANPR_archivio_comuni.csv) e la tabella degli stati esteri "
         "(ANPR_tabella_stati_esteri.csv), o l'archivio zip che li contiene.\n"},
        {"--aggiorna-comuni stati.csv buono.csv", "", 0,
         "nodrel: elenco dei comuni aggiornato (ANPR, marzo 2025): " + registro + "\n", ""},
        {"--componi", "ROSSI;MARIO;M;01/02/2025;VALNUOVA;PD\n", 0,
         "riga;cognome;nome;sesso;data;comune;provincia;codice\n"
         "1;ROSSI;MARIO;M;01/02/2025;VALNUOVA;PD;RSSMRA25B01M999B\n",
         "1 codice: 1 corretto, 1 calcolato\n"},
    };
    Prova(casi);
    fs::remove_all(cartella);
}

// The executable without the module beside it that holds all but the first window: what needs the
// module says which file is missing; the bare start, which does not, goes as far as the display.
TEST(RigaDiComando, WithoutItsModuleTheProgramNamesTheMissingFile) {
    const fs::path solo = Cartella() / "solo";
    fs::create_directories(solo);
    fs::copy_file(NODREL_ESEGUIBILE, solo / "nodrel");
    const struct {
        std::string argomenti;
        std::string err;
    } casi[] = {
        {"--version",
         "nodrel: impossibile caricare il file " + (solo / "nodrel_finestre.so").string() + "\n"},
        {"",
         "nodrel: nessuno schermo disponibile per le finestre; senza finestre: nodrel --verifica "
         "FILE (nodrel --help)\n"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.argomenti);
        const Esito e = Esegui(c.argomenti, "", (solo / "nodrel").string());
        EXPECT_EQ(e.stato, 2);
        EXPECT_EQ(e.err, c.err);
    }
    fs::remove_all(Cartella());
}

}  // namespace
