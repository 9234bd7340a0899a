// Registers that cannot serve the lookups: each is refused when the program opens it, with a
// number and a description, and none crashes.

#include <unistd.h>

#include <random>

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "register/comuni.h"
#include "register_support.h"

namespace {

using namespace prova;

std::optional<NODREL1::Errore> Apri(const fs::path& file) {
    return ErroreDi([&] { nodrel::ApriRegistro(file.u16string()); });
}

const std::string kTabella =
    "CREATE TABLE Comuni (COMU_COD TEXT NOT NULL, COMU_DESCR TEXT NOT NULL,"
    " COMU_PROV TEXT NOT NULL, COMU_DAL TEXT NOT NULL, COMU_AL TEXT NOT NULL);";
const std::string kIndiceNome = "CREATE INDEX COMU_DESCR ON Comuni (COMU_DESCR COLLATE NOCASE);";
const std::string kIndiceCodice = "CREATE INDEX COMU_COD ON Comuni (COMU_COD);";
const std::string kRighe =
    "INSERT INTO Comuni VALUES ('H501', 'ROMA', 'RM', '1884-09-11', '9999-12-31'),"
    " ('F205', 'MILANO', 'MI', '1873-06-23', '9999-12-31');";
const std::string kBuono = kTabella + kIndiceNome + kIndiceCodice + kRighe;

std::string Vero(std::size_t byte = std::string::npos) {
    return LeggiFile(RegistroVero()).substr(0, byte);
}

void EsigiErrore(const fs::path& file, long numero) {
    const auto e = Apri(file);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->Numero(), numero) << NODREL1::Utf8(e->Descrizione());
    EXPECT_FALSE(e->Descrizione().empty());
    EXPECT_TRUE(NODREL1::FasMsg(*e).starts_with(u"FasMsg: " +
                                                NODREL1::Utf16(std::to_string(numero)) + u" "));
}

TEST(RegisterBroken, DamagedFileIsRefusedAtStartUp) {
    std::mt19937 caso(7);
    std::string casuali(8192, '\0');
    for (char& b : casuali) {
        b = static_cast<char>(caso());
    }
    std::string paginaAzzerata = Vero();  // the indexes lie at the end, read by no table scan
    std::fill_n(paginaAzzerata.end() - 5 * 4096, 4096, '\0');

    const std::pair<std::string, long> casi[] = {
        {casuali, 26},
        {Vero(50), 11},  // cut inside its header
        {Vero(300000), 11},
        {paginaAzzerata, 11},
        {"", NODREL1::kErrTabellaSconosciuta},  // SQLite takes an empty file for an empty database
    };
    for (const auto& [contenuto, numero] : casi) {
        SCOPED_TRACE(contenuto.size());
        CartellaTemporanea cartella;
        ScriviFile(cartella / "Comuni.mdb", contenuto);
        EsigiErrore(cartella / "Comuni.mdb", numero);
    }
    // SQLite's own words are kept beside the program's.
    {
        CartellaTemporanea cartella;
        ScriviFile(cartella / "Comuni.mdb", casuali);
        EXPECT_NE(Apri(cartella / "Comuni.mdb")->Descrizione().find(u"file is not a database"),
                  std::u16string::npos);
    }
    CartellaTemporanea cartella;
    fs::create_directory(cartella / "Comuni.mdb");
    EsigiErrore(cartella / "Comuni.mdb", 14);
}

TEST(RegisterBroken, WrongShapeIsRefusedAtStartUp) {
    const std::string senzaVincoli =
        "CREATE TABLE Comuni (COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL);" + kIndiceNome +
        kIndiceCodice + kRighe;
    const struct {
        const char* caso;
        std::string sql;
        long numero;
    } casi[] = {
        {"no table", "CREATE TABLE Altro (x);", NODREL1::kErrTabellaSconosciuta},
        {"missing column",
         "CREATE TABLE Comuni (COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL);" + kIndiceNome +
             kIndiceCodice,
         NODREL1::kErrColonnaSconosciuta},
        {"missing code index", kTabella + kIndiceNome + kRighe, NODREL1::kErrIndiceSconosciuto},
        {"missing name index", kTabella + kIndiceCodice + kRighe, NODREL1::kErrIndiceSconosciuto},
        {"name index that minds case",
         kTabella + "CREATE INDEX COMU_DESCR ON Comuni (COMU_DESCR);" + kIndiceCodice + kRighe,
         NODREL1::kErrIndiceSconosciuto},
        {"partial code index",
         kTabella + kIndiceNome +
             "CREATE INDEX COMU_COD ON Comuni (COMU_COD) WHERE COMU_PROV <> 'EE';" + kRighe,
         NODREL1::kErrIndiceSconosciuto},
        {"code index on another table",
         kTabella + kIndiceNome +
             "CREATE TABLE Altro (COMU_COD); CREATE INDEX COMU_COD ON Altro (COMU_COD);" + kRighe,
         NODREL1::kErrIndiceSconosciuto},
        {"a NULL value",
         senzaVincoli +
             "INSERT INTO Comuni VALUES ('Z404', 'STATI UNITI', 'EE', '1900-01-01', NULL);",
         NODREL1::kErrValoreMancante},
        {"a value that is not text",
         senzaVincoli +
             "INSERT INTO Comuni VALUES (501, 'ROMA', 'RM', '1884-09-11', '9999-12-31');",
         SQLITE_MISMATCH},
        {"a date of another shape, which would not order as time",
         kBuono + "INSERT INTO Comuni VALUES ('H502', 'ROMA', 'RM', '1884-09-11', '31/12/9999');",
         SQLITE_MISMATCH},
        {"an absurdly long value",
         kBuono + "INSERT INTO Comuni VALUES ('H502', printf('%.*c', 300, 'A'), 'RM', '1884-09-11',"
                  " '9999-12-31');",
         SQLITE_TOOBIG},
        {"sound", kBuono, 0},  // the refusals above are for their faults alone
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        CartellaTemporanea cartella;
        CreaDatabase(cartella / "Comuni.mdb", c.sql);
        if (c.numero == 0) {
            EXPECT_FALSE(Apri(cartella / "Comuni.mdb").has_value());
        } else {
            EsigiErrore(cartella / "Comuni.mdb", c.numero);
        }
    }
}

TEST(RegisterBroken, MissingFileIsRefusedAndNotCreated) {
    CartellaTemporanea cartella;
    EsigiErrore(cartella / "Comuni.mdb", 14);
    EXPECT_EQ(cartella.Voci(), 0);
    EXPECT_EQ(Apri(fs::path()).value().Numero(), 14);
    // A NUL must not cut the path down to one that names another file.
    fs::copy_file(RegistroVero(), cartella / "Comuni");
    const auto e = ErroreDi([&] {
        nodrel::ApriRegistro(cartella.Percorso().u16string() +
                             std::u16string(u"/Comuni\0.mdb", 12));
    });
    EXPECT_EQ(e.value().Numero(), 14);
}

TEST(RegisterBroken, UnreadableFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    CartellaTemporanea cartella;
    fs::copy_file(RegistroVero(), cartella / "Comuni.mdb");
    fs::permissions(cartella / "Comuni.mdb", fs::perms::none);
    EXPECT_EQ(Apri(cartella / "Comuni.mdb").value().Numero(), 14);
}

}  // namespace
