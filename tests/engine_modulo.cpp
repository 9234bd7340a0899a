// Composition, verification and Caps Lock, through a main window that records what it is asked.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/nodrel1.h"

namespace {

using namespace NODREL1;

std::u16string NomeCampo(Campo campo) {
    static const char16_t* const kNomi[] = {u"Text1", u"Text2", u"Text3", u"Text5",
                                            u"Text6", u"Text7", u"Text8"};
    return kNomi[static_cast<int>(campo)];
}

using Chiamate = std::vector<std::u16string>;

class FinestraFinta : public Finestra {
public:
    std::u16string text8;
    Chiamate chiamate;

    std::u16string Testo(Campo campo) override {
        chiamate.push_back(u"Testo " + NomeCampo(campo));
        return campo == Campo::Text8 ? text8 : u"";
    }
    void ImpostaTesto(Campo campo, const std::u16string& testo) override {
        chiamate.push_back(u"ImpostaTesto " + NomeCampo(campo) + u" [" + testo + u"]");
    }
    void DaiFuoco(Campo campo) override { chiamate.push_back(u"DaiFuoco " + NomeCampo(campo)); }
    void SelezionaSesso(int voce) override {
        chiamate.push_back(u"SelezionaSesso " +
                           std::u16string(1, static_cast<char16_t>(u'0' + voce)));
    }
    void MsgBox(const std::u16string& testo) override { chiamate.push_back(u"MsgBox " + testo); }
    void AccendiMaiuscole() override { chiamate.push_back(u"AccendiMaiuscole"); }
};

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
    void TearDown() override { CollegaFinestra(nullptr); }

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
        finestra.text8 = text8;
        finestra.chiamate.clear();
    }

    FinestraFinta finestra;
};

TEST_F(Modulo, ComposesTheCodeAndKeepsItsGroups) {
    Compila(u"ROSSI", u"MARIO", u"M", u"01/01/1980", u"H501");
    EXPECT_TRUE(CalcolaCodice());
    EXPECT_EQ(Variabili(), u"RSS|MRA|M|H501|RM|80A01|RSS MRA 80A01 H501 U");
    EXPECT_EQ(finestra.chiamate, Chiamate{u"Testo Text8"});
}

TEST_F(Modulo, ComposesCodesInDisplayForm) {
    struct Persona {
        std::u16string cognome, nome, sesso, data, text8, codice;
        const char* perche;
    };
    // Check characters worked out as in the check-character tests: e.g. BNCGNN85L55F205 totals
    // 0+13+5+6+20+13+19+5+4+5+13+5+5+0+13 = 126; 126 % 26 = 22 -> W.
    const Persona persone[] = {
        {u"ROSSI", u"MARIO", u"M", u"01/01/1980", u"", u"RSS MRA 80A01  E",
         "empty Text8: empty place group, total 82"},
        {u"BIANCHI", u"GIOVANNA", u"F", u"15/07/1985", u"F205", u"BNC GNN 85L55 F205 W",
         "a woman; four consonants in the name"},
        {u"DE LUCA", u"ANNA MARIA", u"F", u"09/06/1966", u"H501", u"DLC NMR 66H49 H501 Y",
         "two-word surname and names"},
        {u"D'AMICO", u"BEATRICE", u"F", u"31/12/1999", u"L219", u"D'M BRC 99T71 L219 U",
         "apostrophe in the code, worth -1"},
        {u"FO", u"LUCA", u"M", u"17/03/1966", u"F205", u"FOX LCU 66C17 F205 Z",
         "short surname completed with the filler"},
        {u"ROSSI", u"MARIO", u"f", u"01/01/1980", u"H501", u"RSS MRA 80A01 H501 U",
         "only F is female"},
        {u"ROSSI", u"MARIO", u"M", u"01/01/1980", u"h501", u"RSS MRA 80A01 h501 M",
         "Text8 is taken as it is"},
        {u"ROSSI", u"MARIO", u"M", u"01/01/1980", u"??", u"RSS MRA 80A01 ?? A",
         "only a lone ? means an unknown municipality"},
        {u"ROSSI", u"MARIO", u"M", u"01/ 3/1980", u"H501", u"RSS MRA 80C01 H501 Y",
         "blank before the month digit"},
        {u"ROSSI", u"MARIO", u"M", u"01/1A/1980", u"H501", u"RSS MRA 80A01 H501 U",
         "the month is the digits it starts with"},
    };
    for (const Persona& p : persone) {
        SCOPED_TRACE(p.perche);
        Compila(p.cognome, p.nome, p.sesso, p.data, p.text8);
        EXPECT_TRUE(CalcolaCodice());
        EXPECT_EQ(Codice, p.codice);
        EXPECT_EQ(Luogo, p.text8);
        EXPECT_EQ(finestra.chiamate, Chiamate{u"Testo Text8"});
    }
}

