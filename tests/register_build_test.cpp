// The build step that turns the two lists of ANPR into the register file.

#include "engine/testo.h"
#include "register/comuni.h"
#include "register/costruisci.h"
#include "register/scelta.h"
#include "register_support.h"

namespace {

using namespace prova;
using nodrel::ErroreCostruzione;
using nodrel::LeggiArchivioComuni;
using nodrel::RigaComune;

// The archive's columns that the tool reads, as published, among two that it ignores.
const std::string kArchivio =
    "\"ID\",\"DATAISTITUZIONE\",\"DATACESSAZIONE\",\"CODCATASTALE\",\"DENOMTRASLITTERATA\","
    "\"ALTRADENOMTRASLITTERATA\",\"SIGLAPROVINCIA\",\"STATO\"\n";
const std::string kStati = "CODAT,DENOMINAZIONE,DATAINIZIOVALIDITA,DATAFINEVALIDITA\n";

std::string Riga(const std::string& codice, const std::string& nome,
                 const std::string& dal = "1861-03-17", const std::string& al = "9999-12-31") {
    return "1," + dal + "," + al + "," + codice + "," + nome + ",,PD,A\n";
}

TEST(RegisterList, AcceptedFormsOfTheLists) {
    for (const std::string& csv : {
             kArchivio + "1,\"1927-01-12\",\"9999-12-31\",\"A952\",\"BOLZANO\",\"BOZEN\",\"BZ\","
                         "\"A\"\n2,1992-04-16,9999-12-31,D704,FORLI',,FC,A",  // no final newline
             // A byte-order mark, the columns in another order, CRLF, blank lines at the end.
             std::string("\xEF\xBB\xBF") +
                 "CODCATASTALE,SIGLAPROVINCIA,ALTRADENOMTRASLITTERATA,DENOMTRASLITTERATA,"
                 "DATACESSAZIONE,DATAISTITUZIONE\r\n"
                 "A952,BZ,BOZEN,BOLZANO,9999-12-31,1927-01-12\r\n"
                 "D704,FC,\"\",\"FORLI'\",9999-12-31,1992-04-16\r\n\r\n\n",
         }) {
        const std::vector<RigaComune> v = LeggiArchivioComuni(csv);  // BOLZANO, BOZEN, FORLI'
        ASSERT_EQ(v.size(), 3u);
        EXPECT_EQ(v[1].codice + v[1].nome + v[1].provincia + v[1].dal + v[1].al + v[2].nome,
                  "A952BOZENBZ1927-01-129999-12-31FORLI'");
    }
    // Lengths count characters, not bytes: two hundred accented letters in the name.
    std::string nome;
    for (int i = 0; i < 200; ++i) {
        nome += "È";
    }
    EXPECT_EQ(LeggiArchivioComuni(kArchivio + Riga("A001", nome)).size(), 1u);
}

TEST(RegisterList, MalformedLineStopsWithItsNumber) {
    const std::string buona = Riga("H501", "ROMA");
    const std::pair<std::string, long> casi[] = {
        {kArchivio + buona + "1,1861-03-17,9999-12-31,A001,ABANO,,PD\n" + buona, 3},
        {kArchivio + "1,1861-03-17,9999-12-31,A001,ABANO,,PD,A,X\n", 2},
        {kArchivio + buona + buona + Riga("A001", "\"ABANO") + buona, 4},  // quote never closed
        {kArchivio + Riga("A001", "\"ABANO\"X"), 2},  // text after the closing quote
        {kArchivio + Riga("A001", "AB\"ANO"), 2},     // quote in a plain field
        {kArchivio + buona + Riga("A001", ""), 3},
        {kArchivio + buona + "1,1861-03-17,9999-12-31,A001,ABANO,,,A\n", 3},
        {kArchivio + Riga("", "ABANO"), 2},
        {kArchivio + buona + "\n" + buona, 3},
        {kArchivio + buona + Riga("A001", "CITT\xC3"), 3},          // broken UTF-8
        {kArchivio + Riga("A001", "AB\xC0\xAF"), 2},                // overlong
        {kArchivio + Riga("A001", "AB\xED\xA0\x80"), 2},            // surrogate
        {kArchivio + buona + Riga("A001", "\"ABANO\nTERME\""), 3},  // line break in a name
        {kArchivio + Riga("A001", "ABANO\rTERME"), 2},
        {kArchivio + Riga("A001", std::string(201, 'A')), 2},
        // Codes no fiscal code can carry: decoding looks up a capital letter and three digits.
        {kArchivio + buona + Riga("A01", "ABANO"), 3},
        // Dates the validity of a row could not be compared by.
        {kArchivio + Riga("A001", "ABANO", "1861-02-30"), 2},
        {kArchivio + Riga("A001", "ABANO", "1924-11-14", "1866-11-19"), 2},
        {"ID,CODCATASTALE,DENOMTRASLITTERATA\n" + buona, 1},  // columns missing
        {"", 1},
        {kArchivio, 0},
        {kArchivio + Riga("ND", "ARIZZANO"), 0},  // no municipality with a code
    };
    for (const auto& [csv, riga] : casi) {
        SCOPED_TRACE(csv);
        try {
            LeggiArchivioComuni(csv);
            ADD_FAILURE() << "accepted";
        } catch (const ErroreCostruzione& e) {
            EXPECT_EQ(e.Riga(), riga) << e.what();
        }
    }
}

class RegisterBuild : public ::testing::Test {
protected:
    CartellaTemporanea cartella;
    fs::path archivio = cartella / "ANPR_archivio_comuni.csv";
    fs::path stati = cartella / "ANPR_tabella_stati_esteri.csv";
    fs::path registro = cartella / "Comuni.mdb";
    fs::path nomi = cartella / std::string(nodrel::kNomiComuniStati);

