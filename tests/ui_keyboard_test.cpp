// The main window from the keyboard alone: the Enter chain, the date check, the completion of the
// municipality, Caps Lock, and whole sessions from surname to code.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui_harness.h"

using nodrel::Form2;
using nodrel::kColoreNero;
using nodrel::kColoreRossoScuro;

namespace {

const QString kDataMancante = QStringLiteral("DEVE ESSERE INSERITA LA DATA DI NASCITA  GG/MM/AAAA");
const QString kComuneNonInElenco = QStringLiteral("Comune non in elenco");

// The main window with the focus in the municipality field, as a click into it leaves it.
Form2* NelComune(const QString& cartella = {}) {
    Form2* f = prova::ApriPrincipale(cartella);
    f->Text5->setFocus();
    prova::Elabora();
    return f;
}

// A selection made with the mouse: no key is released, so no lookup runs.
void SelezionaTutto(QLineEdit* campo) {
    campo->selectAll();
}

}  // namespace

TEST(Catena, AnEmptySurnameOrNameIsRefusedEveryTime) {
    const struct {
        const char* campo;
        const char* messaggio;
        const char* seguente;
    } casi[] = {{"Text2", "DEVE ESSERE INSERITO IL COGNOME", "Text3"},
                {"Text3", "DEVE ESSERE INSERITO IL NOME", "Text5"}};
    for (const auto& c : casi) {
        SCOPED_TRACE(c.campo);
        Form2* f = prova::ApriPrincipale();
        auto* campo = f->findChild<QLineEdit*>(c.campo);
        campo->setFocus();
        prova::Premi(Qt::Key_Backspace);  // takes away the blank the field starts with
        ASSERT_EQ(campo->text(), "");
        prova::Invio();
        prova::Invio();
        EXPECT_EQ(prova::Messaggi(), (QStringList{c.messaggio, c.messaggio}));
        EXPECT_EQ(prova::NomeFuoco(), c.campo);
        EXPECT_EQ(campo->text(), "");

        // A blank is not empty: the start-up text goes through.
        campo->setText(" ");
        prova::Invio();
        EXPECT_TRUE(prova::Messaggi().isEmpty());
        EXPECT_EQ(prova::NomeFuoco(), c.seguente);
        EXPECT_EQ(campo->text(), " ");
    }
}

