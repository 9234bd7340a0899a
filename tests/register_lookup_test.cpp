// The register's lookups over the real register, read into memory as the program reads it.

#include <optional>

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "register/comuni.h"
#include "register_support.h"

namespace {

using namespace prova;

struct Comune {
    std::u16string codice, nome, provincia;
    bool operator==(const Comune&) const = default;
};

Comune Di(const NODREL1::Comune& c) {
    return {c.codice, c.nome, c.provincia};
}

class RegisterLookup : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registro = nodrel::ApriRegistro(RegistroVero().u16string()); }
    static void TearDownTestSuite() { registro.reset(); }

    static std::optional<Comune> PrimoDa(const std::u16string& testo) {
        const auto p = registro->PrimoDa(testo);
        return p ? std::optional(Di((*registro)[*p])) : std::nullopt;
    }

    static inline std::shared_ptr<const NODREL1::Registro> registro;
};

TEST_F(RegisterLookup, NameSearchStandsOnFirstNameNotBeforeText) {
    const std::pair<std::u16string, Comune> casi[] = {
        {u"ROMA", {u"H501", u"ROMA", u"RM"}},
        {u"roma", {u"H501", u"ROMA", u"RM"}},
        {u"RoMa", {u"H501", u"ROMA", u"RM"}},
        {u"ROMAX", {u"H516", u"ROMBIOLO", u"VV"}},           // a prefix of no name: the next name
        {u"stati uniti", {u"Z404", u"STATI UNITI", u"EE"}},  // the name people use
        {u"ZUR", {u"M206", u"ZURI", u"CA"}},                 // no longer exists
        {u"", {u"A001", u"ABANO", u"PD"}},                   // the name of A001 until 1924
        // Equal names: the one in force today, even where its code is the higher one.
        {u"bellagio", {u"M335", u"BELLAGIO", u"CO"}},
        {u"VIGNOLA", {u"L885", u"VIGNOLA", u"MO"}},
        {u"FORLI'", {u"D704", u"FORLI'", u"FC"}},
        {u"bozen", {u"A952", u"BOZEN", u"BZ"}},  // names in a second language
        {u"AOSTE", {u"A326", u"AOSTE", u"AO"}},
    };
    for (const auto& [testo, atteso] : casi) {
        SCOPED_TRACE(NODREL1::Utf8(testo));
        EXPECT_EQ(PrimoDa(testo), atteso);
    }
    for (const std::u16string testo : {u"ZZZZZ", u"zuria"}) {  // after every name
        EXPECT_EQ(PrimoDa(testo), std::nullopt);
    }
}

TEST_F(RegisterLookup, CodeSearchIsExactAndNeverFallsBack) {
    const Comune casi[] = {
        {u"H501", u"ROMA", u"RM"},
        {u"Z404", u"STATI UNITI D'AMERICA", u"EE"},
        {u"M149", u"ZARA", u"ZA"},  // no longer exists
        // A code under its name of today, or its last name: not ABANO, not BOZEN.
        {u"A001", u"ABANO TERME", u"PD"},
        {u"A952", u"BOLZANO", u"BZ"},
        {u"A744", u"BELLAGIO", u"CO"},  // the old code of a merged municipality
    };
    for (const Comune& c : casi) {
        const NODREL1::Comune* trovato = registro->PerCodice(c.codice);
        ASSERT_NE(trovato, nullptr);
        EXPECT_EQ(Di(*trovato), c);
    }
    // H499 lies just before H500, Z405 just after Z404; the rest are near misses.
    for (const std::u16string codice :
         {u"H499", u"Z405", u"A000", u"Z999", u"h501", u"H50", u"H5010", u"H501 ", u""}) {
        SCOPED_TRACE(NODREL1::Utf8(codice));
        EXPECT_EQ(registro->PerCodice(codice), nullptr);
        EXPECT_TRUE(registro->TuttiPerCodice(codice).empty());
    }
    // Every name a code has had, today's first.
    std::u16string nomi;
    for (const NODREL1::Comune* c : registro->TuttiPerCodice(u"A001")) {
        nomi += c->nome + u", ";
    }
    EXPECT_EQ(nomi, u"ABANO TERME, ABANO, ");
}

