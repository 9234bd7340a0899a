// Composition, verification and Caps Lock, through a main window that records what it is asked.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/nodrel1.h"
#include "finestra_finta.h"

namespace {

using namespace NODREL1;

using Chiamate = std::vector<std::u16string>;

// All module variables at a glance, so one comparison shows what a composition changed.
std::u16string Variabili() {
    return Cognome + u"|" + Nome + u"|" + Sesso + u"|" + Luogo + u"|" + Provincia + u"|" +
           DataNascita + u"|" + Codice;
}

// A code left by an earlier composition, which a refused one must not touch.
const std::u16string kCodicePrecedente = u"BNC GNN 85L55 F205 W";

class Modulo : public ::testing::Test {
protected:
    void SetUp() override {
        Codice = kCodicePrecedente;
        CollegaFinestra(&finestra);
    }
    void TearDown() override { Stato.Azzera(); }

    // What the compose command copies in before it calls the engine.
    void Compila(const std::u16string& cognome, const std::u16string& nome,
                 const std::u16string& sesso, const std::u16string& data,
                 const std::u16string& text8) {
        Cognome = cognome;
        Nome = nome;
        Sesso = sesso;
        Luogo = u"ROMA";
        Provincia = u"RM";
        DataNascita = data;
        finestra[Campo::Text8] = text8;
        finestra.fatti.clear();
    }