TEST_F(Modulo, UnknownMunicipalityIsRefusedBeforeTheDate) {
    for (const std::u16string data : {u"01/01/1980", u"01/13/1980"}) {
        SCOPED_TRACE(std::string(data.begin(), data.end()));
        Compila(u"ROSSI", u"MARIO", u"M", data, u"?");
        EXPECT_FALSE(CalcolaCodice());
        const Chiamate attese = {
            u"Testo Text8",
            u"MsgBox ERRORE : Inserire nuovamente luogo di nascita e provincia",
            u"ImpostaTesto Text5 []",
            u"ImpostaTesto Text6 []",
            u"DaiFuoco Text5",
        };
        EXPECT_EQ(finestra.chiamate, attese);
        EXPECT_EQ(Variabili(), u"ROSSI|MARIO|M|?|RM|" + data + u"|" + kCodicePrecedente);
    }
}

TEST_F(Modulo, DateThatCannotBeEncodedIsRefused) {
    struct Caso {
        std::u16string data;
        const char* perche;
    };
    const Caso casi[] = {
        {u"01/13/1980", "month 13"},
        {u"01/00/1980", "month 0"},
        {u"", "empty"},
        {u"1", "too short to hold a month"},
        {u"01/  /1980", "blanks where the month should be"},
        {u"01/-1/1980", "a sign is not a digit"},
        {u"AB/01/1980", "the day does not start with a digit"},
        {u" 1/01/1980", "the day starts with a blank"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        Compila(u"ROSSI", u"MARIO", u"F", c.data, u"H501");
        EXPECT_FALSE(CalcolaCodice());
        const Chiamate attese = {
            u"Testo Text8",
            u"MsgBox DEVE ESSERE INSERITA LA DATA DI NASCITA  GG/MM/AAAA",
            u"DaiFuoco Text7",
        };
        EXPECT_EQ(finestra.chiamate, attese);
        EXPECT_EQ(Variabili(), u"ROSSI|MARIO|F|H501|RM|" + c.data + u"|" + kCodicePrecedente);
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

TEST_F(Modulo, ControllaCodiceTellsWhetherTheCheckCharacterIsRight) {
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
        {u" RSSMRA80A01H501U", giusto, "leading blank"},
        {u"R S S M R A 8 0 A 0 1 H 5 0 1 U", giusto, "a blank between every two characters"},
        {u"BNC GNN 85L55 F205 W", giusto, "a woman's code"},
        {u"RSSMRA80A01H501V", errato, "wrong check character"},
        {u"RSSMRA80A01H501u", errato, "lower-case check letter"},
        {u"", errato, "empty"},
        {u"    ", errato, "blanks only"},
        {u"J", giusto, "the length plays no part: J is the check character of J"},
        // Fifteen characters in no table total -15, which no letter may stand for.
        {u"aaaaaaaaaaaaaaaL", errato, "-15 must not wrap round to L"},
        {u"aaaaaaaaaaaaaaaP", errato, "-15 must not be taken as 15"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.perche);
        finestra.chiamate.clear();
        ControllaCodice(c.codice);
        EXPECT_EQ(finestra.chiamate, Chiamate{u"MsgBox " + c.messaggio});
    }
}

TEST_F(Modulo, AttivaMaiuscoleAsksTheWindowForCapitals) {
    finestra.chiamate.clear();
    AttivaMaiuscole();
    EXPECT_EQ(finestra.chiamate, Chiamate{u"AccendiMaiuscole"});
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
