// The two lookups over the real register, through the engine's cursor as the program uses it.

#include <functional>

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

class RegisterLookup : public ::testing::Test {
protected:
    void SetUp() override {
        NODREL1::DbComuni = nodrel::ApriDatabase(RegistroVero().u16string());
        NODREL1::RsComuni = NODREL1::DbComuni->OpenRecordset(u"Comuni");
    }
    void TearDown() override { NODREL1::Stato.Azzera(); }

    static Comune Corrente() {
        const auto& rs = *NODREL1::RsComuni;
        return {rs.Field(u"COMU_COD"), rs.Field(u"COMU_DESCR"), rs.Field(u"COMU_PROV")};
    }

    // A lookup that found nothing leaves no record to read, not the previous one.
    static void NessunRecord() {
        EXPECT_TRUE(NODREL1::RsComuni->Eof() || NODREL1::RsComuni->NoMatch());
        const auto e = ErroreDi([] { NODREL1::RsComuni->Field(u"COMU_DESCR"); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Numero(), NODREL1::kErrNessunRecordCorrente);
    }
};

TEST_F(RegisterLookup, NameSearchStandsOnFirstNameNotBeforeText) {
    const std::pair<std::u16string, Comune> casi[] = {
        {u"ROMA", {u"H501", u"ROMA", u"RM"}},
        {u"roma", {u"H501", u"ROMA", u"RM"}},
        {u"RoMa", {u"H501", u"ROMA", u"RM"}},
        {u"ROMAX", {u"H516", u"ROMBIOLO", u"VV"}},  // a prefix of no name: the next name
        {u"stati uniti", {u"Z404", u"STATI UNITI", u"EE"}},  // the name people use
        {u"ZUR", {u"M206", u"ZURI", u"CA"}},  // no longer exists
        {u"", {u"A001", u"ABANO", u"PD"}},    // the name of A001 until 1924
        // Equal names: the one in force today, even where its code is the higher one.
        {u"bellagio", {u"M335", u"BELLAGIO", u"CO"}},
        {u"VIGNOLA", {u"L885", u"VIGNOLA", u"MO"}},
        {u"FORLI'", {u"D704", u"FORLI'", u"FC"}},
        {u"bozen", {u"A952", u"BOZEN", u"BZ"}},  // names in a second language
        {u"AOSTE", {u"A326", u"AOSTE", u"AO"}},
    };
    for (const auto& [testo, atteso] : casi) {
        SCOPED_TRACE(NODREL1::Utf8(testo));
        ASSERT_TRUE(NODREL1::CercaPerNome(testo));
        EXPECT_EQ(Corrente(), atteso);
    }
    for (const std::u16string testo : {u"ZZZZZ", u"zuria"}) {  // after every name
        ASSERT_TRUE(NODREL1::CercaPerNome(u"ROMA"));
        EXPECT_FALSE(NODREL1::CercaPerNome(testo));
        NessunRecord();
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
        ASSERT_TRUE(NODREL1::CercaPerCodice(c.codice));
        EXPECT_EQ(Corrente(), c);
    }
    // H499 lies just before H500, Z405 just after Z404; the rest are near misses.
    for (const std::u16string codice :
         {u"H499", u"Z405", u"A000", u"Z999", u"h501", u"H50", u"H5010", u"H501 ", u""}) {
        SCOPED_TRACE(NODREL1::Utf8(codice));
        ASSERT_TRUE(NODREL1::CercaPerCodice(u"H501"));
        EXPECT_FALSE(NODREL1::CercaPerCodice(codice));
        NessunRecord();
    }
}

// Composition picks among the homonyms by province and date of birth.
TEST_F(RegisterLookup, HomonymsWithTheirValidityInNameOrder) {
    const std::pair<std::u16string, std::u16string> casi[] = {
        {u"castro", u"C337 BG 1861-03-17 9999-12-31, M261 LE 1975-05-28 9999-12-31, "},
        {u"SAN TEODORO", u"I328 ME 1861-03-17 9999-12-31, I329 SS 1959-05-03 9999-12-31, "},
        {u"BELLAGIO", u"M335 CO 2014-02-04 9999-12-31, A744 CO 1861-03-17 2014-02-03, "},
        {u"LONGARONE", u"M342 BL 2014-02-22 9999-12-31, E672 BL 1866-11-19 2014-02-21, "},
        {u"MONTALCINO", u"M378 SI 2017-01-01 9999-12-31, F402 SI 1861-03-17 2016-12-31, "},
        {u"CASTR", u""},  // a prefix is no homonym
    };
    for (const auto& [nome, attesi] : casi) {
        std::u16string trovati;
        for (const NODREL1::Comune& c : NODREL1::CercaOmonimi(nome)) {
            trovati += c.codice + u" " + c.provincia + u" " + c.dal + u" " + c.al + u", ";
        }
        EXPECT_EQ(trovati, attesi);
    }
}

// The arrow keys of the municipality field walk the name order from the current record.
TEST_F(RegisterLookup, MovesWalkTheOrderAndEndPastEitherEnd) {
    ASSERT_TRUE(NODREL1::CercaPerNome(u"CASTRO"));
    ASSERT_TRUE(NODREL1::VaiAlSuccessivo());
    EXPECT_EQ(Corrente(), (Comune{u"M261", u"CASTRO", u"LE"}));
    ASSERT_TRUE(NODREL1::VaiAlPrecedente());
    EXPECT_EQ(Corrente(), (Comune{u"C337", u"CASTRO", u"BG"}));
    ASSERT_TRUE(NODREL1::CercaPerCodice(u"A001"));  // in code order, the code's older name follows
    ASSERT_TRUE(NODREL1::VaiAlSuccessivo());
    EXPECT_EQ(Corrente(), (Comune{u"A001", u"ABANO", u"PD"}));
    using Mossa = std::pair<const char16_t*, bool (*)()>;
    for (const auto& [nome, muovi] :
         {Mossa{u"", NODREL1::VaiAlPrecedente}, Mossa{u"ZURI", NODREL1::VaiAlSuccessivo}}) {
        ASSERT_TRUE(NODREL1::CercaPerNome(nome));
        EXPECT_FALSE(muovi());  // past the first or the last name
        NessunRecord();
    }
    // Without a current record there is nowhere to move from.
    EXPECT_EQ(ErroreDi(NODREL1::VaiAlPrecedente).value().Numero(),
              NODREL1::kErrNessunRecordCorrente);
}

TEST_F(RegisterLookup, OddKeysNeitherCrashNorThrow) {
    for (const std::u16string& chiave :
         {std::u16string(1, u'\xD800'), std::u16string(u"ROMA\0X", 6), std::u16string(u"ÈCCO"),
          std::u16string(100000, u'Z'), std::u16string(u"'; DROP TABLE Comuni; --")}) {
        EXPECT_NO_THROW(NODREL1::CercaPerNome(chiave));
        EXPECT_NO_THROW(NODREL1::CercaPerCodice(chiave));
        EXPECT_NO_THROW(NODREL1::CercaOmonimi(chiave));
    }
    EXPECT_TRUE(NODREL1::CercaPerCodice(u"H501"));
}

TEST_F(RegisterLookup, CursorMisuseIsAnError) {
    auto& rs = *NODREL1::RsComuni;
    const std::pair<std::function<void()>, long> casi[] = {
        {[&] { rs.Seek(NODREL1::Confronto::Uguale, u"H501"); }, NODREL1::kErrNessunIndice},
        {[&] { rs.MoveNext(); }, NODREL1::kErrNessunIndice},
        {[&] {
             rs.SetIndex(NODREL1::Indice::COMU_COD);
             rs.Seek(NODREL1::Confronto::Uguale, u"H501");
             rs.Field(u"COMU_NOME");
         },
         NODREL1::kErrColonnaSconosciuta},
        {[] { NODREL1::DbComuni->OpenRecordset(u"Province"); }, NODREL1::kErrTabellaSconosciuta},
    };
    for (const auto& [azione, numero] : casi) {
        const auto e = ErroreDi(azione);
        ASSERT_TRUE(e.has_value()) << numero;
        EXPECT_EQ(e->Numero(), numero);
        EXPECT_FALSE(e->Descrizione().empty());
    }
}

// Reading leaves the file as it was and puts nothing beside it: no journal, -wal or -shm.
TEST(RegisterReadOnly, FileUnchangedAndNothingBesideIt) {
    CartellaTemporanea cartella("nodrel registro ?#%è");  // characters a file URI must escape
    const fs::path copia = cartella / "Comuni.mdb";
    fs::copy_file(RegistroVero(), copia);
    const std::string prima = LeggiFile(copia);
    const auto ora = fs::last_write_time(copia);
    {
        auto db = nodrel::ApriDatabase(cartella.Percorso().u16string() + u"/Comuni.mdb");
        auto perNome = db->OpenRecordset(u"Comuni");
        auto perCodice = db->OpenRecordset(u"Comuni");
        perNome->SetIndex(NODREL1::Indice::COMU_DESCR);
        perNome->Seek(NODREL1::Confronto::MaggioreOUguale, u"MILANO");
        perCodice->SetIndex(NODREL1::Indice::COMU_COD);
        perCodice->Seek(NODREL1::Confronto::Uguale, u"H501");
        EXPECT_EQ(perNome->Field(u"COMU_DESCR"), u"MILANO");  // each cursor has its own record
        EXPECT_EQ(perCodice->Field(u"COMU_DESCR"), u"ROMA");
        EXPECT_EQ(cartella.Voci(), 1);
    }
    EXPECT_EQ(LeggiFile(copia), prima);
    EXPECT_EQ(fs::last_write_time(copia), ora);
    EXPECT_EQ(cartella.Voci(), 1);
}

TEST(RegisterReadOnly, CursorOutlivesDatabase) {
    auto rs = nodrel::ApriDatabase(RegistroVero().u16string())->OpenRecordset(u"Comuni");
    rs->SetIndex(NODREL1::Indice::COMU_COD);
    rs->Seek(NODREL1::Confronto::Uguale, u"Z404");
    EXPECT_EQ(rs->Field(u"COMU_PROV"), u"EE");
}

}  // namespace
