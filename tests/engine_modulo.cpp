// Composition and verification as the main window's commands run them: the module variables in,
// the code or the refusal out.

#include <gtest/gtest.h>

#include <string>

#include "engine/nodrel1.h"
#include "engine/testo.h"

namespace {

using namespace NODREL1;

// A code left by an earlier composition, which a refused one must not touch.
const std::u16string kCodicePrecedente = u"BNC GNN 85L55 F205 W";

class Composizione : public ::testing::Test {
protected:
    // What the compose command copies in before it calls the engine; `codice` is the cadastral
    // code of the municipality the completion chose, none when empty.
    NODREL1::Composizione Componi(const std::u16string& cognome, const std::u16string& nome,
                                  const std::u16string& sesso, const std::u16string& data,
                                  const std::u16string& codice) {
        m.Cognome = cognome;
        m.Nome = nome;
        m.Sesso = sesso;
        m.Luogo = u"ROMA";
        m.Provincia = u"RM";
        m.DataNascita = data;
        scelto = Comune{codice, u"ROMA", u"RM", u"1871-01-01", u"9999-12-31"};
        return m.CalcolaCodice(codice.empty() ? nullptr : &scelto, false);
    }
    std::u16string Variabili() const {
        return m.Cognome + u"|" + m.Nome + u"|" + m.Sesso + u"|" + m.Luogo + u"|" + m.Provincia +
               u"|" + m.DataNascita + u"|" + m.Codice;
    }

    void SetUp() override {
        m.Codice = kCodicePrecedente;
        m.oggi = std::chrono::year{2026} / 6 / 15;
    }

