// The user's own register, made from newer lists of ANPR, and the choice of the register to open.

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>

#include "register/aggiorna.h"
#include "register/costruisci.h"
#include "register/scelta.h"
#include "register_support.h"

namespace {

using namespace prova;

const std::string kArchivio =
    "CODCATASTALE,DENOMTRASLITTERATA,ALTRADENOMTRASLITTERATA,SIGLAPROVINCIA,DATAISTITUZIONE,"
    "DATACESSAZIONE\n"
    "H501,ROMA,,RM,1871-01-15,9999-12-31\n";
const std::string kNuovo = "M999,VALNUOVA,,PD,2025-01-01,9999-12-31\n";

QString Q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

// A program's directory with its register of October 2023 and the short lists beside it, and
// the user's data directory beside that.
class RegisterUpdate : public ::testing::Test {
protected:
    CartellaTemporanea cartella{"nodrel-aggiorna"};
    fs::path programma = cartella / "programma";
    fs::path utente = cartella / "dati/Nodrel/Comuni.mdb";
    fs::path stati = cartella / "ANPR_tabella_stati_esteri.csv";

    void SetUp() override {
        qputenv("XDG_DATA_HOME", (cartella / "dati").string().c_str());
        QCoreApplication::setApplicationName(QString::fromLatin1(nodrel::kNomeApplicazione));
        fs::create_directories(programma);
        for (const char* lista : {"stati_esteri_cessati.csv", "stati_nomi_comuni.csv"}) {
            fs::copy_file(fs::path(NODREL_DATI) / lista, programma / lista);
        }
        fs::copy_file(fs::path(NODREL_DATI) / "ANPR_tabella_stati_esteri.csv", stati);
        ScriviFile(cartella / "installato.csv", kArchivio);
        nodrel::OpzioniCostruzione opzioni;
        opzioni.rilascio = "2023-10";
        nodrel::CostruisciRegistro(cartella / "installato.csv", stati, programma / "Comuni.mdb",
                                   opzioni);
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    nodrel::Aggiornamento Aggiorna(const std::vector<fs::path>& file) {
        QStringList lista;
        for (const fs::path& f : file) {
            lista << Q(f);
        }
        return nodrel::AggiornaRegistro(lista, Q(programma));
    }

    // A zip of the two lists, each entry dated `giorno`.
    fs::path Zip(const std::string& nome, const std::string& archivio, QDate giorno) {
        const fs::path zip = cartella / nome;
        QuaZip z(Q(zip));
        EXPECT_TRUE(z.open(QuaZip::mdCreate));
        for (const auto& [voce, testo] :
             {std::pair{"dati/ANPR_archivio_comuni.csv", archivio},
              std::pair{"dati/ANPR_tabella_stati_esteri.csv", LeggiFile(stati)}}) {
            QuaZipFile f(&z);
            QuaZipNewInfo info(QString::fromLatin1(voce));
            info.dateTime = QDateTime(giorno, QTime(12, 0));
            f.open(QIODevice::WriteOnly, info);
            f.write(testo.data(), static_cast<qint64>(testo.size()));
            f.close();
        }
        z.close();
        return zip;
    }
};

TEST_F(RegisterUpdate, ListsThatFailChangeNothingAndGoodOnesTakeOver) {
    const fs::path buono = cartella / "buono.csv";
    const fs::path rotto = cartella / "rotto.csv";
    ScriviFile(buono, kArchivio + kNuovo);
    ScriviFile(rotto, kArchivio + "M99,VALNUOVA,,PD,2025-01-01,9999-12-31\n");
    const fs::path nuovoZip = Zip("nuovo.zip", kArchivio + kNuovo, QDate(2025, 3, 1));
    const fs::path vecchioZip = Zip("vecchio.zip", kArchivio + kNuovo, QDate(2023, 9, 30));
    const fs::path rottoZip =
        Zip("rotto.zip", kArchivio + "M999,,,PD,2025-01-01,9999-12-31\n", QDate(2025, 4, 1));
    const struct {
        std::vector<fs::path> file;
        bool fatto;
        QString perche;  // how it begins
    } casi[] = {
        {{rotto, stati}, false, Q(rotto) + ":3: il codice catastale M99"},
        {{buono}, false, "Indicare i due file dell'ANPR"},
        {{vecchioZip}, false, "I file indicati sono di settembre 2023: non sono più recenti"},
        {{buono, cartella / "manca.csv"},
         false,
         Q(cartella / "manca.csv") + ": il file non esiste"},
        // Either order; the day is the later of the files'.
        {{stati, buono}, true, ""},
        {{rotto, stati}, false, Q(rotto) + ":3:"},
        {{rottoZip}, false, Q(rottoZip) + "/dati/ANPR_archivio_comuni.csv:3: il campo"},
        {{nuovoZip}, true, ""},
    };
    std::string prima;
    for (const auto& c : casi) {
        SCOPED_TRACE(c.perche.toStdString());
        const nodrel::Aggiornamento esito = Aggiorna(c.file);
        EXPECT_EQ(esito.fatto, c.fatto);
        EXPECT_EQ(esito.perche.left(c.perche.size()), c.perche) << esito.perche.toStdString();
        EXPECT_EQ(fs::exists(utente), c.fatto || !prima.empty());
        // The register alone, no file of a build left beside it.
        const fs::path dati = utente.parent_path();
        EXPECT_EQ(fs::exists(dati)
                      ? std::distance(fs::directory_iterator(dati), fs::directory_iterator())
                      : 0,
                  fs::exists(utente) ? 1 : 0);
        EXPECT_EQ(esito.inUso.utente, fs::exists(utente));
        if (!c.fatto) {
            EXPECT_EQ(prima, fs::exists(utente) ? LeggiFile(utente) : "");
            continue;
        }
        prima = LeggiFile(utente);
        EXPECT_NE(esito.registro->PerCodice(u"M999"), nullptr);
        EXPECT_NE(esito.registro->PerCodice(u"Z118"), nullptr);  // a ceased state, from beside
    }
    EXPECT_EQ(nodrel::DataRegistro(Q(utente)), QDate(2025, 3, 1));
}

// The user's register is opened while it is newer than the installed one, or that one is missing.
TEST_F(RegisterUpdate, TheNewerRegisterIsOpened) {
    const fs::path installato = programma / "Comuni.mdb";
    const struct {
        const char* utente;  // its release; "" none, "x" a file that is no register
        bool installato;
        bool scelto;  // the user's
    } casi[] = {
        {"", true, false},          {"2023-09", true, false}, {"2023-10", true, false},
        {"2023-10-02", true, true}, {"x", true, false},       {"2023-09", false, true},
    };
    const std::string copia = LeggiFile(installato);
    for (const auto& c : casi) {
        SCOPED_TRACE(std::string(c.utente) + (c.installato ? "" : " without the installed one"));
        fs::remove_all(utente.parent_path());
        fs::create_directories(utente.parent_path());
        if (std::string_view(c.utente) == "x") {
            ScriviFile(utente, "non un registro");
        } else if (*c.utente != '\0') {
            nodrel::OpzioniCostruzione opzioni;
            opzioni.rilascio = c.utente;
            nodrel::CostruisciRegistro(cartella / "installato.csv", stati, utente, opzioni);
        }
        if (c.installato) {
            ScriviFile(installato, copia);
        } else {
            fs::remove(installato);
        }
        const nodrel::RegistroInUso scelto = nodrel::SceltaRegistro(Q(programma));
        EXPECT_EQ(scelto.utente, c.scelto);
        EXPECT_EQ(scelto.file, Q(c.scelto ? utente : installato));
    }
}

}  // namespace