    prova::FinestraFinta finestra;
};

TEST_F(Modulo, ComposesTheCodeAndKeepsItsGroups) {
    Compila(u"ROSSI", u"MARIO", u"M", u"01/01/1980", u"H501");
    EXPECT_TRUE(CalcolaCodice());
    EXPECT_EQ(Variabili(), u"RSS|MRA|M|H501|RM|80A01|RSS MRA 80A01 H501 U");
    EXPECT_EQ(finestra.fatti, Chiamate{u"Testo Text8"});
}

TEST_F(Modulo, ComposesCodesInDisplayForm) {
    struct Persona {
        std::u16string cognome, nome, sesso, data, text8, codice;
        const char* perche;
    };
    // Check characters worked out as in the check-character tests: e.g. BNCGNN85L55F205 totals
    // 0+13+5+6+20+13+19+5+4+5+13+5+5+0+13 = 126; 126 % 26 = 22 -> W.
    const Persona persone[] = {
        {u"BIANCHI", u"GIOVANNA", u"F", u"15/07/1985", u"F205", u"BNC GNN 85L55 F205 W",
         "a woman; four consonants in the name"},
        {u"DE LUCA", u"ANNA MARIA", u"F", u"09/06/1966", u"H501", u"DLC NMR 66H49 H501 Y",
         "two-word surname and names"},
        {u"D'AMICO", u"BEATRICE", u"F", u"31/12/1999", u"L219", u"DMC BRC 99T71 L219 U",
         "the apostrophe is no letter"},
        {u"D'ALESSIO", u"NICOL\u00D2", u"M", u"01/01/1985", u"H501", u"DLS NCL 85A01 H501 A",
         "an apostrophe and an accented vowel"},
        {u"m\u00FCller", u"jos\u00E9", u"M", u"15-08-1975", u"L219", u"MLL JSO 75M15 L219 E",
         "lower case and accents, as pasted or typed without Caps Lock"},
        {u"FO", u"LUCA", u"M", u"17/03/1966", u"F205", u"FOX LCU 66C17 F205 Z",
         "short surname completed with the filler"},
        {u"ROSSI", u"MARIO", u"f", u"01/01/1980", u"H501", u"RSS MRA 80A01 H501 U",
         "only F is female"},
    };
    for (const Persona& p : persone) {
        SCOPED_TRACE(p.perche);
        Compila(p.cognome, p.nome, p.sesso, p.data, p.text8);
        EXPECT_TRUE(CalcolaCodice());
        EXPECT_EQ(Codice, p.codice);
        EXPECT_EQ(Luogo, p.text8);
        EXPECT_EQ(finestra.fatti, Chiamate{u"Testo Text8"});
    }
}

// A refusal says what to mend and focuses that field, checked in the order the fields are
// filled in; it leaves every module variable but Luogo as it was.
TEST_F(Modulo, RefusesWhatCannotGiveARightCode) {
    struct Caso {
        std::u16string cognome, nome, data, text8;
        Chiamate dopo;  // after reading Text8
        const char* perche;
    };
    const Chiamate luogo = {u"MsgBox ERRORE : Inserire nuovamente luogo di nascita e provincia",
                            u"Text5=", u"Text6=", u"DaiFuoco Text5"};
    const Chiamate data = {u"MsgBox DEVE ESSERE INSERITA LA DATA DI NASCITA  GG/MM/AAAA",
                           u"DaiFuoco Text7"};
    const Caso casi[] = {
        {u"'- ",
         u"MARIO",
         u"01/01/1980",
         u"H501",
         {u"MsgBox DEVE ESSERE INSERITO IL COGNOME", u"DaiFuoco Text2"},
         "a surname without a letter"},
        {u"ROSSI",
         u"",
         u"01/13/1980",
         u"?",
         {u"MsgBox DEVE ESSERE INSERITO IL NOME", u"DaiFuoco Text3"},
         "a name without a letter, before the municipality and the date"},
        {u"ROSSI", u"MARIO", u"01/13/1980", u"?", luogo, "an unknown municipality before the date"},
        {u"ROSSI", u"MARIO", u"01/01/1980", u"", luogo, "no cadastral code at all"},
        {u"ROSSI", u"MARIO", u"01/01/1980", u"??", luogo, "not a code"},
        {u"ROSSI", u"MARIO", u"01/01/1980", u"h501", luogo, "a code in lower case"},
        {u"ROSSI", u"MARIO", u"01/01/1980", u"H5O1", luogo, "a letter among the digits"},
        {u"ROSSI", u"MARIO", u"29/02/1990", u"H501", data, "29 February of a common year"},
        {u"ROSSI", u"MARIO", u"00/01/1980", u"H501", data, "day 0"},
        {u"ROSSI", u"MARIO", u"01/01/19AB", u"H501", data, "a year that is no number"},
        {u"ROSSI", u"MARIO", u"01/01/2999", u"H501", data, "a date ahead"},
        {u"ROSSI", u"MARIO", u"", u"H501", data, "no date"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        Compila(c.cognome, c.nome, u"F", c.data, c.text8);
        EXPECT_FALSE(CalcolaCodice());
        Chiamate attese = {u"Testo Text8"};
        attese.insert(attese.end(), c.dopo.begin(), c.dopo.end());
        EXPECT_EQ(finestra.fatti, attese);
        EXPECT_EQ(Variabili(), c.cognome + u"|" + c.nome + u"|F|" + c.text8 + u"|RM|" + c.data +
                                   u"|" + kCodicePrecedente);
    }
}

TEST_F(Modulo, NextCompositionStartsAgainFromTheFields) {
    Compila(u"ROSSI", u"MARIO", u"M", u"01/01/1980", u"H501");
    ASSERT_TRUE(CalcolaCodice());
    Compila(u"BIANCHI", u"GIOVANNA", u"F", u"15/07/1985", u"F205");
    ASSERT_TRUE(CalcolaCodice());
    EXPECT_EQ(Codice, u"BNC GNN 85L55 F205 W");
    Compila(u"ROSSI", u"MARIO", u"M", u"01/01/1980", u"?");
    ASSERT_FALSE(CalcolaCodice());
    Compila(u"ROSSI", u"MARIO", u"M", u"01/01/1980", u"H501");
    ASSERT_TRUE(CalcolaCodice());
    EXPECT_EQ(Codice, u"RSS MRA 80A01 H501 U");
}

TEST_F(Modulo, ControllaCodiceTellsWhetherTheCodeIsRight) {
    struct Caso {
        std::u16string codice;
        std::u16string messaggio;
        const char* perche;
    };
    const std::u16string giusto = u"CODICE FISCALE CORRETTO";
    const std::u16string errato = u"CODICE FISCALE ERRATO";
    const Caso casi[] = {
        {u"RSS MRA 80A01 H501 U", giusto, "display form"},
        {u"RSSMRA80A01H501U", giusto, "plain"},
        {u" rssmra80a01h501u", giusto, "leading blank, lower case"},
        {u"R S S M R A 8 0 A 0 1 H 5 0 1 U", giusto, "a blank between every two characters"},
        {u"BNC GNN 85L55 F205 W", giusto, "a woman's code"},
        {u"RSSMRA80A01H50MM", giusto, "an omocode: M for 1 in the municipality"},
        {u"RSSMRAULALMHRLMD", giusto, "all seven digits as letters"},
        {u"01234567897", giusto, "eleven digits with their check digit"},
        {u"01234567890", errato, "eleven digits with a wrong check digit"},
        {u"RSSMRA80A01H501V", errato, "wrong check character"},
        {u"RSSMRA80A01H501", errato, "fifteen characters"},
        {u"J", errato, "a lone letter"},
        {u"RSSMRA80A01H501XXXXXXXU", errato, "too long"},
        {u"RSSMRA80Z01H501Q", errato, "Z is no month, whatever the check letter"},
        {u"RSSMRA80A99H501Y", errato, "day 99"},
        {u"RSSMRA80A32H501C", errato, "day 32"},
        {u"RSSMRA80A01H50MU", errato, "an omocode's check letter is computed over its letters"},
        {u"RSSMRA8WA01H501U", errato, "W stands for no digit"},
        {u"", errato, "empty"},
        {u"    ", errato, "blanks only"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        finestra.fatti.clear();
        ControllaCodice(c.codice);
        EXPECT_EQ(finestra.fatti, Chiamate{u"MsgBox " + c.messaggio});
    }
}

TEST_F(Modulo, AttivaMaiuscoleAsksTheWindowForCapitals) {
    finestra.fatti.clear();
    AttivaMaiuscole();
    EXPECT_EQ(finestra.fatti, Chiamate{u"AccendiMaiuscole"});
}

// With no main window loaded Caps Lock is left alone, but a composition cannot read Text8.
TEST(ModuloSenzaFinestra, AttivaMaiuscoleIsHarmlessCalcolaCodiceRaises) {
    CollegaFinestra(nullptr);
    EXPECT_NO_THROW(AttivaMaiuscole());
    Cognome = u"ROSSI";
    Nome = u"MARIO";
    DataNascita = u"01/01/1980";
    Codice = kCodicePrecedente;
    const std::u16string prima = Variabili();
    EXPECT_THROW(CalcolaCodice(), Errore);
    EXPECT_EQ(Variabili(), prima);
}

}  // namespace
