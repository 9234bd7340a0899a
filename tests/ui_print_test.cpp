#include <gtest/gtest.h>

#include <optional>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "engine/errore.h"
#include "ui/main/form2.h"
#include "ui/print/form3.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/stampante.h"
#include "ui/toolkit/tastiera.h"
#include "ui_harness.h"

using nodrel::DialogoStampante;
using nodrel::Form2;
using nodrel::Form3;

namespace {

// The printer dialog answered by the test: how often it opened, and what it answers.
struct Dialogo {
    int aperture = 0;
    bool conferma = true;
    std::optional<QString> file;  // when set, a confirm chooses a PDF to that file

    void Installa() {
        DialogoStampante::SostituisciDialogo([this](QPrinter& stampante) {
            ++aperture;
            if (conferma && file) {
                stampante.setOutputFormat(QPrinter::PdfFormat);
                stampante.setOutputFileName(*file);
            }
            return conferma;
        });
    }
};

void Riempi(Form2* f, const QString& codice, const QString& cognome, const QString& nome,
            const QString& sesso, const QString& comune, const QString& provincia,
            const QString& data) {
    f->Text1->setText(codice);
    f->Text2->setText(cognome);
    f->Text3->setText(nome);
    f->Cbosesso->setCurrentText(sesso);
    f->Text5->setText(comune);
    f->Text6->setText(provincia);
    f->Text7->setText(data);
}

QStringList Campi(const Form3* a) {
    return {a->Text1->text(), a->Text2->text(), a->Text3->text(), a->Text4->text(),
            a->Text5->text(), a->Text6->text(), a->Text7->text()};
}

Form3* ApriAnteprima(Form2* f) {
    prova::Menu(f, "mnstampa");
    return Form3::Istanza();
}

// The preview is left open and usable: both buttons shown, the main window still disabled.
void AncoraInAnteprima(Form2* f, Form3* a) {
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Form3::Istanza(), a);
    EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(a->Command1->isVisible());
    EXPECT_TRUE(a->Command2->isVisible());
    EXPECT_FALSE(f->isEnabled());
}

// Counts the fields of a window that take the focus.
class Fuochi : public QObject {
public:
    explicit Fuochi(QWidget* finestra) {
        for (QLineEdit* campo : finestra->findChildren<QLineEdit*>()) {
            campo->installEventFilter(this);
        }
    }
    int presi = 0;

protected:
    bool eventFilter(QObject*, QEvent* evento) override {
        presi += evento->type() == QEvent::FocusIn;
        return false;
    }
};

int Pagine(const QString& pdf) {
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    static const QRegularExpression pagina(QStringLiteral("/Type\\s*/Page(?!s)"));
    return static_cast<int>(QString::fromLatin1(file.readAll()).count(pagina));
}

class Stampa : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cartella.isValid());
        f = prova::ApriPrincipale();
        ASSERT_NE(f, nullptr);
        dialogo.Installa();
    }
    void TearDown() override {
        DialogoStampante::SostituisciDialogo({});
        prova::ChiudiTutto();
    }
    QString Pdf(const char* nome) const { return cartella.filePath(nome); }

    QTemporaryDir cartella;
    Dialogo dialogo;
    Form2* f = nullptr;
};

}  // namespace

