#include <gtest/gtest.h>

#include <optional>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ui/main/form2.h"
#include "ui/print/form3.h"
#include "ui/print/tessera.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/stampante.h"
#include "ui_harness.h"

using nodrel::Form2;
using nodrel::Form3;

namespace {

// The printer dialog answered by the test: how often it opened, and what it answers.
struct Dialogo {
    int aperture = 0;
    bool conferma = true;
    std::optional<QString> file;  // when set, a confirm chooses a PDF to that file

    void Installa(Form2* f) {
        f->CommonDialog1->Sostituisci([this](QPrinter& stampante) {
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
    const nodrel::DatiTessera& d = a->Picture->Dati();
    return {d.codice, d.cognome, d.nome, d.sesso, d.comune, d.provincia, d.data};
}

Form3* ApriAnteprima(Form2* f) {
    prova::Menu(f, "mnstampa");
    return f->Anteprima();
}

// The preview is left open and usable: both buttons shown, the main window still waiting.
void AncoraInAnteprima(Form2* f, Form3* a) {
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(f->Anteprima(), a);
    EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(a->Command1->isVisible());
    EXPECT_TRUE(a->Command2->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), a);
}

QString Poppler(const QString& programma, const QStringList& argomenti) {
    QProcess p;
    p.start(programma, argomenti);
    return p.waitForFinished() ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// The card on paper as poppler reads it: the values and marks as text, no raster image, and ink
// only within the plastic card's 85.6 x 54 mm (no band of the window under it), 10 mm from the
// paper's corner when `margine` says so, else at least that.
void TesseraNitida(const QString& file, const QStringList& valori, bool margine = false) {
    const QString testo = Poppler("pdftotext", {file, "-"});
    for (const QString& v : valori + QStringList{"FAC-SIMILE", "2000"}) {
        EXPECT_TRUE(testo.contains(v)) << v.toStdString() << " in " << testo.toStdString();
    }
    EXPECT_FALSE(testo.contains("Stampa") || testo.contains("Chiudi"));
    EXPECT_EQ(Poppler("pdfimages", {"-list", file}).count('\n'), 2);  // the heading only
    QTemporaryDir cartella;
    Poppler("pdftoppm", {"-r", "254", "-gray", "-singlefile", file, cartella.filePath("p")});
    const QImage pagina(cartella.filePath("p.pgm"));  // ten pixels to the millimetre
    QRect inchiostro;
    for (int i = 0; i < pagina.width() * pagina.height(); ++i) {
        const QPoint p(i % pagina.width(), i / pagina.width());
        inchiostro |= qGray(pagina.pixel(p)) < 250 ? QRect(p, p) : QRect();
    }
    EXPECT_NEAR(inchiostro.width(), 856, 3);
    EXPECT_NEAR(inchiostro.height(), 540, 3);
    EXPECT_NEAR(std::min(inchiostro.left(), inchiostro.top()), margine ? 100 : 200,
                margine ? 2 : 102);
}

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
        dialogo.Installa(f);
    }
    void TearDown() override { prova::ChiudiTutto(); }
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
    EXPECT_EQ(QApplication::activeModalWidget(), a);
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
    // Blanks and all, in the capitals the main window shows.
    EXPECT_EQ(Campi(a),
              (QStringList{" RSS MRA80A01 H501 ", "DE ROSSI ", nomi, "F", "ROMA", "RM", "1/1/80"}));
    a->Command2->click();
    prova::Elabora();

    Riempi(f, "", "ROSSI", "MARIO", "M", "ROMA", "RM", "01/01/1980");
    prova::Menu(f, "mncalcola");
    ASSERT_EQ(f->Text1->text(), "RSS MRA 80A01 H501 U");
    a = ApriAnteprima(f);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Campi(a), (QStringList{"RSS MRA 80A01 H501 U", "ROSSI", "MARIO", "M", "ROMA", "RM",
                                     "01/01/1980"}));
    // Only the second card's code is not its person's: de Rossi's letters are DRS.
    EXPECT_EQ(prova::Messaggi(), QStringList{"ATTENZIONE: IL CODICE NON CORRISPONDE AI DATI"});
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
    EXPECT_EQ(giro.mid(0, 3), (QStringList{"Command1", "Command2", "Command1"}));
    // The buttons lie below the card, so that nothing of them reaches the paper.
    EXPECT_GE(a->Command1->y(), a->Picture->geometry().bottom());
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
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    Riempi(f, "BBB", "SECONDO", "DUE", "F", "MILANO", "MI", "02/02/1990");
    // The toolbar picture runs the same command as the menu.
    prova::Clicca(f->findChild<QWidget*>("Image2"));
    Form3* seconda = f->Anteprima();
    ASSERT_NE(seconda, nullptr);
    EXPECT_EQ(Campi(seconda),
              (QStringList{"BBB", "SECONDO", "DUE", "F", "MILANO", "MI", "02/02/1990"}));
    EXPECT_EQ(seconda->pos(), centro);
    EXPECT_EQ(QApplication::activeModalWidget(), seconda);
}

// "Chiudi", Escape and the frame's close button all leave the same way.
TEST_F(Stampa, LeavingThePreviewEnablesTheMainWindow) {
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
        QPointer<Form3> a = ApriAnteprima(f);
        ASSERT_FALSE(a.isNull());
        esci(a);
        prova::Elabora();
        EXPECT_TRUE(a.isNull());
        EXPECT_EQ(f->Anteprima(), nullptr);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(dialogo.aperture, 0);
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST_F(Stampa, CancelInTheDialogOfStampaKeepsThePreview) {
    dialogo.conferma = false;
    Form3* a = ApriAnteprima(f);
    ASSERT_EQ(prova::NomeFuoco(), "Command1");
    QTest::keyClick(prova::Fuoco(), Qt::Key_Return);
    prova::Elabora();
    EXPECT_EQ(dialogo.aperture, 1);
    EXPECT_EQ(prova::Messaggi(), QStringList{"Stampa annullata"});
    AncoraInAnteprima(f, a);

    // The user may try again, by the keyboard's Ctrl+P.
    dialogo.conferma = true;
    dialogo.file = Pdf("secondo.pdf");
    QTest::keyClick(prova::Fuoco(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return f->Anteprima() == nullptr; }));
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(f->Anteprima(), nullptr);
    EXPECT_TRUE(QFile::exists(*dialogo.file));
}

TEST_F(Stampa, PrinterSetupEndsSilentlyWhateverTheDialogDoes) {
    for (const bool conferma : {false, true}) {
        dialogo.conferma = conferma;
        prova::Menu(f, "mnimpstampa");
    }
    EXPECT_EQ(dialogo.aperture, 2);
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(f->Anteprima(), nullptr);
}

TEST_F(Stampa, ConfirmedPrintGoesToThePdfAndLeavesThePreview) {
    Riempi(f, "", "ROSSI", "MARIO", "M", "ROMA", "RM", "01/01/1980");
    prova::ScegliComune(f, u"H501");
    prova::Menu(f, "mncalcola");
    dialogo.file = Pdf("tessera.pdf");
    // From the keyboard: Ctrl+P in the main window shows the preview, Ctrl+P there prints.
    QTest::keyClick(prova::Fuoco(), Qt::Key_P, Qt::ControlModifier);
    prova::Elabora();
    ASSERT_NE(f->Anteprima(), nullptr);
    QTest::keyClick(prova::Fuoco(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return f->Anteprima() == nullptr; }));

    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_EQ(Pagine(*dialogo.file), 1);
    TesseraNitida(*dialogo.file, {"RSS MRA 80A01 H501 U", "ROSSI", "MARIO", "ROMA", "01/01/1980"});
}