// Composition picks among the homonyms by province and date of birth.
TEST_F(RegisterLookup, HomonymsWithTheirValidityInNameOrder) {
    const std::pair<std::u16string, std::u16string> casi[] = {
        {u"castro", u"C337 BG 1861-03-17 9999-12-31, M261 LE 1975-05-28 9999-12-31, "},
        // Suppressed from 1929 to 1940: a record for each span.
        {u"SAN TEODORO",
         u"I328 ME 1940-08-29 9999-12-31, I329 SS 1959-05-03 9999-12-31, "
         u"I328 ME 1861-03-17 1929-01-23, "},
        {u"BELLAGIO", u"M335 CO 2014-02-04 9999-12-31, A744 CO 1861-03-17 2014-02-03, "},
        {u"LONGARONE", u"M342 BL 2014-02-22 9999-12-31, E672 BL 1866-11-19 2014-02-21, "},
        {u"MONTALCINO", u"M378 SI 2017-01-01 9999-12-31, F402 SI 1861-03-17 2016-12-31, "},
        {u"CASTR", u""},  // a prefix is no homonym
    };
    for (const auto& [nome, attesi] : casi) {
        std::u16string trovati;
        for (const NODREL1::Comune& c : registro->Omonimi(nome)) {
            trovati += c.codice + u" " + c.provincia + u" " + c.dal + u" " + c.al + u", ";
        }
        EXPECT_EQ(trovati, attesi);
    }
}

// The order in memory is the order of the file's own index, which SQLite keeps: names without
// regard to ASCII case, ties by row. Any other folding puts names with signs elsewhere.
TEST_F(RegisterLookup, NameOrderIsTheOrderOfTheFilesIndex) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(RegistroVero().string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "SELECT COMU_COD, COMU_DESCR FROM Comuni INDEXED BY COMU_DESCR"
                                 " ORDER BY COMU_DESCR COLLATE NOCASE, rowid",
                                 -1, &s, nullptr),
              SQLITE_OK);
    std::size_t p = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        ASSERT_LT(p, registro->Righe());
        const NODREL1::Comune& c = (*registro)[p];
        ASSERT_EQ(NODREL1::Utf8(c.codice + u" " + c.nome),
                  std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))) + " " +
                      reinterpret_cast<const char*>(sqlite3_column_text(s, 1)))
            << p;
        EXPECT_EQ(registro->PosizioneDi(c), p);
        ++p;
    }
    EXPECT_EQ(p, registro->Righe());
    sqlite3_finalize(s);
    sqlite3_close(db);

    // Both ends, for Down and Up.
    const auto castro = registro->PrimoDa(u"CASTRO").value();
    EXPECT_EQ(Di((*registro)[registro->Successivo(castro).value()]),
              (Comune{u"M261", u"CASTRO", u"LE"}));
    EXPECT_EQ(registro->Precedente(0), std::nullopt);
    EXPECT_EQ(registro->Successivo(registro->Righe() - 1), std::nullopt);
}

TEST_F(RegisterLookup, OddKeysNeitherCrashNorMatch) {
    for (const std::u16string& chiave :
         {std::u16string(1, u'\xD800'), std::u16string(u"ROMA\0X", 6), std::u16string(u"ÈCCO"),
          std::u16string(100000, u'Z'), std::u16string(u"'; DROP TABLE Comuni; --")}) {
        EXPECT_EQ(registro->PerCodice(chiave), nullptr);
        EXPECT_TRUE(registro->Omonimi(chiave).empty());
        registro->PrimoDa(chiave);
    }
}

// Reading leaves the file as it was and puts nothing beside it: no journal, -wal or -shm.
TEST(RegisterReadOnly, FileUnchangedAndNothingBesideIt) {
    CartellaTemporanea cartella("nodrel registro ?#%è");  // characters a file URI must escape
    const fs::path copia = cartella / "Comuni.mdb";
    fs::copy_file(RegistroVero(), copia);
    const std::string prima = LeggiFile(copia);
    const auto ora = fs::last_write_time(copia);
    const auto registro = nodrel::ApriRegistro(cartella.Percorso().u16string() + u"/Comuni.mdb");
    EXPECT_EQ(registro->PerCodice(u"H501")->nome, u"ROMA");
    EXPECT_EQ(cartella.Voci(), 1);
    EXPECT_EQ(LeggiFile(copia), prima);
    EXPECT_EQ(fs::last_write_time(copia), ora);
    EXPECT_EQ(cartella.Voci(), 1);
}

}  // namespace