TEST_F(Stampa, PreviewOfEmptyFieldsStillShowsTheMarks) {
    Riempi(f, "", "", "", "M", "", "", "");
    Form3* a = ApriAnteprima(f);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->isVisible());
    EXPECT_EQ(a->windowTitle(), "ANTEPRIMA DI STAMPA");
    EXPECT_EQ(Campi(a), (QStringList{"", "", "", "M", "", "", ""}));
    EXPECT_EQ(a->Text8->text(), "FAC-SIMILE");
    EXPECT_EQ(a->findChild<QLabel*>("Label1")->text(), "2000");
    EXPECT_FALSE(f->isEnabled());
    EXPECT_EQ(prova::NomeFuoco(), "Command1");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST_F(Stampa, PreviewCopiesEachFieldExactlyAsShown) {
    // Right after start most fields hold one blank: it is copied, not trimmed.
    Form3* a = ApriAnteprima(f);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Campi(a), (QStringList{" ", " ", " ", "M", " ", " ", ""}));
    a->Command2->click();
    prova::Elabora();

    const QString nomi = "MARIA ANTONIETTA GIUSEPPINA FRANCESCA";  // longer than its field
    prova::ScegliComune(f, u"H501");
    Riempi(f, " rss mra80a01 h501 ", "de Rossi ", nomi, "F", "Roma", "rm", "1/1/80");
    a = ApriAnteprima(f);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Campi(a),
              (QStringList{" rss mra80a01 h501 ", "de Rossi ", nomi, "F", "Roma", "rm", "1/1/80"}));
    EXPECT_EQ(a->Text8->text(), "FAC-SIMILE");
    // Each field shows, and prints, its text from the first character.
    for (QLineEdit* campo : a->findChildren<QLineEdit*>()) {
        EXPECT_EQ(campo->cursorPosition(), 0) << campo->objectName().toStdString();
    }
    a->Command2->click();
    prova::Elabora();

    Riempi(f, "", "ROSSI", "MARIO", "M", "ROMA", "RM", "01/01/1980");
    prova::Menu(f, "mncalcola");
    ASSERT_EQ(f->Text1->text(), "RSS MRA 80A01 H501 U");
    a = ApriAnteprima(f);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Campi(a), (QStringList{"RSS MRA 80A01 H501 U", "ROSSI", "MARIO", "M", "ROMA", "RM",
                                     "01/01/1980"}));
    // What the fields show is what prints.
    for (QLineEdit* campo : a->findChildren<QLineEdit*>()) {
        EXPECT_TRUE(campo->isReadOnly()) << campo->objectName().toStdString();
    }
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST_F(Stampa, ButtonsReadAsDesignedAndStampaComesFirst) {
    Form3* a = ApriAnteprima(f);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Command1->text(), "Stampa");
    EXPECT_EQ(a->Command1->toolTip(), "Invia il codice fiscale alla stampante");
    EXPECT_EQ(a->Command2->text(), "Chiudi");
    EXPECT_EQ(a->Command2->toolTip(), "Abbandona l'anteprima di stampa");
    QStringList giro;
    for (QWidget* w = a->Command1; giro.size() < 10; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) {
            giro << w->objectName();
        }
    }
    EXPECT_EQ(giro, (QStringList{"Command1", "Command2", "Text1", "Text2", "Text3", "Text4",
                                 "Text5", "Text6", "Text7", "Text8"}));
    // The fields lie on the card, the buttons below it.
    const QRect tessera = a->findChild<QLabel*>("Picture")->geometry();
    for (QLineEdit* campo : a->findChildren<QLineEdit*>()) {
        EXPECT_TRUE(tessera.contains(campo->geometry())) << campo->objectName().toStdString();
    }
    EXPECT_GE(a->Command1->y(), tessera.bottom());
}

TEST_F(Stampa, EachPreviewIsAFreshCentredWindowWithCurrentValues) {
    Riempi(f, "AAA", "PRIMO", "UNO", "M", "ROMA", "RM", "01/01/1980");
    QPointer<Form3> prima = ApriAnteprima(f);
    ASSERT_FALSE(prima.isNull());
    const QPoint centro = prima->pos();
    prima->move(0, 0);
    prima->Command2->click();
    prova::Elabora();
    EXPECT_TRUE(prima.isNull());
    EXPECT_TRUE(f->isEnabled());

    Riempi(f, "BBB", "SECONDO", "DUE", "F", "MILANO", "MI", "02/02/1990");
    // The toolbar picture runs the same command as the menu.
    prova::Clicca(f->findChild<QWidget*>("Image2"));
    Form3* seconda = Form3::Istanza();
    ASSERT_NE(seconda, nullptr);
    EXPECT_EQ(Campi(seconda),
              (QStringList{"BBB", "SECONDO", "DUE", "F", "MILANO", "MI", "02/02/1990"}));
    EXPECT_EQ(seconda->pos(), centro);
    EXPECT_FALSE(f->isEnabled());
}

