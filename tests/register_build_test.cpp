// The build step that turns the municipality list into the register file.

#include "engine/testo.h"
#include "register/comuni.h"
#include "register/costruisci.h"
#include "register_support.h"

namespace {

using namespace prova;
using nodrel::ErroreCostruzione;
using nodrel::LeggiComuni;

const std::string kIntestazione = "COMU_COD,COMU_DESCR,COMU_PROV\n";

TEST(RegisterList, AcceptedFormsOfTheList) {
    for (const std::string& csv : {
             kIntestazione + "H501,ROMA,RM\nA001,FORLI',FC",  // no final newline
             std::string("\xEF\xBB\xBF") +
                 "COMU_COD,COMU_DESCR,COMU_PROV\r\nH501,ROMA,RM\r\nA001,FORLI',FC\r\n",
             kIntestazione + "\"H501\",\"ROMA\",\"RM\"\nA001,\"FORLI'\",FC\n\n\r\n",
         }) {
        const auto comuni = LeggiComuni(csv);
        ASSERT_EQ(comuni.size(), 2u);
        EXPECT_EQ(comuni[0].codice + comuni[0].nome + comuni[0].provincia, "H501ROMARM");
        EXPECT_EQ(comuni[1].nome, "FORLI'");
    }
    // Lengths count characters, not bytes: two hundred accented letters in the name.
    std::string nome;
    for (int i = 0; i < 200; ++i) {
        nome += "È";
    }
    EXPECT_EQ(LeggiComuni(kIntestazione + "H501," + nome + ",PD\n").size(), 1u);
}

TEST(RegisterList, MalformedLineStopsWithItsNumber) {
    const std::string buona = "H501,ROMA,RM\n";
    const std::pair<std::string, long> casi[] = {
        {kIntestazione + buona + "A001,ABANO TERME\n" + buona, 3},         // too few fields
        {kIntestazione + "A001,ABANO,PD,X\n", 2},                          // too many
        {kIntestazione + buona + buona + "A001,\"ABANO,PD\n" + buona, 4},  // quote never closed
        {kIntestazione + "A001,\"ABANO\"X,PD\n", 2},                       // text after the quote
        {kIntestazione + "A001,AB\"ANO,PD\n", 2},                          // quote in a plain field
        {kIntestazione + buona + "A001,,PD\n", 3},
        {kIntestazione + buona + "A001,ABANO,", 3},
        {kIntestazione + "\"\",ABANO,PD\n", 2},
        {kIntestazione + buona + "\n" + buona, 3},
        {kIntestazione + buona + "A001,CITT\xC3,PD\n", 3},          // broken UTF-8
        {kIntestazione + "A001,AB\xC0\xAF,PD\n", 2},                // overlong
        {kIntestazione + "A001,AB\xED\xA0\x80,PD\n", 2},            // surrogate
        {kIntestazione + buona + "A001,\"ABANO\nTERME\",PD\n", 3},  // line break in a name
        {kIntestazione + "A001,ABANO\rTERME,PD\n", 2},
        {kIntestazione + buona + "A01,ABANO,PD\n", 3},  // a code that could never be looked up
        {kIntestazione + "A001," + std::string(201, 'A') + ",PD\n", 2},
        {"COMU_COD,COMU_NOME,COMU_PROV\n" + buona, 1},
        {"", 1},
        {kIntestazione, 0},  // no municipality at all
    };
    for (const auto& [csv, riga] : casi) {
        SCOPED_TRACE(csv);
        try {
            LeggiComuni(csv);
            ADD_FAILURE() << "accepted";
        } catch (const ErroreCostruzione& e) {
            EXPECT_EQ(e.Riga(), riga) << e.what();
        }
    }
}

class RegisterBuild : public ::testing::Test {
protected:
    CartellaTemporanea cartella;
    fs::path csv = cartella / "comuni.csv";
    fs::path registro = cartella / "Comuni.mdb";
};

TEST_F(RegisterBuild, SmallListBuildsRegisterTheLookupsAccept) {
    ScriviFile(csv, kIntestazione +
                        "M335,BELLAGIO,CO\n"
                        "Z404,\"STATI UNITI D'AMERICA\",EE\n"
                        "A744,BELLAGIO,CO\n"
                        "A001,\"VILLA, \"\"LA\"\" ROSA\",PD\n");
    nodrel::CostruisciRegistro(csv, registro);
    EXPECT_EQ(cartella.Voci(), 2);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(registro.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT group_concat(name || ' ' || type || ' ' || \"notnull\", ', ')"
                       " FROM pragma_table_info('Comuni')",
                       -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                 "COMU_COD TEXT 1, COMU_DESCR TEXT 1, COMU_PROV TEXT 1");
    sqlite3_finalize(s);
    sqlite3_close(db);

    // The register's own checks of the indexes pass, and the rows read back as written.
    auto rs = nodrel::ApriDatabase(registro.u16string())->OpenRecordset(u"Comuni");
    rs->SetIndex(u"COMU_DESCR");
    rs->Seek(u">=", u"bellagio");
    EXPECT_EQ(rs->Field(u"COMU_COD"), u"M335");  // the earlier of the two rows
    rs->Seek(u">=", u"VILLA");
    EXPECT_EQ(rs->Field(u"COMU_DESCR"), u"VILLA, \"LA\" ROSA");
    rs->SetIndex(u"COMU_COD");
    rs->Seek(u"=", u"Z404");
    EXPECT_EQ(rs->Field(u"COMU_DESCR"), u"STATI UNITI D'AMERICA");
}

TEST_F(RegisterBuild, FailedBuildLeavesNoHalfFile) {
    ScriviFile(csv, kIntestazione + "H501,ROMA,RM\nA001,ABANO\n");
    EXPECT_THROW(nodrel::CostruisciRegistro(csv, registro), ErroreCostruzione);
    EXPECT_EQ(cartella.Voci(), 1);

    // A rebuild that fails keeps the earlier register whole.
    ScriviFile(csv, kIntestazione + "H501,ROMA,RM\n");
    nodrel::CostruisciRegistro(csv, registro);
    const std::string prima = LeggiFile(registro);
    ScriviFile(csv, kIntestazione + "H501,ROMA\n");
    EXPECT_THROW(nodrel::CostruisciRegistro(csv, registro), ErroreCostruzione);
    EXPECT_EQ(LeggiFile(registro), prima);
    EXPECT_EQ(cartella.Voci(), 2);

    fs::remove(csv);
    EXPECT_THROW(nodrel::CostruisciRegistro(csv, registro), ErroreCostruzione);
}

// Text crosses between UTF-16 and UTF-8 at the register's edge; broken text must not stop it.
TEST(RegisterText, ConversionsReplaceWhatCannotBeConverted) {
    EXPECT_EQ(NODREL1::Utf8(u"CITTÀ \U0001F600"), "CITT\xC3\x80 \xF0\x9F\x98\x80");
    EXPECT_EQ(NODREL1::Utf16("CITT\xC3\x80 \xF0\x9F\x98\x80"), u"CITTÀ \U0001F600");
    EXPECT_EQ(NODREL1::Utf8(std::u16string{u'\xDC00', u'A', u'\xD800'}),
              "\xEF\xBF\xBD"
              "A\xEF\xBF\xBD");
    EXPECT_EQ(NODREL1::Utf16("A\xC3"), u"A\uFFFD");
    EXPECT_EQ(NODREL1::Utf16("\xC0\xAF"
                             "B"),
              u"\uFFFD\uFFFD"
              "B");
    EXPECT_EQ(NODREL1::Utf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
}

}  // namespace