// Saved through the save dialog, to the name it proposes: the code's letters and digits.
TEST_F(Stampa, ExportedPdfIsTheCardAsPrinted) {
    Riempi(f, "", "ROSSI", "MARIO", "M", "ROMA", "RM", "01/01/1980");
    const std::pair<const char*, const char*> nomi[] = {
        {"../../etc/passwd", "ETCPASSWD.pdf"},
        {" ", "tessera.pdf"},
        {"RSS MRA 80A01 H501 U", "RSSMRA80A01H501U.pdf"}};
    for (const auto& [codice, nome] : nomi) {
        f->Text1->setText(codice);
        QString proposto;
        // The dialog comes after the warning of a code that is not the person's.
        QTimer attesa;
        QObject::connect(&attesa, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                attesa.stop();
                proposto = QFileInfo(d->selectedFiles().value(0)).fileName();
                d->selectFile(cartella.filePath(proposto));
                QMetaObject::invokeMethod(d, "accept");
            }
        });
        attesa.start(0);
        prova::Menu(f, "mnesportapdf");
        EXPECT_EQ(proposto, nome);
    }
    EXPECT_EQ(prova::Messaggi(), QStringList{"ATTENZIONE: IL CODICE NON CORRISPONDE AI DATI"});
    EXPECT_EQ(dialogo.aperture, 0);
    const QString file = cartella.filePath("RSSMRA80A01H501U.pdf");
    ASSERT_EQ(Pagine(file), 1);
    TesseraNitida(file, {"RSS MRA 80A01 H501 U", "ROSSI", "MARIO", "ROMA", "01/01/1980"}, true);

    // A file that cannot be written is told, and nothing is left half written.
    const QString manca = cartella.filePath("manca/tessera.pdf");
    EXPECT_EQ(nodrel::EsportaPdf(manca, {}), "Impossibile salvare il file " + manca);
    EXPECT_FALSE(QFile::exists(manca));
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

// A printer that fails is told in its own words, not as a cancel; the preview stays.
TEST_F(Stampa, FailureWhilePrintingKeepsThePreview) {
    Form3* a = ApriAnteprima(f);
    const QString manca = cartella.filePath("manca/tessera.pdf");
    for (const auto& [file, messaggio] :
         {std::pair{QString(), ": nessun file indicato"}, std::pair{manca, ""}}) {
        dialogo.file = file;
        prova::Clicca(a->Command1);
        EXPECT_EQ(prova::Messaggi(),
                  QStringList{QStringLiteral("Impossibile avviare la stampa") + messaggio});
        AncoraInAnteprima(f, a);
        EXPECT_FALSE(QFile::exists(file));
        EXPECT_EQ(prova::NomeFuoco(), "Command1");
    }

    // A failed print leaves the printer usable for the next try.
    dialogo.file = Pdf("tessera.pdf");
    prova::Clicca(a->Command1);
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    EXPECT_EQ(Pagine(*dialogo.file), 1);
    EXPECT_EQ(f->Anteprima(), nullptr);
}