    Modulo m;
    Comune scelto;
};

TEST_F(Composizione, ComposesCodesInDisplayFormAndKeepsTheVariables) {
    struct Persona {
        std::u16string cognome, nome, sesso, data, luogo, codice;
        const char* perche;
    };
    // Check characters worked out as in the check-character tests: e.g. BNCGNN85L55F205 totals
    // 0+13+5+6+20+13+19+5+4+5+13+5+5+0+13 = 126; 126 % 26 = 22 -> W.
    const Persona persone[] = {
        {u"ROSSI", u"MARIO", u"M", u"01/01/1980", u"H501", u"RSS MRA 80A01 H501 U", "plain"},
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
        const auto esito = Componi(p.cognome, p.nome, p.sesso, p.data, p.luogo);
        ASSERT_FALSE(esito.rifiuto);
        EXPECT_EQ(esito.codice, p.codice);
        EXPECT_EQ(esito.comune, &scelto);
        // One meaning each: the variables still hold what the fields gave.
        EXPECT_EQ(Variabili(), p.cognome + u"|" + p.nome + u"|" + p.sesso + u"|ROMA|RM|" + p.data +
                                   u"|" + p.codice);
    }
}

// A refusal says what to mend, checked in the order the fields are filled in; it leaves every
// module variable as it was.
TEST_F(Composizione, RefusesWhatCannotGiveARightCode) {
    struct Caso {
        std::u16string cognome, nome, data, codice;
        std::u16string_view messaggio;
        Campo campo;
        const char* perche;
    };
    const std::u16string_view luogo = kMsgLuogoErrato;
    const std::u16string_view data = kMsgDataMancante;
    const Caso casi[] = {
        {u"'- ", u"MARIO", u"01/01/1980", u"H501", kMsgCognomeMancante, Campo::Text2,
         "a surname without a letter"},
        {u"ROSSI", u"", u"01/13/1980", u"", kMsgNomeMancante, Campo::Text3,
         "a name without a letter, before the municipality and the date"},
        {u"ROSSI", u"MARIO", u"01/13/1980", u"", luogo, Campo::Text5,
         "a name not in the register, before the date"},
        {u"ROSSI", u"MARIO", u"01/01/1980", u"h501", luogo, Campo::Text5, "a code in lower case"},
        {u"ROSSI", u"MARIO", u"01/01/1980", u"H5O1", luogo, Campo::Text5,
         "a letter among the digits"},
        {u"ROSSI", u"MARIO", u"29/02/1990", u"H501", data, Campo::Text7,
         "29 February of a common year"},
        {u"ROSSI", u"MARIO", u"00/01/1980", u"H501", data, Campo::Text7, "day 0"},
        {u"ROSSI", u"MARIO", u"01/01/19AB", u"H501", data, Campo::Text7,
         "a year that is no number"},
        {u"ROSSI", u"MARIO", u"16/06/2026", u"H501", data, Campo::Text7, "tomorrow"},
        {u"ROSSI", u"MARIO", u"", u"H501", data, Campo::Text7, "no date"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        const auto esito = Componi(c.cognome, c.nome, u"F", c.data, c.codice);
        ASSERT_TRUE(esito.rifiuto);
        EXPECT_EQ(esito.rifiuto->messaggio, c.messaggio);
        EXPECT_EQ(esito.rifiuto->campo, c.campo);
        EXPECT_TRUE(esito.codice.empty());
        EXPECT_EQ(Variabili(),
                  c.cognome + u"|" + c.nome + u"|F|ROMA|RM|" + c.data + u"|" + kCodicePrecedente);
    }
    // Today itself is no day ahead; a refused date says why on a line of its own.
    EXPECT_FALSE(Componi(u"ROSSI", u"MARIO", u"M", u"15/06/2026", u"H501").rifiuto);
    EXPECT_EQ(TestoRifiuto(*Componi(u"ROSSI", u"MARIO", u"M", u"31/04/1990", u"H501").rifiuto),
              u"DEVE ESSERE INSERITA LA DATA DI NASCITA  GG/MM/AAAA\n"
              u"giorno non valido: aprile ha 30 giorni");
    // A date as typed is read as the date field reads it.
    EXPECT_EQ(Componi(u"ROSSI", u"MARIO", u"M", u" 1.1.80", u"H501").codice,
              u"RSS MRA 80A01 H501 U");
}

TEST(Verifica, ControllaCodiceTellsWhetherTheCodeIsRightAndWhy) {
    struct Caso {
        std::u16string codice;
        std::u16string motivo;  // the second line; empty for a plain right code
        bool giusto;
        const char* perche;
    };
    const Caso casi[] = {
        {u"RSS MRA 80A01 H501 U", u"", true, "display form"},
        {u"RSSMRA80A01H501U", u"", true, "plain"},
        {u" rssmra80a01h501u", u"", true, "leading blank, lower case"},
        {u"rssmra80A01H501U", u"", true, "sixteen characters, some in lower case"},
        {u"RSSMRA80A01H501 ", u"lunghezza errata", false, "sixteen characters, the last a blank"},
        {u"R S S M R A 8 0 A 0 1 H 5 0 1 U", u"", true, "a blank between every two characters"},
        {u"BNC GNN 85L55 F205 W", u"", true, "a woman's code"},
        {u"RSSMRA80A01H50MM", u"omocodico", true, "an omocode: M for 1 in the municipality"},
        {u"RSSMRAULALMHRLMD", u"omocodico", true, "all seven digits as letters"},
        {u"01234567897", u"codice numerico", true, "eleven digits with their check digit"},
        {u"01234567890", u"cifra di controllo errata", false, "eleven digits, wrong check digit"},
        {u"RSSMRA80A01H501V", u"carattere di controllo errato (atteso U)", false, "wrong check"},
        {u"RSSMRA80A01H501", u"lunghezza errata", false, "fifteen characters"},
        {u"J", u"lunghezza errata", false, "a lone letter"},
        {u"RSSMRA80A01H501XXXXXXXU", u"lunghezza errata", false, "too long"},
        {u"RSSMRA80Z01H501Q", u"mese non valido", false, "Z is no month"},
        {u"RSSMRA80A99H501Y", u"giorno non valido", false, "day 99"},
        {u"RSSMRA80A32H501C", u"giorno non valido", false, "day 32"},
        {u"RSSMRA80A01H50MU", u"carattere di controllo errato (atteso M)", false,
         "an omocode's check letter is computed over its letters"},
        {u"RSSMRA8WA01H501U", u"carattere non ammesso in posizione 8", false, "W is no digit"},
        {u"", u"lunghezza errata", false, "empty"},
        {u"    ", u"lunghezza errata", false, "blanks only"},
        // The calendar: 30 days in D, H, P, S; February by the year's two digits.
        {u"RSSMRA80B31H501W", u"giorno non valido", false, "31 February"},
        {u"RSSMRA80D31H501D", u"giorno non valido", false, "31 April"},
        {u"RSSMRA80D30H501E", u"", true, "30 April"},
        {u"RSSMRA81B69H501V", u"giorno non valido", false, "a woman, 29 February 1981"},
        {u"RSSMRA80B29H501Q", u"", true, "29 February 1980"},
        {u"RSSMRA00B69H501C", u"", true, "a woman, 29 February of 00"},
        {u"RSSMRAULBNVH501Y", u"omocodico", true, "29 February of 80, every digit a letter"},
        {u"RSSMRA80A40H501Z", u"giorno non valido", false, "day 40: a woman's day 0"},
    };
    const Modulo m;
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        const std::u16string_view verdetto = c.giusto ? kMsgCodiceCorretto : kMsgCodiceErrato;
        EXPECT_EQ(m.ControllaCodice(c.codice), verdetto);
        EXPECT_EQ(MessaggioVerifica(EsaminaCodice(c.codice)),
                  std::u16string(verdetto) + (c.motivo.empty() ? u"" : u"\n" + c.motivo));
    }
    EXPECT_EQ(MessaggioVerifica(EsaminaCodice(u"RSSMRA80A01H50MM"), true),
              u"CODICE FISCALE CORRETTO\nomocodico\ncomune non in elenco");
}

// A typed code set against the one composed for its person: the message names each group that
// differs with what it should be.
TEST(Corrispondenza, NamesEachGroupThatDiffers) {
    const struct {
        std::u16string codice, messaggio;
    } casi[] = {
        {u"rssmra80a01h501u", u"IL CODICE CORRISPONDE AI DATI"},
        {u"RSSMRAULALMHRLMD", u"IL CODICE CORRISPONDE AI DATI\nomocodico"},
        {u"RSS LGU 80A01 H501 U", u"IL CODICE NON CORRISPONDE AI DATI\nnome: atteso MRA"},
        {u"RSSMRA80A02H501Z",
         u"IL CODICE NON CORRISPONDE AI DATI\ndata di nascita e sesso: atteso 80A01\n"
         u"carattere di controllo: atteso U"},
        {u"RSSMRA80A01F205X",
         u"IL CODICE NON CORRISPONDE AI DATI\ncomune di nascita: atteso H501\n"
         u"carattere di controllo: atteso U"},
        {u"RSSMRA80A01H501V", u"CODICE FISCALE ERRATO\ncarattere di controllo errato (atteso U)"},
        {u"01234567897",
         u"IL CODICE NON CORRISPONDE AI DATI\ncognome: atteso RSS\nnome: atteso MRA\n"
         u"data di nascita e sesso: atteso 80A01\ncomune di nascita: atteso H501\n"
         u"carattere di controllo: atteso U"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(Utf8(c.codice));
        const auto esito = ConfrontaCodici(u"RSS MRA 80A01 H501 U", c.codice);
        EXPECT_EQ(MessaggioCorrispondenza(esito), c.messaggio);
        EXPECT_EQ(esito.Corrisponde(), c.messaggio.starts_with(kMsgCorrisponde));
    }
}

// An error carries its words to whatever catches a std::exception.
TEST(Errore, WhatGivesTheNumberAndTheDescription) {
    const Errore e(14, u"impossibile aprire il file del database: Comuni.mdb è una cartella");
    EXPECT_STREQ(e.what(),
                 "14 impossibile aprire il file del database: Comuni.mdb \xC3\xA8 una cartella");
}

}  // namespace