// "Chiudi", Escape and the frame's close button all leave the same way.
TEST_F(Stampa, LeavingThePreviewEnablesTheMainWindowInCapitals) {
    const std::function<void(Form3*)> modi[] = {
        [](Form3* a) { prova::Clicca(a->Command2); },
        // The key's release finds no focus left in the closed window: sent as one click.
        [](Form3*) { QTest::keyClick(prova::Fuoco(), Qt::Key_Escape); },
        [](Form3* a) { a->close(); },
        [](Form3* a) {
            a->Command2->setFocus();
            QTest::keyClick(prova::Fuoco(), Qt::Key_Return);
        },
    };
    for (const auto& esci : modi) {
        nodrel::Maiuscole::Imposta(false);
        QPointer<Form3> a = ApriAnteprima(f);
        ASSERT_FALSE(a.isNull());
        esci(a);
        prova::Elabora();
        EXPECT_TRUE(a.isNull());
        EXPECT_EQ(Form3::Istanza(), nullptr);
        EXPECT_TRUE(f->isEnabled());
        EXPECT_TRUE(nodrel::Maiuscole::Accese());
    }
    EXPECT_EQ(dialogo.aperture, 0);
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST_F(Stampa, CancelInTheDialogOfStampaKeepsThePreview) {
    dialogo.conferma = false;
    nodrel::Maiuscole::Imposta(false);
    Form3* a = ApriAnteprima(f);
    ASSERT_EQ(prova::NomeFuoco(), "Command1");
    QTest::keyClick(prova::Fuoco(), Qt::Key_Return);
    prova::Elabora();
    EXPECT_EQ(dialogo.aperture, 1);
    EXPECT_EQ(prova::Messaggi(), QStringList{"Stampa annullata"});
    AncoraInAnteprima(f, a);
    EXPECT_FALSE(nodrel::Maiuscole::Accese());

    // The user may try again.
    dialogo.conferma = true;
    dialogo.file = Pdf("secondo.pdf");
    prova::Clicca(a->Command1);
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(Form3::Istanza(), nullptr);
    EXPECT_TRUE(QFile::exists(*dialogo.file));
}

TEST_F(Stampa, PrinterSetupEndsSilentlyWhateverTheDialogDoes) {
    dialogo.conferma = false;
    prova::Menu(f, "mnimpstampa");
    EXPECT_EQ(dialogo.aperture, 1);
    DialogoStampante::SostituisciDialogo(
        [](QPrinter&) -> bool { throw NODREL1::Errore(482, u"Errore della stampante"); });
    prova::Menu(f, "mnimpstampa");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_TRUE(f->isEnabled());
    EXPECT_EQ(Form3::Istanza(), nullptr);
}

TEST_F(Stampa, ConfirmedPrintGoesToThePdfAndLeavesThePreview) {
    Riempi(f, "", "ROSSI", "MARIO", "M", "ROMA", "RM", "01/01/1980");
    prova::ScegliComune(f, u"H501");
    prova::Menu(f, "mncalcola");
    dialogo.file = Pdf("tessera.pdf");
    nodrel::Maiuscole::Imposta(false);
    Form3* a = ApriAnteprima(f);
    ASSERT_NE(a, nullptr);
    // A field that took the focus from the hidden buttons would print with its text selected.
    Fuochi fuochi(a);
    prova::Clicca(a->Command1);
    EXPECT_EQ(fuochi.presi, 0);

    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(Form3::Istanza(), nullptr);
    EXPECT_TRUE(f->isEnabled());
    EXPECT_FALSE(nodrel::Maiuscole::Accese());  // printing leaves Caps Lock alone
    ASSERT_EQ(Pagine(*dialogo.file), 1);

    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    QProcess estrai;
    estrai.start(pdftotext, {*dialogo.file, "-"});
    ASSERT_TRUE(estrai.waitForFinished());
    const QString testo = QString::fromUtf8(estrai.readAllStandardOutput());
    EXPECT_TRUE(testo.contains("RSS MRA 80A01 H501 U")) << testo.toStdString();
    EXPECT_TRUE(testo.contains("ROSSI"));
    EXPECT_TRUE(testo.contains("FAC-SIMILE"));
    EXPECT_TRUE(testo.contains("2000"));
    EXPECT_FALSE(testo.contains("Stampa"));
    EXPECT_FALSE(testo.contains("Chiudi"));
}

TEST_F(Stampa, PrinterChosenInSetupIsTheOneTheNextPrintUses) {
    dialogo.file = Pdf("scelta.pdf");
    prova::Menu(f, "mnimpstampa");
    ASSERT_FALSE(QFile::exists(*dialogo.file));

    // "Stampa" now only confirms the printer already chosen.
    const QString scelta = *dialogo.file;
    dialogo.file.reset();
    Form3* a = ApriAnteprima(f);
    prova::Clicca(a->Command1);
    EXPECT_EQ(dialogo.aperture, 2);
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(Pagine(scelta), 1);
}

TEST_F(Stampa, FailureWhilePrintingShowsTheButtonsAgain) {
    Form3* a = ApriAnteprima(f);
    // No file to write, then a file in a directory that does not exist.
    for (const QString& file : {QString(), cartella.filePath("manca/tessera.pdf")}) {
        dialogo.file = file;
        prova::Clicca(a->Command1);
        EXPECT_EQ(prova::Messaggi(), QStringList{"Stampa annullata"});
        AncoraInAnteprima(f, a);
        EXPECT_FALSE(QFile::exists(file));
        EXPECT_EQ(prova::NomeFuoco(), "Command1");
    }

    // A failed print leaves the printer usable for the next try.
    dialogo.file = Pdf("tessera.pdf");
    prova::Clicca(a->Command1);
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(Pagine(*dialogo.file), 1);
    EXPECT_EQ(Form3::Istanza(), nullptr);
    EXPECT_TRUE(f->isEnabled());
}
