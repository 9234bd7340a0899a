// The user's own register, made from newer lists of ANPR, and the choice of the register to open.

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

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
    "DATACESSAZIONE\nH501,ROMA,,RM,1871-01-15,9999-12-31\n";

QString Q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

// A program's directory with its register of October 2023 and the short lists beside it, and
// the user's data directory.
class RegisterUpdate : public ::testing::Test {
protected:
    CartellaTemporanea cartella{"nodrel-aggiorna"};
    fs::path programma = cartella / "programma";
    fs::path utente = cartella / "dati/Nodrel/Comuni.mdb";
    fs::path stati = cartella / "stati.csv";

    void SetUp() override {
        qputenv("XDG_DATA_HOME", (cartella / "dati").string().c_str());
        QCoreApplication::setApplicationName(QString::fromLatin1(nodrel::kNomeApplicazione));
        fs::create_directories(programma);
        for (const char* lista : {"stati_esteri_cessati.csv", "stati_nomi_comuni.csv"}) {
            fs::copy_file(fs::path(NODREL_DATI) / lista, programma / lista);
        }
        fs::copy_file(fs::path(NODREL_DATI) / "ANPR_tabella_stati_esteri.csv", stati);
        Costruisci("2023-10", programma / "Comuni.mdb");
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    void Costruisci(const std::string& rilascio, const fs::path& registro) {
        ScriviFile(cartella / "installato.csv", kArchivio);
        nodrel::OpzioniCostruzione opzioni;
        opzioni.rilascio = rilascio;
        nodrel::CostruisciRegistro(cartella / "installato.csv", stati, registro, opzioni);
    }
};

TEST_F(RegisterUpdate, ListsThatFailChangeNothingAndGoodOnesTakeOver) {
    const fs::path buono = cartella / "buono.csv", rotto = cartella / "rotto.csv";
    const fs::path vecchio = cartella / "vecchio.csv", zip = cartella / "anpr.zip";
    ScriviFile(buono, kArchivio + "M999,VALNUOVA,,PD,2025-01-01,9999-12-31\n");
    ScriviFile(rotto, kArchivio + "M99,VALNUOVA,,PD,2025-01-01,9999-12-31\n");
    // Lists last modified years before the installed register was made.
    const fs::path statiVecchi = cartella / "stati_vecchi.csv";
    fs::copy_file(buono, vecchio);
    fs::copy_file(stati, statiVecchi);
    for (const fs::path& f : {vecchio, statiVecchi}) {
        fs::last_write_time(
            f, fs::last_write_time(programma / "Comuni.mdb") - std::chrono::hours(24 * 365 * 4));
    }
    // The lists in a folder of a zip, dated by it.
    QuaZip z(Q(zip));
    ASSERT_TRUE(z.open(QuaZip::mdCreate));
    for (const auto& [voce, testo] :
         {std::pair{"d/ANPR_archivio_comuni.csv", LeggiFile(buono)},
          std::pair{"d/ANPR_tabella_stati_esteri.csv", LeggiFile(stati)}}) {
        QuaZipFile f(&z);
        QuaZipNewInfo info(QString::fromLatin1(voce));
        info.dateTime = QDateTime(QDate(2025, 3, 1), QTime(12, 0));
        f.open(QIODevice::WriteOnly, info);
        f.write(testo.data(), static_cast<qint64>(testo.size()));
    }
    z.close();
    const struct {
        std::vector<fs::path> file;
        QString perche;  // how it begins; empty when the update is made
    } casi[] = {
        {{rotto, stati}, Q(rotto) + ":3: il codice catastale M99"},
        {{buono}, "Indicare i due file dell'ANPR"},
        {{vecchio, statiVecchi}, "I file indicati sono di"},
        {{stati, buono}, ""},  // either order
        {{rotto, stati}, Q(rotto) + ":3:"},
        {{zip}, ""},
    };
    std::string prima;
    for (const auto& c : casi) {
        SCOPED_TRACE(c.perche.toStdString());
        QStringList file;
        for (const fs::path& f : c.file) {
            file << Q(f);
        }
        const nodrel::Aggiornamento esito = nodrel::AggiornaRegistro(file, Q(programma));
        EXPECT_EQ(esito.fatto, c.perche.isEmpty()) << esito.perche.toStdString();
        EXPECT_EQ(esito.perche.left(c.perche.size()), c.perche) << esito.perche.toStdString();
        EXPECT_EQ(esito.inUso.utente, esito.fatto || !prima.empty());
        // The register alone, no file of a build left beside it.
        const fs::path dati = utente.parent_path();
        EXPECT_EQ(fs::exists(dati)
                      ? std::distance(fs::directory_iterator(dati), fs::directory_iterator())
                      : 0,
                  esito.inUso.utente ? 1 : 0);
        if (!esito.fatto) {
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
    const std::string copia = LeggiFile(installato);
    // The user's register by its release: "" none, "x" a file that is no register.
    for (const auto& [rilascio, conInstallato, scelto] : {
             std::tuple{"", true, false},
             {"2023-09", true, false},
             {"2023-10", true, false},
             {"2023-10-02", true, true},
             {"x", true, false},
             {"2023-09", false, true},
         }) {
        SCOPED_TRACE(std::string(rilascio) + (conInstallato ? "" : " without the installed one"));
        fs::remove_all(utente.parent_path());
        fs::create_directories(utente.parent_path());
        if (std::string_view(rilascio) == "x") {
            ScriviFile(utente, "non un registro");
        } else if (*rilascio != '\0') {
            Costruisci(rilascio, utente);
        }
        ScriviFile(installato, copia);
        if (!conInstallato) {
            fs::remove(installato);
        }
        EXPECT_EQ(nodrel::SceltaRegistro(Q(programma)).file, Q(scelto ? utente : installato));
    }
}

}  // namespace
