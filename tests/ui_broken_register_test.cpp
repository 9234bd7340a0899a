// Registers the program cannot use, met at start-up: one error message, then a main window that
// still works without them; and whatever lies in the program's directory is left exactly as it
// was, the register byte for byte, with nothing added beside it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <cstring>
#include <functional>
#include <map>

#include "engine/errore.h"
#include "register/comuni.h"
#include "register_support.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui_harness.h"

using nodrel::Form2;
namespace fs = std::filesystem;

namespace {

const QRegularExpression kFasMsg(QStringLiteral("^FasMsg: ([0-9]+) \\S"));

// A start-up that blocks (reading a pipe, say) ends the run with the case's name, instead of
// hanging it until the test driver gives up.
class Sveglia {
public:
    explicit Sveglia(const char* caso) {
        caso_ = caso;
        signal(SIGALRM, [](int) {
            const char testo[] = "broken register: no answer within 30 s: ";
            ssize_t scritti = write(STDERR_FILENO, testo, sizeof testo - 1);
            scritti = write(STDERR_FILENO, caso_, std::strlen(caso_));
            (void)scritti;
            _exit(EXIT_FAILURE);
        });
        alarm(30);
    }
    ~Sveglia() {
        alarm(0);
        signal(SIGALRM, SIG_DFL);
    }

private:
    static inline const char* caso_ = "";
};

using Fotografia = std::map<std::string, std::string>;

// Every entry under the directory: what it is and, for a file, the SHA-256 of its contents.
Fotografia Fotografa(const fs::path& cartella) {
    Fotografia voci;
    for (const fs::directory_entry& voce : fs::recursive_directory_iterator(cartella)) {
        const fs::file_status stato = voce.symlink_status();
        std::string cosa = "something else";
        if (fs::is_symlink(stato)) {
            cosa = "link to " + fs::read_symlink(voce.path()).string();
        } else if (fs::is_directory(stato)) {
            cosa = "directory";
        } else if (fs::is_regular_file(stato)) {
            QFile file(QString::fromStdString(voce.path().string()));
            QCryptographicHash sha(QCryptographicHash::Sha256);
            cosa = file.open(QIODevice::ReadOnly) && sha.addData(&file)
                       ? "file " + sha.result().toHex().toStdString()
                       : "unreadable file of " + std::to_string(fs::file_size(voce.path()));
        }
        voci[voce.path().lexically_relative(cartella).string()] = cosa;
    }
    return voci;
}

// The real register with some SQL run over it.
void Vero(const fs::path& file, const std::string& sql) {
    fs::copy_file(prova::RegistroVero(), file);
    prova::CreaDatabase(file, sql);
}

// Starts the program over the directory, presses OK, and checks the start-up's one message
// (numero 0: none), then runs `uso` on the main window; the directory must not change meanwhile.
void Prova(const fs::path& cartella, long numero, const std::function<void(Form2*)>& uso) {
    const Fotografia prima = Fotografa(cartella);
    ASSERT_TRUE(prima.contains("Comuni.mdb"));
    Form2* f = prova::ApriPrincipale(QString::fromStdString(cartella.string()));
    ASSERT_NE(f, nullptr);
    const QStringList avvio = prova::Messaggi();
    if (numero == 0) {
        EXPECT_TRUE(avvio.isEmpty()) << avvio.join('|').toStdString();
    } else {
        ASSERT_EQ(avvio.size(), 1) << avvio.join('|').toStdString();
        const QRegularExpressionMatch m = kFasMsg.match(avvio[0]);
        ASSERT_TRUE(m.hasMatch()) << avvio[0].toStdString();
        EXPECT_EQ(m.captured(1).toLong(), numero) << avvio[0].toStdString();
    }
    EXPECT_TRUE(prova::MessaggiIrregolari().isEmpty());
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->isEnabled());
    EXPECT_EQ(prova::NomeFuoco(), "Text2");
    uso(f);
    EXPECT_EQ(Fotografa(cartella), prima) << "with the window open";
    prova::ChiudiTutto();
    prova::Avvia();  // lets go of the register, as leaving the program does
    prova::ChiudiTutto();
    EXPECT_EQ(Fotografa(cartella), prima) << "after leaving";
}

// Without a register the program still verifies, and composing asks for the municipality; the
// municipality is a plain field, which looks nothing up and says nothing.
void UsoSenzaRegistro(Form2* f) {
    f->Text5->setFocus();
    prova::Elabora();
    prova::Scrivi("ro");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(f->Text5->text(), "RO");

    prova::Clicca(f->findChild<QWidget*>("Image5"));  // empty fields, the focus in the surname
    prova::Scrivi("rossi");
    prova::Invio();
    prova::Scrivi("mario");
    prova::Invio();
    prova::Premi(Qt::Key_Tab);  // Enter in an empty municipality keeps the focus there
    prova::Scrivi("01/01/1980");
    prova::Invio();
    prova::Invio();  // in the sex box: compose, with no municipality
    EXPECT_EQ(f->Text1->text(), "");
    EXPECT_EQ(prova::Messaggi(),
              QStringList{"ERRORE : Inserire nuovamente luogo di nascita e provincia"});
    EXPECT_EQ(prova::NomeFuoco(), "Text5");

    f->Text1->setText("RSS MRA 80A01 H501 U");
    prova::Clicca(f->findChild<QWidget*>("Image3"));
    EXPECT_EQ(prova::Messaggi(), QStringList{"CODICE FISCALE CORRETTO"});
}