    void Costruisci(const std::string& a, const std::string& s) {
        ScriviFile(archivio, a);
        ScriviFile(stati, s);
        nodrel::CostruisciRegistro(archivio, stati, registro);
    }

    // The first column of the rows of `sql` on the built file, joined by commas.
    std::string Sql(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(registro.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, ("SELECT group_concat(x) FROM (" + sql + ")").c_str(), -1, &s,
                           nullptr);
        sqlite3_step(s);
        const auto* testo = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        std::string righe = testo != nullptr ? testo : "";
        sqlite3_finalize(s);
        sqlite3_close(db);
        return righe;
    }
};

TEST_F(RegisterBuild, SmallListsBuildRegisterTheLookupsAccept) {
    Costruisci(kArchivio + "1,1861-03-17,9999-12-31,A001,\"VILLA, \"\"LA\"\" ROSA\",,PD,A\n",
               kStati + "Z404,STATI UNITI D'AMERICA,01/01/1900,31/12/9999\n");
    EXPECT_EQ(cartella.Voci(), 3);

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
                 "COMU_COD TEXT 1, COMU_DESCR TEXT 1, COMU_PROV TEXT 1, COMU_DAL TEXT 1,"
                 " COMU_AL TEXT 1");
    sqlite3_finalize(s);
    sqlite3_close(db);

    // The register's own checks of the indexes pass, and the rows read back as written.
    const auto comuni = nodrel::ApriRegistro(registro.u16string());
    EXPECT_EQ((*comuni)[comuni->PrimoDa(u"VILLA").value()].nome, u"VILLA, \"LA\" ROSA");
    const NODREL1::Comune* stato = comuni->PerCodice(u"Z404");
    ASSERT_NE(stato, nullptr);
    EXPECT_EQ(stato->nome + stato->dal, u"STATI UNITI D'AMERICA1900-01-01");
}

TEST_F(RegisterBuild, FailedBuildNamesFileAndLineAndKeepsEarlierRegister) {
    const std::string comune = kArchivio + Riga("H501", "ROMA");
    const std::string stato = kStati + "Z404,USA,01/01/1900,31/12/9999\n";
    EXPECT_THROW(Costruisci(comune + "1,1861-03-17,9999-12-31,A001,ABANO\n", stato),
                 ErroreCostruzione);
    EXPECT_EQ(cartella.Voci(), 2);

    Costruisci(comune, stato);
    const std::string prima = LeggiFile(registro);
    const std::string a = archivio.string() + ":", s = stati.string() + ":";
    for (const auto& [comuni, esteri, dove] : {
             std::tuple{comune + "A001\n", stato, a + "3"},
             std::tuple{comune, stato + "Z40\n", s + "3"},
             std::tuple{comune, stato + "Z404,USA,1900-01-01,31/12/9999\n", s + "3"},
             std::tuple{comune, stato + ",,,\nZ999,,01/01/1900,31/12/9999\n", s + "4"},  // no name
             std::tuple{stato, comune, a + "1"},  // the lists the other way round
             std::tuple{comune, std::string(), s + "1"},
         }) {
        try {
            Costruisci(comuni, esteri);
            ADD_FAILURE() << "accepted";
        } catch (const ErroreCostruzione& e) {
            EXPECT_EQ(e.File() + ":" + std::to_string(e.Riga()), dove) << e.what();
        }
        EXPECT_EQ(LeggiFile(registro), prima);
        EXPECT_EQ(cartella.Voci(), 3);
    }
    fs::remove(stati);
    EXPECT_THROW(nodrel::CostruisciRegistro(archivio, stati, registro), ErroreCostruzione);
}

