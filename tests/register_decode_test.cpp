// Decoding a typed code into the main window's fields, over the real register.

#include <vector>

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "finestra_finta.h"
#include "register/comuni.h"
#include "register_support.h"

namespace {

using namespace prova;
using NODREL1::Campo;

using Fatti = std::vector<std::u16string>;

class RegisterDecode : public ::testing::Test {
protected:
    void SetUp() override {
        NODREL1::FissaOggi(std::chrono::year{2026} / std::chrono::June / 15);
        NODREL1::DbComuni = nodrel::ApriDatabase(RegistroVero().u16string());
        NODREL1::RsComuni = NODREL1::DbComuni->OpenRecordset(u"Comuni");
        NODREL1::CollegaFinestra(&finestra);
    }
    void TearDown() override { NODREL1::Stato.Azzera(); }

    // Decodes on a window that shows an earlier municipality; returns what happened.
    Fatti Estrai(const std::u16string& codice) {
        finestra.campi = {};
        finestra[Campo::Text5] = u"MILANO";
        finestra[Campo::Text6] = u"MI";
        finestra[Campo::Text8] = u"F205";
        finestra.fatti.clear();
        NODREL1::EstraiDati(codice);
        return finestra.fatti;
    }

    FinestraFinta finestra;
};

// Check characters worked out by hand from the character values.
TEST_F(RegisterDecode, GoodCodeFillsFieldsInOrder) {
    const Fatti roma = {u"Text2=RSS",  u"Text3=MRA", u"Cbosesso=M", u"Text7=01/01/1980",
                        u"Text5=ROMA", u"Text6=RM",  u"Text8=H501"};
    const Fatti usa = {u"Text2=BNC",
                       u"Text3=LRA",
                       u"Cbosesso=F",
                       u"Text7=01/08/1985",
                       u"Text5=STATI UNITI D'AMERICA",
                       u"Text6=EE",
                       u"Text8=Z404"};
    const Fatti zuri = {u"Text2=VRD",  u"Text3=GPP", u"Cbosesso=M", u"Text7=01/01/2013",
                        u"Text5=ZURI", u"Text6=CA",  u"Text8=M206"};
    const struct {
        std::u16string codice;
        const Fatti& attesi;
    } casi[] = {
        {u"RSSMRA80A01H501U", roma},
        {u"RSS MRA 80A01 H501 U", roma},
        {u"  rssmra80 a01h501u ", roma},
        {u"RSSMRA80A01H50MM", roma},  // omocodes fill the fields of their all-digit form
        {u"RSSMRAULALMHRLMD", roma},
        {u"BNCLRA85M41Z404W", usa},
        {u"BNC LRA 85M41 Z404 W", usa},
        {u"VRDGPP13A01M206Q", zuri},  // a municipality that no longer exists
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(NODREL1::Utf8(c.codice));
        EXPECT_EQ(Estrai(c.codice), c.attesi);
    }
}

// The typed code is kept, selected, so that one wrong character costs only itself.
TEST_F(RegisterDecode, WrongCodeIsKeptSelectedAndNothingElseTouched) {
    const Fatti rifiuto = {u"MsgBox ERRORE: INSERIRE NUOVAMENTE CODICE FISCALE", u"DaiFuoco Text1",
                           u"SelezionaTutto Text1"};
    for (const std::u16string codice : {u"RSSMRA80A01H501V", u"RSS MRA 80A01 H501 A", u" ", u"    ",
                                        u"RSSMRA80A01H501", u"RSSMRA80Z01H501Q", u"01234567897"}) {
        SCOPED_TRACE(NODREL1::Utf8(codice));
        EXPECT_EQ(Estrai(codice), rifiuto);
        EXPECT_EQ(finestra[Campo::Text5], u"MILANO");
    }
}

TEST_F(RegisterDecode, MunicipalityNotInRegisterKeepsEarlierOne) {
    const std::u16string base = u"RSSMRA80A01H499";
    EXPECT_EQ(Estrai(base + NODREL1::CarattereControllo(base)),
              (Fatti{u"Text2=RSS", u"Text3=MRA", u"Cbosesso=M", u"Text7=01/01/1980",
                     u"MsgBox Comune non in elenco"}));
    EXPECT_EQ(finestra[Campo::Text5], u"MILANO");
    EXPECT_EQ(finestra[Campo::Text6], u"MI");
    EXPECT_EQ(finestra[Campo::Text8], u"F205");
}

TEST_F(RegisterDecode, UnopenedRegisterIsReportedOnce) {
    NODREL1::RsComuni.reset();
    const Fatti fatti = Estrai(u"RSSMRA80A01H501U");
    ASSERT_EQ(fatti.size(), 5u);
    EXPECT_EQ(fatti[3], u"Text7=01/01/1980");
    EXPECT_TRUE(fatti[4].starts_with(u"MsgBox FasMsg: 91 ")) << NODREL1::Utf8(fatti[4]);
    EXPECT_GT(fatti[4].size(), std::u16string(u"MsgBox FasMsg: 91 ").size());
    EXPECT_EQ(finestra[Campo::Text8], u"F205");
}

// Today is fixed at 15 June 2026.
TEST_F(RegisterDecode, DayMonthSexAndCentury) {
    const struct {
        std::u16string anno, mese, giorno, sesso, data;
    } casi[] = {
        {u"80", u"A", u"41", u"F", u"01/01/1980"}, {u"80", u"A", u"01", u"M", u"01/01/1980"},
        {u"05", u"T", u"71", u"F", u"31/12/2005"}, {u"80", u"A", u"31", u"M", u"31/01/1980"},
        {u"80", u"A", u"55", u"F", u"15/01/1980"}, {u"80", u"C", u"15", u"M", u"15/03/1980"},
        {u"80", u"S", u"15", u"M", u"15/11/1980"}, {u"30", u"A", u"01", u"M", u"01/01/1930"},
        {u"26", u"H", u"15", u"M", u"15/06/2026"},  // today
        {u"26", u"H", u"16", u"M", u"16/06/1926"},  // tomorrow would be ahead
        {u"80", u"A", u"LM", u"M", u"01/01/1980"},  // omocode letters in the day
        {u"80", u"A", u"QM", u"F", u"01/01/1980"},
    };
    for (const auto& c : casi) {
        const std::u16string base = u"RSSMRA" + c.anno + c.mese + c.giorno + u"H501";
        SCOPED_TRACE(NODREL1::Utf8(base));
        const Fatti fatti = Estrai(base + NODREL1::CarattereControllo(base));
        ASSERT_EQ(fatti.size(), 7u);
        EXPECT_EQ(fatti[2], u"Cbosesso=" + c.sesso);
        EXPECT_EQ(fatti[3], u"Text7=" + c.data);
        EXPECT_EQ(fatti[6], u"Text8=H501");
    }
}

// The letters shown compose back to the same group: a filler X is left out where it is one.
TEST_F(RegisterDecode, LettersComposeBackToTheirGroup) {
    const struct {
        std::u16string gruppi, cognome, nome;
    } casi[] = {
        {u"FOXLCU", u"FO", u"LCU"},
        {u"OXXEUA", u"O", u"EUA"},
        {u"XXXDXX", u"X", u"D"},
        {u"RSXMXX", u"RS", u"M"},
    };
    for (const auto& c : casi) {
        const std::u16string base = c.gruppi + u"66C17F205";
        SCOPED_TRACE(NODREL1::Utf8(base));
        const Fatti fatti = Estrai(base + NODREL1::CarattereControllo(base));
        ASSERT_GE(fatti.size(), 2u);
        EXPECT_EQ(fatti[0], u"Text2=" + c.cognome);
        EXPECT_EQ(fatti[1], u"Text3=" + c.nome);
        EXPECT_EQ(NODREL1::CodiceCognome(c.cognome), c.gruppi.substr(0, 3));
        EXPECT_EQ(NODREL1::CodiceNome(c.nome), c.gruppi.substr(3, 3));
    }
}

}  // namespace