TEST(Catena, TheReleaseOfEnterDoesNotPassTheMunicipalityBy) {
    // Enter in the given name moves the focus to the municipality, where its release lands: it
    // leaves the focus there even when the field already holds a name.
    Form2* f = prova::ApriPrincipale();
    f->Text5->setText("ROMA");
    f->Text3->setFocus();
    prova::Invio();
    EXPECT_EQ(prova::NomeFuoco(), "Text5");
    EXPECT_EQ(f->Text5->text(), "ROMA");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

// A reader of the health card's bar code types the code and Enter: the window fills, and the
// next card read takes the code's place. A code cut short does nothing.
TEST(Catena, EnterInTheCodeFieldDecodesAWholeCode) {
    Form2* f = prova::ApriPrincipale();
    f->Text1->setFocus();
    for (const char* codice : {"PLMNTN80B14M261U\r", "RSSMRA80A01H501U\r", "RSSMRA80A01H50\r"}) {
        prova::Sovrapponi(codice);
    }
    EXPECT_EQ(f->Text1->text(), "RSSMRA80A01H50");
    EXPECT_EQ(f->Text2->text() + " " + f->Text5->text() + " " + f->Text7->text(),
              "RSS ROMA 01/01/1980");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

// Editing keys never check the date; a refused one stays, selected, for the next key to mend.
TEST(Data, TheDateIsCheckedOnEnterOrOnTheKeyAfterTheTenth) {
    const struct {
        const char* caso;
        const char* scritto;  // typed one character at a time
        Qt::Key tasto;        // then this key
        QStringList messaggi;
        const char* testo;
        const char* fuoco;
        const char* sesso = "M";
    } casi[] = {
        {"typed in full", "12/03/1985", Qt::Key_unknown, {}, "12/03/1985", "Text7"},
        {"confirmed", "12/03/1985", Qt::Key_Return, {}, "12/03/1985", "Cbosesso"},
        {"one-digit month", "12/3/1985", Qt::Key_Return, {}, "12/03/1985", "Cbosesso"},
        {"one-digit day and month", "1/1/1980", Qt::Key_Return, {}, "01/01/1980", "Cbosesso"},
        {"eight digits", "01011980", Qt::Key_Return, {}, "01/01/1980", "Cbosesso"},
        {"two-digit year", "1/1/80", Qt::Key_Return, {}, "01/01/1980", "Cbosesso"},
        {"dots", "01.01.1980", Qt::Key_Return, {}, "01/01/1980", "Cbosesso"},
        {"hyphens, the sex right after",
         "01-01-1980",
         Qt::Key_F,
         {},
         "01/01/1980",
         "Cbosesso",
         "F"},
        {"31 April",
         "31/04/1980",
         Qt::Key_Return,
         {kDataMancante + "\ngiorno non valido: aprile ha 30 giorni"},
         "31/04/1980",
         "Text7"},
        {"empty", "", Qt::Key_Return, {kDataMancante}, "", "Text7"},
        {"the sex right after", "15/03/2005", Qt::Key_F, {}, "15/03/2005", "Cbosesso", "F"},
        {"a digit right after", "12/03/1985", Qt::Key_7, {}, "12/03/1985", "Cbosesso"},
        {"backspace", "12/03/1985", Qt::Key_Backspace, {}, "12/03/198", "Text7"},
        {"backspace on a wrong date", "31/02/1990", Qt::Key_Backspace, {}, "31/02/199", "Text7"},
        {"an arrow on a wrong date", "31/02/1990", Qt::Key_Left, {}, "31/02/1990", "Text7"},
        {"rejected, then a character",
         "31/02/1985",
         Qt::Key_7,
         {kDataMancante + "\ngiorno non valido: febbraio 1985 ha 28 giorni"},
         "31/02/1985",
         "Text7"},
        {"29 February of a common year",
         "29/02/1985",
         Qt::Key_Return,
         {kDataMancante + "\ngiorno non valido: febbraio 1985 ha 28 giorni"},
         "29/02/1985",
         "Text7"},
        {"29 February of a leap year", "29/02/1984", Qt::Key_Return, {}, "29/02/1984", "Cbosesso"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        Form2* f = prova::ApriPrincipale();
        f->Text7->setFocus();
        prova::Scrivi(c.scritto);
        if (c.tasto != Qt::Key_unknown) {
            prova::Premi(c.tasto);
        }
        EXPECT_EQ(prova::Messaggi(), c.messaggi);
        EXPECT_EQ(f->Text7->text(), c.testo);
        EXPECT_EQ(prova::NomeFuoco(), c.fuoco);
        EXPECT_EQ(f->Cbosesso->currentText(), c.sesso);
        if (!c.messaggi.isEmpty()) {
            EXPECT_EQ(f->Text7->selectedText(), c.testo);
        }
    }
}

// The box holds M or F only: M and F (either case) choose, every other key is ignored.
TEST(Sesso, TypingChoosesMOrFAndEnterComposes) {
    const struct {
        const char* scritto;
        const char* sesso;
        const char* codice;
    } casi[] = {
        // RSSMRA80A41H501 adds 4 at the even position 10 to the 98 of RSSMRA80A01H501, and
        // 102 = 3*26 + 24 gives Y.
        {"f", "F", "RSS MRA 80A41 H501 Y"},  {"fx1", "F", "RSS MRA 80A41 H501 Y"},
        {"fm", "M", "RSS MRA 80A01 H501 U"}, {"x", "M", "RSS MRA 80A01 H501 U"},
        {"mf", "F", "RSS MRA 80A41 H501 Y"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.scritto);
        Form2* f = prova::ApriPrincipale();
        f->Text2->setText("ROSSI");
        f->Text3->setText("MARIO");
        f->Text5->setText("ROMA");
        f->Text7->setText("01/01/1980");
        f->Cbosesso->setFocus();
        prova::Scrivi(c.scritto);
        EXPECT_EQ(f->Cbosesso->currentText(), c.sesso);
        EXPECT_EQ(f->Cbosesso->count(), 2);
        prova::Invio();
        EXPECT_EQ(f->Text1->text(), c.codice);
        EXPECT_TRUE(prova::Messaggi().isEmpty());
    }
}

// Typed, with Shift or without, after Caps Lock or not, and pasted: capitals, the caret where the
// letters went in.
TEST(Maiuscole, LettersAreCapitalsWhateverCapsLock) {
    for (const char* nome : {"Text1", "Text2", "Text3", "Text5", "Text6"}) {
        SCOPED_TRACE(nome);
        Form2* f = prova::ApriPrincipale();
        auto* campo = f->findChild<QLineEdit*>(nome);
        campo->setFocus();
        prova::Premi(Qt::Key_CapsLock);
        prova::Scrivi("xq");
        prova::Premi(Qt::Key_W, Qt::ShiftModifier);
        prova::Premi(Qt::Key_CapsLock);
        prova::Scrivi("k");
        QApplication::clipboard()->setText("jy");
        prova::Premi(Qt::Key_Left);
        prova::Premi(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(campo->text(), "XQWJYK");
        EXPECT_EQ(campo->cursorPosition(), 5);
    }
}

// In the register's name order the first names at or after a few texts are: R RABBI (TN, H146),
// RI RIACE (RC, H265), RO RO (FE, H360), ROM ROMA (RM, H501), ROX ROZZANO, TO TOANO (RE, L184),
// M MACCAGNO,
// MI MIAGLIANO (BI, F189), X YEMEN, Z ZACCANOPOLI (VV, M138); nothing comes at or after ZZ.

TEST(Completamento, EachLetterCompletesAndBackspaceTakesTheTailBack) {
    Form2* f = NelComune();
    prova::Scrivi("r");
    EXPECT_EQ(f->Text5->text(), "RABBI");
    EXPECT_EQ(f->Text5->selectionStart(), 1);
    EXPECT_EQ(f->Text5->selectedText(), "ABBI");
    EXPECT_EQ(f->Text6->text(), "TN");
    EXPECT_EQ(f->Text8->text(), "H146");
    EXPECT_EQ(f->Text5->ForeColor(), kColoreNero);

    prova::Scrivi("i");  // replaces the selected tail
    EXPECT_EQ(f->Text5->text(), "RIACE");
    EXPECT_EQ(f->Text5->selectedText(), "ACE");
    EXPECT_EQ(f->Text6->text(), "RC");
    EXPECT_EQ(f->Text8->text(), "H265");

    // The beginning of a name is no municipality.
    prova::Premi(Qt::Key_Backspace);
    EXPECT_EQ(f->Text5->text(), "RI");
    EXPECT_FALSE(f->Text5->hasSelectedText());
    EXPECT_EQ(f->Text6->text(), "");
    EXPECT_EQ(f->Text8->text(), "");
    EXPECT_EQ(f->completamento.digitato, "RI");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST(Completamento, LowerCaseCompletesToTheStoredName) {
    Form2* f = NelComune();
    prova::Scrivi("rom");
    EXPECT_EQ(f->Text5->text(), "ROMA");
    EXPECT_EQ(f->Text5->selectedText(), "A");
    EXPECT_EQ(f->Text8->text(), "H501");
}

TEST(Completamento, OneLetterOverASelectedTextComparesOnlyLengths) {
    Form2* f = NelComune();
    prova::Scrivi("rom");
    ASSERT_EQ(f->Text5->text(), "ROMA");

    SelezionaTutto(f->Text5);
    prova::Scrivi("m");  // one letter is not longer than "ROM": no completion
    EXPECT_EQ(f->Text5->text(), "M");
    EXPECT_EQ(f->Text8->text(), "");
    EXPECT_EQ(f->Text5->ForeColor(), kColoreNero);
    prova::Scrivi("i");
    EXPECT_EQ(f->Text5->text(), "MIAGLIANO");
    EXPECT_EQ(f->Text8->text(), "F189");

    // A mismatch is still marked, although nothing is completed.
    SelezionaTutto(f->Text5);
    prova::Scrivi("x");
    EXPECT_EQ(f->Text5->text(), "X");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(f->Text5->ForeColor(), kColoreRossoScuro);
    EXPECT_EQ(f->Text6->text(), "?");
    EXPECT_EQ(f->Text8->text(), "?");
}

// Keys that move the caret, select or copy change no text, so they leave the municipality as it
// is: a decoded homonym (CASTRO of Lecce, not the Bergamo one the completion offers) stays.
TEST(Completamento, CaretSelectionAndCopyLeaveTheMunicipality) {
    const QKeyCombination tasti[] = {Qt::Key_End,
                                     Qt::Key_Home,
                                     Qt::Key_Left,
                                     Qt::Key_Right,
                                     Qt::SHIFT | Qt::Key_Left,
                                     Qt::CTRL | Qt::Key_A,
                                     Qt::CTRL | Qt::Key_C};
    for (const QKeyCombination tasto : tasti) {
        SCOPED_TRACE(QKeySequence(tasto).toString().toStdString());
        Form2* f = prova::ApriPrincipale();
        f->Text1->setText("PLMNTN80B14M261U");
        prova::Menu(f, "mnestraii");
        prova::Clicca(f->Text5);
        prova::Premi(tasto.key(), tasto.keyboardModifiers());
        EXPECT_EQ(f->Text5->text() + " " + f->Text6->text() + " " + f->Text8->text(),
                  "CASTRO LE M261");
        prova::Menu(f, "mncalcola");
        EXPECT_EQ(f->Text1->text(), "PLM NTN 80B14 M261 U");
        EXPECT_TRUE(prova::Messaggi().isEmpty());
    }
}

TEST(Completamento, BlanksAndEnter) {
    Form2* f = NelComune();
    prova::Invio();  // the start-up blank counts as empty: the focus stays
    EXPECT_EQ(prova::NomeFuoco(), "Text5");

    prova::Scrivi("rom");
    prova::Invio();  // with text: on to the date, nothing looked up
    EXPECT_EQ(prova::NomeFuoco(), "Text7");
    EXPECT_EQ(f->completamento.digitato, "ROM");

    f->Text5->setFocus();
    SelezionaTutto(f->Text5);
    prova::Scrivi(" ");
    EXPECT_EQ(f->Text5->text(), " ");
    EXPECT_EQ(f->completamento.digitato, "");
    EXPECT_EQ(f->Text6->text() + f->Text8->text(), "");
    prova::Scrivi("r");  // the previous text is empty again, so the first letter completes
    EXPECT_EQ(f->Text5->text(), "RABBI");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

// Clearing forgets the completion too: the first letter typed after it completes.
TEST(Completamento, ClearForgetsTheCompletion) {
    Form2* f = NelComune();
    prova::Scrivi("rom");
    prova::Clicca(f->findChild<QWidget*>("Image5"));
    f->Text5->setFocus();
    prova::Scrivi("t");
    EXPECT_EQ(f->Text5->text(), "TABLA'");
    prova::Scrivi("o");
    EXPECT_EQ(f->Text5->text(), "TOANO");
    EXPECT_EQ(f->Text8->text(), "L184");
}

// A place said the way people say it: every key reaches the field, which turns dark red with a
// tool tip that says why; the message waits for Enter, and comes once for the name.
TEST(Completamento, ANameNotInTheRegisterIsMarkedWhileTypingAndSaidOnEnter) {
    Form2* f = NelComune();
    prova::Sovrapponi("S. Giovanni");  // the blank pressed OK in a message box once
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(f->Text5->text(), "S. GIOVANNI");
    EXPECT_EQ(f->Text5->ForeColor(), kColoreRossoScuro);
    EXPECT_EQ(f->Text5->toolTip(), kComuneNonInElenco);
    EXPECT_EQ(f->Text6->text(), "?");
    EXPECT_EQ(f->Text8->text(), "?");
    prova::Invio();
    EXPECT_EQ(prova::Messaggi(), QStringList{kComuneNonInElenco});
    EXPECT_EQ(prova::NomeFuoco(), "Text5");  // to be mended
    prova::Invio();
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(prova::NomeFuoco(), "Text7");

    // Back to a match: black, and the field's own tool tip again.
    f->Text5->setFocus();
    SelezionaTutto(f->Text5);
    prova::Scrivi("ro");
    EXPECT_EQ(f->Text5->ForeColor(), kColoreNero);
    EXPECT_EQ(f->Text5->toolTip().left(20), "Inserire i primi car");
    prova::Scrivi("xx");
    prova::Premi(Qt::Key_Backspace);
    EXPECT_EQ(f->Text5->text(), "ROX");
    EXPECT_TRUE(prova::Messaggi().isEmpty());

    // Composition refuses it in one message, and the name stays, selected, to be mended.
    f->Text2->setText("ROSSI");
    f->Text3->setText("MARIO");
    f->Text7->setText("01/01/1980");
    prova::Menu(f, "mncalcola");
    EXPECT_EQ(prova::Messaggi(), QStringList{kComuneNonInElenco});
    EXPECT_EQ(f->Text5->selectedText(), "ROX");
    EXPECT_EQ(prova::NomeFuoco(), "Text5");
    EXPECT_EQ(f->Text1->text(), "");
}

// A text that orders after every name is no name either; the beginning of one is no
// municipality, though it is not marked.
TEST(Completamento, ATextAfterEveryNameIsNotInTheRegister) {
    Form2* f = NelComune();
    prova::Scrivi("x");
    ASSERT_EQ(f->Text5->ForeColor(), kColoreRossoScuro);
    QApplication::clipboard()->setText("ZZZZ");
    SelezionaTutto(f->Text5);
    prova::Premi(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f->Text5->text(), "ZZZZ");
    EXPECT_EQ(f->Text5->ForeColor(), kColoreRossoScuro);
    EXPECT_EQ(f->Text6->text() + f->Text8->text(), "??");

    prova::Premi(Qt::Key_Backspace);
    prova::Premi(Qt::Key_Backspace);
    prova::Premi(Qt::Key_Backspace);  // "Z" begins names again, but shorter: nothing completed
    EXPECT_EQ(f->Text5->text(), "Z");
    EXPECT_EQ(f->Text5->ForeColor(), kColoreNero);
    EXPECT_EQ(f->Text6->text() + f->Text8->text(), "");
    prova::Scrivi("z");
    EXPECT_EQ(f->Text5->text(), "ZZ");
    EXPECT_EQ(f->Text6->text() + f->Text8->text(), "??");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST(Completamento, KeysTypedFastGiveWhatTheyGiveTypedSlowly) {
    // Each key down before the last is up, capitals with Shift round them. "\b" is Backspace.
    for (const char* tasti : {"mil", "MIL", "r\b", "MIXZ\b\b\bI", "rom\r"}) {
        QStringList stato[2];
        for (const int veloce : {0, 1}) {
            Form2* f = NelComune();
            veloce ? prova::Sovrapponi(tasti) : prova::Scrivi(tasti);
            stato[veloce] = QStringList{f->Text5->text(), f->Text5->selectedText(),
                                        f->Text6->text(), prova::NomeFuoco()} +
                            prova::Messaggi();
        }
        EXPECT_EQ(stato[1], stato[0]) << tasti;
    }
}

// Down and Up walk the names in order, homonyms included; an accented vowel is typed as the
// register writes it.
TEST(Completamento, ArrowsReachHomonymsAndAccentsAreTypedAsApostrophes) {
    Form2* f = NelComune();
    prova::Scrivi("castro");
    auto mostrato = [&f] {
        return f->Text5->text() + " " + f->Text6->text() + " " + f->Text8->text();
    };
    EXPECT_EQ(mostrato(), "CASTRO BG C337");
    const struct {
        Qt::Key tasto;
        const char* atteso;
    } passi[] = {
        {Qt::Key_Down, "CASTRO LE M261"},
        {Qt::Key_Down, "CASTRO DEI VOLSCI FR C338"},
        {Qt::Key_Up, "CASTRO LE M261"},
        {Qt::Key_Up, "CASTRO BG C337"},
    };
    for (const auto& p : passi) {
        prova::Premi(p.tasto);
        EXPECT_EQ(mostrato(), p.atteso);
    }
    // Back on Lecce's, the date, Enter in the sex box: the code has Lecce's municipality.
    prova::Premi(Qt::Key_Down);
    f->Text2->setText("ROSSI");
    f->Text3->setText("MARIO");
    prova::Invio();
    prova::Scrivi("01/01/1980");
    prova::Invio();
    prova::Invio();
    EXPECT_EQ(f->Text1->text().mid(14, 4), "M261");

    f = NelComune();
    prova::Scrivi("forl");
    QTest::sendKeyEvent(QTest::Click, prova::Fuoco(), Qt::Key_Igrave, QStringLiteral("\u00EC"),
                        Qt::NoModifier);
    prova::Elabora();
    EXPECT_EQ(mostrato(), "FORLI' FC D704");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST(Completamento, WithoutARegisterTheFieldIsPlain) {
    QTemporaryDir vuota;
    Form2* f = NelComune(vuota.path());
    ASSERT_EQ(prova::Messaggi().size(), 1);  // the start-up's own
    prova::Sovrapponi("ro\r");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(f->Text5->text(), "RO");
    EXPECT_EQ(f->completamento.digitato, "");
    EXPECT_EQ(prova::NomeFuoco(), "Text7");
}

// Five persons typed from the keyboard, each code worked out by hand.
//
// Check character: odd positions (1, 3, ... 15) are worth A1 B0 C5 D7 E9 F13 G15 H17 I19 J21 K2
// L4 M18 N20 O11 P3 Q6 R8 S12 T14 U16 V10 W22 X25 Y24 Z23 and 0:1 1:0 2:5 3:7 4:9 5:13 6:15
// 7:17 8:19 9:21; even positions A0 ... Z25 and each digit its own value. The total modulo 26
// picks the letter.
TEST(Sessione, CodesTypedFromTheKeyboard) {
    const struct {
        const char* cognome;
        const char* nome;
        const char* comune;  // the first letters typed
        const char* nomeComune;
        const char* provincia;
        const char* data;
        bool donna;
        const char* codice;
        bool minuscole = false;  // Caps Lock pressed first, and typed in lower case
    } persone[] = {
        // BIANCHI: B N C (first three consonants). ANNA MARIA: N N M R, four consonants, so the
        // 1st, 3rd, 4th: N M R. 05/11/1980, woman: 80 S 45. Naples F839.
        // Odd B0 C5 M18 8:19 S12 5:13 8:19 9:21 = 107; even N13 N13 R17 0:0 4:4 F5 3:3 = 55;
        // 162 = 6*26 + 6: G.
        {"bianchi", "anna maria", "nap", "NAPOLI", "NA", "05/11/1980", true,
         "BNC NMR 80S45 F839 G"},
        // Born abroad. RE: R, then E, then XX: REX. LUCA: L C, then U: LCU. 29/02/1996,
        // man: 96 B 29. Brazil Z602.
        // Odd R8 X25 C5 9:21 B0 9:21 6:15 2:5 = 100; even E4 L11 U20 6:6 2:2 Z25 0:0 = 68;
        // 168 = 6*26 + 12: M.
        {"re", "luca", "bras", "BRASILE", "EE", "29/02/1996", false, "REX LCU 96B29 Z602 M"},
        // Born in Affori, now part of Milan. MAZZA: M Z Z. GIANFRANCO: G N F R N C, more than
        // three, so G F R. 17/03/1920, man: 20 C 17. Affori A063.
        // Odd M18 Z23 F13 2:5 C5 7:17 0:1 3:7 = 89; even Z25 G6 R17 0:0 1:1 A0 6:6 = 55;
        // 144 = 5*26 + 14: O.
        {"mazza", "gianfranco", "affo", "AFFORI", "MI", "17/03/1920", false,
         "MZZ GFR 20C17 A063 O"},
        // FO: F, then O, then XX: FOX. BEATRICE: B T R C, so B R C. 31/12/1999, woman: 99 T 71.
        // Turin L219.
        // Odd F13 X25 R8 9:21 T14 1:0 2:5 9:21 = 107; even O14 B1 C2 9:9 7:7 L11 1:1 = 45;
        // 152 = 5*26 + 22: W.
        {"fo", "beatrice", "tori", "TORINO", "TO", "31/12/1999", true, "FOX BRC 99T71 L219 W"},
        // DE ROSA: the blank is dropped, D R S. MATTIA: exactly three consonants, M T T.
        // 09/06/1966, man: 66 H 09. Reggio nell'Emilia H223, reached through "REGGIO" (Reggio
        // di Calabria) and a blank that completes nothing.
        // Odd D7 S12 T14 6:15 H17 9:21 2:5 3:7 = 98; even R17 M12 T19 6:6 0:0 H7 2:2 = 63;
        // 161 = 6*26 + 5: F.
        {"de rosa", "mattia", "reggio n", "REGGIO NELL'EMILIA", "RE", "09/06/1966", false,
         "DRS MTT 66H09 H223 F"},
        // Apostrophes do not count.
        // D'ALESSIO: D L S. NICOLO': N C L. Odd D7 S12 C5 8:19 A1 1:0 5:13 1:0 = 57; even L11
        // N13 L11 5:5 0:0 H7 0:0 = 47; 104 = 4*26 + 0: A.
        {"d'alessio", "nicolo'", "rom", "ROMA", "RM", "01/01/1985", false, "DLS NCL 85A01 H501 A",
         true},
    };
    // Into a fresh window, whose fields hold their start-up blank: one key at a time, and fast, in
    // capitals, as xdotool types (Sovrapponi); both must give the same.
    for (const auto& p : persone) {
        for (const bool veloce : {false, true}) {
            SCOPED_TRACE(std::string(p.cognome) + (veloce ? ", fast" : ""));
            Form2* f = prova::ApriPrincipale();
            if (p.minuscole) {
                prova::Premi(Qt::Key_CapsLock);
            }
            // A woman's F right after her date of birth, with no Enter between.
            const QString catena = QStringList{p.cognome, p.nome, p.comune, p.data}.join('\r') +
                                   (p.donna ? "f" : "\r");
            const QString scritta = p.minuscole ? catena : catena.toUpper();
            veloce ? prova::Sovrapponi(scritta) : prova::Scrivi(catena);
            EXPECT_EQ((QStringList{f->Text2->text(), f->Text3->text(), f->Text5->text(),
                                   f->Text6->text(), f->Text7->text()}),
                      (QStringList{QString(p.cognome).toUpper(), QString(p.nome).toUpper(),
                                   p.nomeComune, p.provincia, p.data}));
            ASSERT_EQ(prova::NomeFuoco(), "Cbosesso");
            ASSERT_EQ(f->Cbosesso->currentText(), p.donna ? "F" : "M");
            prova::Invio();
            EXPECT_EQ(f->Text1->text(), p.codice);
            EXPECT_TRUE(prova::Messaggi().isEmpty());
        }
    }
}

// Sequences in which the place the fields show and the one composed drifted apart: each now
// composes what the fields show, or refuses. Typed one key at a time from a fresh window.
TEST(Sessione, WhatTheFieldsShowIsWhatIsComposed) {
    const QString kLuogoErrato = "ERRORE : Inserire nuovamente luogo di nascita e provincia";
    const auto gialli = [](Form2* f) {
        prova::Scrivi("gialli\rmarco\r");
        prova::Clicca(f->Text7);
        prova::Scrivi("02/02/1982\r\r");
    };
    const struct {
        const char* caso;
        std::function<void(Form2*)> tasti;  // after ROSSI MARIO of Bari was composed
        QStringList messaggi;
        const char* campi;  // Text5, Text6, Text8, the code
    } casi[] = {
        {"cleared, then no place typed",
         [&](Form2* f) {
             prova::Clicca(f->findChild<QWidget*>("Image5"));
             gialli(f);
         },
         {kLuogoErrato},
         "|||"},
        {"the place erased with Ctrl+A, Backspace",
         [](Form2* f) {
             prova::Clicca(f->Text5);
             prova::Premi(Qt::Key_A, Qt::ControlModifier);
             prova::Premi(Qt::Key_Backspace);
             EXPECT_EQ(f->Text6->text() + f->Text8->text(), "");
             prova::Premi(Qt::Key_F5);
         },
         {kLuogoErrato},
         "|||"},
        {"the beginning of a name, confirmed",
         [](Form2* f) {
             prova::Clicca(f->Text5);
             f->Text5->selectAll();
             prova::Scrivi("san\b\r");  // the completed tail taken back
             EXPECT_EQ(prova::NomeFuoco(), "Text5");
             EXPECT_EQ(f->Text5->selectedText(), "SAN");
             prova::Premi(Qt::Key_F5);
         },
         {kComuneNonInElenco, kComuneNonInElenco},
         "SAN|?|?|"},
        {"MILAN, Backspace",
         [](Form2* f) {
             prova::Clicca(f->Text5);
             f->Text5->selectAll();
             prova::Scrivi("milan\b");
             prova::Premi(Qt::Key_F5);
         },
         {kComuneNonInElenco},
         "MILAN|?|?|"},
        {"a place typed over, then composed by its keys",
         [](Form2* f) {
             prova::Clicca(f->Text5);
             f->Text5->selectAll();
             prova::Scrivi("roma");
             prova::Premi(Qt::Key_F5);
         },
         {},
         "ROMA|RM|H501|RSS MRA 80A01 H501 U"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        Form2* f = prova::ApriPrincipale();
        prova::Scrivi("rossi\rmario\rbari\r01/01/1980\r\r");
        ASSERT_EQ(f->Text1->text(), "RSS MRA 80A01 A662 A");
        c.tasti(f);
        EXPECT_EQ(prova::Messaggi(), c.messaggi);
        EXPECT_EQ(
            (QStringList{f->Text5->text(), f->Text6->text(), f->Text8->text(), f->Text1->text()})
                .join('|'),
            c.campi);
    }
}
