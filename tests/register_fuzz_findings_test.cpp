// Faults that the checks of the register's fuzz target brought to light, kept from coming back.

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "register/comuni.h"
#include "register/costruisci.h"
#include "register_support.h"

namespace {

using namespace prova;

// The tool counted a code's length in code points, decoding takes four UTF-16 units: a code with
// a character beyond U+FFFF was accepted and then never found. Every code the tool accepts must
// be found again by decoding a fiscal code that carries it: now only a letter and three digits.
TEST(RegisterFuzzFindings, EveryCodeTheToolAcceptsIsFoundByDecoding) {
    const struct {
        std::string codice;
        bool accettato;
        const char* perche;
    } casi[] = {
        {"H501", true, "a letter and three digits"},
        {"\xC3\x80\xC3\x88\xC3\x8C\xC3\x92", false, "four accented letters, two bytes each"},
        {"\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", false,
         "four characters of three bytes"},
        {"A\xF0\x9F\x98\x80"
         "B",
         false, "one character beyond U+FFFF and two letters: four units"},
        {"AB\xF0\x9F\x98\x80"
         "C",
         false, "four code points but five units"},
        {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80", false,
         "four code points, eight units"},
        {"H50", false, "three characters"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.perche);
        CartellaTemporanea cartella;
        const std::string archivio =
            "CODCATASTALE,DENOMTRASLITTERATA,ALTRADENOMTRASLITTERATA,SIGLAPROVINCIA,"
            "DATAISTITUZIONE,DATACESSAZIONE\n" +
            c.codice + ",ROMA,,RM,1884-09-11,9999-12-31\n";
        bool accettato = true;
        try {
            nodrel::LeggiArchivioComuni(archivio);
        } catch (const nodrel::ErroreCostruzione& e) {
            accettato = false;
            EXPECT_EQ(e.Riga(), 2) << e.what();
        }
        EXPECT_EQ(accettato, c.accettato);
        if (!accettato) {
            continue;
        }
        ScriviFile(cartella / "comuni.csv", archivio);
        ScriviFile(cartella / "stati.csv",
                   "CODAT,DENOMINAZIONE,DATAINIZIOVALIDITA,DATAFINEVALIDITA\n"
                   "Z404,STATI UNITI D'AMERICA,01/01/1900,31/12/9999\n");
        nodrel::CostruisciRegistro(cartella / "comuni.csv", cartella / "stati.csv",
                                   cartella / "Comuni.mdb");
        const auto registro = nodrel::ApriRegistro((cartella / "Comuni.mdb").u16string());
        const std::u16string base = u"RSSMRA80A01" + NODREL1::Utf16(c.codice);
        const NODREL1::Decodificato esito =
            NODREL1::Decodifica(base + NODREL1::CarattereControllo(base), registro.get(),
                                std::chrono::year{2026} / 6 / 15);
        ASSERT_NE(esito.comune, nullptr);
        EXPECT_EQ(esito.comune->codice, NODREL1::Utf16(c.codice));
        EXPECT_EQ(esito.comune->nome, u"ROMA");
    }
}

}  // namespace