TEST_F(RegisterBuild, CommonNamesAndCeasedStatesJoinTheStates) {
    // A town suppressed from 1928 to 1964 keeps the gap: two rows.
    const std::string comune = kArchivio + Riga("C701", "CINAGLIO") +
                               Riga("H223", "REGGIO NELL'EMILIA") + Riga("C337", "CASTRO") +
                               Riga("M261", "CASTRO", "1975-05-28") +
                               Riga("E491", "LA VALLE", "1920-10-16", "1927-01-11") +
                               Riga("E491", "LA VALLE", "1927-01-12", "1928-06-15") +
                               Riga("E491", "LA VALLE", "1964-06-10");
    const std::string stato = kStati + "Z210,REPUBBLICA POPOLARE CINESE,01/01/1900,31/12/9999\n";
    ScriviFile(cartella / "stati_esteri_cessati.csv",
               kStati + "Z118,IUGOSLAVIA,01/01/1900,03/02/2003\nZ135,URSS,01/01/1900,25/12/1991\n");
    ScriviFile(nomi,
               "NOME,DENOMINAZIONE\nCINA,REPUBBLICA POPOLARE CINESE\nUNIONE SOVIETICA,urss\n"
               "REGGIO EMILIA,REGGIO NELL'EMILIA\n");
    Costruisci(comune, stato);
    EXPECT_EQ(Sql("SELECT COMU_COD || ' ' || COMU_DAL || ' ' || COMU_AL AS x FROM Comuni WHERE "
                  "COMU_DESCR IN ('LA VALLE', 'REGGIO EMILIA')"),
              "E491 1964-06-10 9999-12-31,H223 1861-03-17 9999-12-31,"
              "E491 1920-10-16 1928-06-15");
    // The indexes as the program seeks them: by name from a typed prefix, and a code's first row.
    const std::string riga =
        "SELECT COMU_DESCR || ' ' || COMU_COD || ' ' || COMU_AL AS x FROM Comuni";
    EXPECT_EQ(
        Sql(riga + " INDEXED BY COMU_DESCR WHERE COMU_DESCR >= 'cina' COLLATE NOCASE LIMIT 2"),
        "CINA Z210 9999-12-31,CINAGLIO C701 9999-12-31");
    EXPECT_EQ(Sql(riga + " INDEXED BY COMU_COD WHERE COMU_COD IN ('Z210', 'Z118', 'Z135')"),
              "IUGOSLAVIA Z118 2003-02-03,URSS Z135 1991-12-25,UNIONE SOVIETICA Z135 1991-12-25,"
              "REPUBBLICA POPOLARE CINESE Z210 9999-12-31,CINA Z210 9999-12-31");

    // A place the lists do not hold, a municipality's name, a state's own name, a name of two
    // municipalities.
    for (const char* linea :
         {"PECHINO,CINA POPOLARE", "Cinaglio,REPUBBLICA POPOLARE CINESE",
          "REPUBBLICA POPOLARE CINESE,REPUBBLICA POPOLARE CINESE", "CASTRO DI LECCE,CASTRO"}) {
        ScriviFile(nomi, "NOME,DENOMINAZIONE\nCINA,REPUBBLICA POPOLARE CINESE\n" +
                             std::string(linea) + "\n");
        try {
            Costruisci(comune, stato);
            ADD_FAILURE() << linea;
        } catch (const ErroreCostruzione& e) {
            EXPECT_EQ(e.File() + ":" + std::to_string(e.Riga()), nomi.string() + ":3") << e.what();
        }
    }

    // The register built from the lists of data/.
    registro = RegistroVero();
    EXPECT_EQ(Sql(riga + " INDEXED BY COMU_DESCR WHERE COMU_DESCR IN ('USA', 'URSS', 'CINA', "
                         "'REGGIO CALABRIA')"),
              "CINA Z210 9999-12-31,REGGIO CALABRIA H224 9999-12-31,URSS Z135 1991-12-25,"
              "USA Z404 9999-12-31");
}

// The day the lists were published goes into the file, where the program reads it without
// SQLite: given, or else the later of the days the lists were last modified.
TEST_F(RegisterBuild, TheReleaseDayIsKeptInTheRegister) {
    const auto modificati = std::chrono::file_clock::from_sys(
        std::chrono::sys_seconds(std::chrono::sys_days(std::chrono::year{2024} / 5 / 6)) +
        std::chrono::hours(23));
    for (const auto& [rilascio, atteso] : {std::pair{"", QDate(2024, 5, 6)},
                                           {"2023-10", QDate(2023, 10, 1)},
                                           {"2024-02-29", QDate(2024, 2, 29)},
                                           {"2023-02-29", QDate()}}) {
        SCOPED_TRACE(rilascio);
        ScriviFile(archivio, kArchivio + Riga("H501", "ROMA"));
        ScriviFile(stati, kStati + "Z404,USA,01/01/1900,31/12/9999\n");
        fs::last_write_time(archivio, modificati);
        fs::last_write_time(stati, modificati - std::chrono::days(40));
        nodrel::OpzioniCostruzione opzioni;
        opzioni.rilascio = rilascio;
        if (atteso.isNull()) {
            EXPECT_THROW(nodrel::CostruisciRegistro(archivio, stati, registro, opzioni),
                         ErroreCostruzione);
            continue;
        }
        nodrel::CostruisciRegistro(archivio, stati, registro, opzioni);
        EXPECT_EQ(nodrel::DataRegistro(QString::fromStdString(registro.string())), atteso);
    }
    // The register of the lists of data/.
    EXPECT_EQ(nodrel::DataRegistro(QString::fromStdString(RegistroVero().string())),
              QDate(2023, 10, 1));
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