namespace {

// The municipality a code is composed with is the one of its name in force on the birth date,
// in the province shown when one of its records has it.
TEST_F(RegisterDecode, CompositionTakesTheMunicipalityOfTheBirthDate) {
    const struct {
        std::u16string comune, provincia, data, completato, atteso;
    } casi[] = {
        {u"BELLAGIO", u"CO", u"01/01/1950", u"M335", u"A744"},  // merged in 2014: a new code
        {u"BELLAGIO", u"CO", u"01/01/2015", u"M335", u"M335"},
        {u"LONGARONE", u"BL", u"01/01/1960", u"M342", u"E672"},
        {u"montalcino ", u"SI", u"01/01/1980", u"M378", u"F402"},
        {u"CASTRO", u"LE", u"01/01/1980", u"C337", u"M261"},  // two towns of one name
        {u"CASTRO", u"LE", u"01/01/1950", u"C337", u"M261"},  // none yet: not Bergamo's
        {u"CASTRO", u"BG", u"01/01/1980", u"C337", u"C337"},
        {u"SAN TEODORO", u"SS", u"01/01/1980", u"I328", u"I329"},
        {u"SAN TEODORO", u"SS", u"01/01/1950", u"I329", u"I329"},  // the completion's choice
        {u"ROMA", u"RM", u"01/01/1980", u"?", u"?"},               // refused as it stands
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(NODREL1::Utf8(c.comune + u" " + c.data));
        finestra.campi = {};
        finestra[Campo::Text8] = c.completato;
        NODREL1::Cognome = u"ROSSI";
        NODREL1::Nome = u"MARIO";
        NODREL1::Sesso = u"M";
        NODREL1::Luogo = c.comune;
        NODREL1::Provincia = c.provincia;
        NODREL1::DataNascita = c.data;
        EXPECT_EQ(NODREL1::CalcolaCodice(), c.atteso != u"?");
        EXPECT_EQ(finestra[Campo::Text8], c.atteso);
    }
}

}  // namespace