// With a usable register the municipality completes, and nothing is said.
void UsoConRegistro(Form2* f) {
    f->Text5->setFocus();
    prova::Elabora();
    prova::Scrivi("ro");
    EXPECT_EQ(f->Text5->text(), "RO");
    EXPECT_EQ(f->Text6->text(), "FE");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

}  // namespace

TEST(BrokenRegister, EachGivesOneMessageAndTheProgramGoesOnWithoutIt) {
    std::mt19937 caso(11);
    std::string casuali(64 * 1024, '\0');
    for (char& b : casuali) {
        b = static_cast<char>(caso());
    }
    const std::string tabella =
        "CREATE TABLE Comuni (COMU_COD TEXT, COMU_DESCR TEXT, COMU_PROV TEXT, COMU_DAL TEXT,"
        " COMU_AL TEXT);"
        "CREATE INDEX COMU_DESCR ON Comuni (COMU_DESCR COLLATE NOCASE);"
        "CREATE INDEX COMU_COD ON Comuni (COMU_COD);";
    auto dati = [](std::string contenuto) {
        return [contenuto](const fs::path& file) { prova::ScriviFile(file, contenuto); };
    };
    auto sql = [](std::string testo) {
        return [testo](const fs::path& file) { prova::CreaDatabase(file, testo); };
    };
    auto vero = [](std::string testo) {
        return [testo](const fs::path& file) { Vero(file, testo); };
    };
    const struct {
        const char* caso;
        std::function<void(const fs::path&)> crea;
        long numero;
    } casi[] = {
        {"the first half of the real register",
         dati(prova::LeggiFile(prova::RegistroVero())
                  .substr(0, fs::file_size(prova::RegistroVero()) / 2)),
         SQLITE_CORRUPT},
        {"random bytes", dati(casuali), SQLITE_NOTADB},
        {"a zero-length file", dati(""), NODREL1::kErrTabellaSconosciuta},
        {"a database with no table", sql("PRAGMA user_version = 3;"),
         NODREL1::kErrTabellaSconosciuta},
        {"no table Comuni", sql("CREATE TABLE Altro (COMU_COD, COMU_DESCR, COMU_PROV);"),
         NODREL1::kErrTabellaSconosciuta},
        {"a table Comuni of other columns",
         sql("CREATE TABLE Comuni (CODICE TEXT, NOME TEXT, PROVINCIA TEXT);"
             "INSERT INTO Comuni VALUES ('H501', 'ROMA', 'RM');"),
         NODREL1::kErrColonnaSconosciuta},
        {"no index COMU_DESCR", vero("DROP INDEX COMU_DESCR;"), NODREL1::kErrIndiceSconosciuto},
        {"no index COMU_COD", vero("DROP INDEX COMU_COD;"), NODREL1::kErrIndiceSconosciuto},
        {"a NULL province",
         sql(tabella +
             "INSERT INTO Comuni VALUES ('H501', 'ROMA', 'RM', '1884-09-11', '9999-12-31'),"
             " ('F205', 'MILANO', NULL, '1873-06-23', '9999-12-31');"),
         NODREL1::kErrValoreMancante},
        {"a name of 10 MB",
         vero("INSERT INTO Comuni VALUES ('Z999', printf('%.*c', 10000000, 'A'), 'EE',"
              " '1900-01-01', '9999-12-31');"),
         SQLITE_TOOBIG},
        {"a directory", [](const fs::path& file) { fs::create_directory(file); }, SQLITE_CANTOPEN},
        {"a link to nowhere", [](const fs::path& file) { fs::create_symlink("Altro.mdb", file); },
         SQLITE_CANTOPEN},
        {"a link to itself", [](const fs::path& file) { fs::create_symlink("Comuni.mdb", file); },
         SQLITE_CANTOPEN},
        // Opened, it would block the start-up until someone wrote into it.
        {"a named pipe", [](const fs::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); },
         SQLITE_CANTOPEN},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        Sveglia sveglia(c.caso);
        prova::CartellaTemporanea cartella;
        c.crea(cartella / "Comuni.mdb");
        Prova(cartella.Percorso(), c.numero, UsoSenzaRegistro);
    }
}

TEST(BrokenRegister, AnUnreadableRegister) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads a file whatever its permissions";
    }
    prova::CartellaTemporanea cartella;
    fs::copy_file(prova::RegistroVero(), cartella / "Comuni.mdb");
    fs::permissions(cartella / "Comuni.mdb", fs::perms::none);
    Prova(cartella.Percorso(), SQLITE_CANTOPEN, UsoSenzaRegistro);
}

// The same checks pass a sound register, so that what fails above is each file's fault alone;
// one left in WAL mode is sound too, and is read without a journal or index file beside it.
TEST(BrokenRegister, SoundRegistersAreReadAndLeftAsTheyWere) {
    for (const char* sql : {"", "PRAGMA journal_mode = WAL;"}) {
        SCOPED_TRACE(sql);
        prova::CartellaTemporanea cartella;
        Vero(cartella / "Comuni.mdb", sql);
        Prova(cartella.Percorso(), 0, UsoConRegistro);
    }
}
