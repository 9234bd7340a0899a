// The windows as the user meets them: the start, the information window, the main window's
// layout, and its commands from the menu and from the toolbar.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>
#include <string_view>

#include "ui/aiuto/form5.h"
#include "ui/elenco/form4.h"
#include "ui/info/form1.h"
#include "ui/main/form2.h"
#include "ui/main/recenti.h"
#include "ui/print/form3.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/programma.h"
#include "ui/toolkit/stato.h"
#include "ui/toolkit/twips.h"
#include "ui_harness.h"

using nodrel::Form1;
using nodrel::Form2;
using nodrel::Form3;

namespace {

const QRegularExpression kFasMsg(QStringLiteral("^FasMsg: [0-9]+ \\S"));

QStringList Voci(const QComboBox* box) {
    QStringList voci;
    for (int i = 0; i < box->count(); ++i) {
        voci << box->itemText(i);
    }
    return voci;
}

QStringList FinestreVisibili() {
    QStringList nomi;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) {
            nomi << w->objectName();
        }
    }
    nomi.sort();
    return nomi;
}

// Everything a command can change that the user sees, for comparing two runs.
struct Stato {
    QStringList campi;  // Text1 ... Text8, then the sex box
    QString fuoco;
    QStringList messaggi;
    QStringList finestre;
    bool abilitata = true;

    bool operator==(const Stato&) const = default;
};

void PrintTo(const Stato& s, std::ostream* os) {
    *os << "campi=" << s.campi.join('|').toStdString() << " fuoco=" << s.fuoco.toStdString()
        << " messaggi=" << s.messaggi.join('|').toStdString()
        << " finestre=" << s.finestre.join(',').toStdString() << " abilitata=" << s.abilitata;
}

Stato Fotografa(Form2* f) {
    return {{f->Text1->text(), f->Text2->text(), f->Text3->text(), f->Text5->text(),
             f->Text6->text(), f->Text7->text(), f->Text8->text(), f->Cbosesso->currentText()},
            prova::NomeFuoco(),
            prova::Messaggi(),
            FinestreVisibili(),
            QApplication::activeModalWidget() == nullptr};  // no dialog keeps it waiting
}

// The data of Mario Rossi, born in Rome on 1 January 1980, as the fields hold them once typed.
void Riempi(Form2* f, const QString& codice) {
    f->Text1->setText(codice);
    f->Text2->setText("ROSSI");
    f->Text3->setText("MARIO");
    f->Text5->setText("ROMA");
    f->Text6->setText("RM");
    f->Text7->setText("01/01/1980");
    prova::ScegliComune(f, u"H501");
    f->Text3->setFocus();
    prova::Elabora();
}

void Centrata(QWidget* w) {
    const QRect schermo = w->screen()->geometry();
    const QRect esterno = w->frameGeometry();
    // Halved in twips and truncated: at most a pixel off the middle.
    EXPECT_NEAR(esterno.left() - schermo.left(), (schermo.width() - esterno.width()) / 2.0, 1)
        << w->objectName().toStdString();
    EXPECT_NEAR(esterno.top() - schermo.top(), (schermo.height() - esterno.height()) / 2.0, 1)
        << w->objectName().toStdString();
}

}  // namespace

TEST(Avvio, OnlyTheInformationWindowAtStartAndOkOpensTheMainWindow) {
    prova::Avvia();
    ASSERT_NE(Form1::Istanza(), nullptr);
    EXPECT_EQ(Form2::Istanza(), nullptr);
    EXPECT_EQ(FinestreVisibili(), QStringList{"Form1"});
    EXPECT_EQ(prova::NomeFuoco(), "Command1");
    Centrata(Form1::Istanza());
    // The logo and the icon come rendered at build time: the very pixels Qt draws from them.
    const auto* logo = Form1::Istanza()->findChild<QLabel*>("Image1");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->pixmap().toImage(), nodrel::Disegno(NODREL_ASSETS "/logo.svg").toImage());
    for (const int lato : {16, 32, 64, 128}) {
        EXPECT_EQ(Form1::Istanza()->windowIcon().pixmap(lato).toImage(),
                  nodrel::Disegno(NODREL_ASSETS "/icon.svg", QSize(lato, lato)).toImage())
            << lato;
    }

    Form1::Istanza()->Command1->click();
    prova::Elabora();
    Form2* f = Form2::Istanza();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(FinestreVisibili(), QStringList{"Form2"});
    EXPECT_EQ(prova::NomeFuoco(), "Text2");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    Centrata(f);
    // Qt's own texts, loaded only with the main window, are there when it shows.
    if (QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_it.qm")) {
        std::unique_ptr<QMenu> menu(f->Text5->createStandardContextMenu());
        QStringList voci;
        for (const QAction* a : menu->actions()) {
            voci << a->text().section('\t', 0, 0);
        }
        EXPECT_TRUE(voci.contains("&Incolla")) << voci.join(' ').toStdString();
    }
}

TEST(Avvio, AFreshMainWindowShowsItsLoadTimeContents) {
    Form2* f = prova::ApriPrincipale();
    ASSERT_NE(f, nullptr);
    for (nodrel::TextBox* t : {f->Text1, f->Text2, f->Text3, f->Text5, f->Text6}) {
        EXPECT_EQ(t->text(), " ") << t->objectName().toStdString();
    }
    EXPECT_EQ(f->Text7->text(), "");
    EXPECT_EQ(f->Cbosesso->currentText(), "M");
    EXPECT_EQ(Voci(f->Cbosesso), (QStringList{"M", "F"}));
    EXPECT_FALSE(f->Text8->isVisible());
    EXPECT_EQ(f->Text8->text(), "");
    QWidget* data1 = f->findChild<QWidget*>("Data1");
    ASSERT_NE(data1, nullptr);
    EXPECT_FALSE(data1->isVisible());
    // The start colour is the toolkit's, neither black nor dark red.
    EXPECT_NE(f->Text5->ForeColor(), nodrel::kColoreNero);
    EXPECT_NE(f->Text5->ForeColor(), nodrel::kColoreRossoScuro);
    EXPECT_EQ(f->completamento.digitato, "");
}

TEST(Avvio, AnUnusableRegisterGivesOneMessageAndTheWindowStillOpens) {
    const struct {
        const char* caso;
        bool file;
        QByteArray contenuto;
    } casi[] = {
        {"missing", false, {}},
        {"not a database", true, "questo non e' un archivio dei comuni\n"},
        {"a database without the table", true, {}},  // SQLite reads an empty file as one
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        QTemporaryDir cartella;
        if (caso.file) {
            QFile file(cartella.filePath("Comuni.mdb"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(caso.contenuto);
        }
        Form2* f = prova::ApriPrincipale(cartella.path());
        ASSERT_NE(f, nullptr);
        const QStringList messaggi = prova::Messaggi();
        ASSERT_EQ(messaggi.size(), 1) << messaggi.join('|').toStdString();
        EXPECT_TRUE(kFasMsg.match(messaggi[0]).hasMatch()) << messaggi[0].toStdString();
        // The rest of the start-up still ran.
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(prova::NomeFuoco(), "Text2");
        Centrata(f);
        EXPECT_EQ(f->Cbosesso->currentText(), "M");
        EXPECT_EQ(Voci(f->Cbosesso), (QStringList{"M", "F"}));
    }
}

TEST(Avvio, ClosingTheMainWindowUnderTheInformationWindowThenOkLoadsItAfresh) {
    const std::function<void(Form2*)> chiusure[] = {
        [](Form2* f) { prova::Menu(f, "mnesci"); },
        [](Form2* f) {
            f->close();  // the window's frame
            prova::Elabora();
        },
    };
    for (const auto& chiudi : chiusure) {
        Form2* f = prova::ApriPrincipale();
        ASSERT_NE(f, nullptr);
        // Closed with no other window open, it would end the program.
        EXPECT_TRUE(f->testAttribute(Qt::WA_QuitOnClose));
        f->Text2->setText("ROSSI");
        prova::Menu(f, "mninformazioni");
        chiudi(f);
        EXPECT_EQ(Form2::Istanza(), nullptr);
        EXPECT_EQ(FinestreVisibili(), QStringList{"Form1"});

        Form1::Istanza()->Command1->click();
        prova::Elabora();
        f = Form2::Istanza();
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Text2->text(), " ");
        EXPECT_EQ(Voci(f->Cbosesso), (QStringList{"M", "F"}));
        EXPECT_EQ(f->Cbosesso->currentText(), "M");
        EXPECT_EQ(prova::NomeFuoco(), "Text2");
        EXPECT_EQ(FinestreVisibili(), QStringList{"Form2"});
        EXPECT_TRUE(prova::Messaggi().isEmpty());
    }
}

TEST(Avvio, TheResetUnloadsEveryWindowAndForgetsTheRest) {
    // Every window at once: the list window is the main window's own, the preview disables it.
    Form2* f = prova::ApriPrincipale();
    prova::Menu(f, "mnelenco");
    prova::Menu(f, "mninformazioni");
    prova::Menu(f, "mnstampa");
    ASSERT_EQ(FinestreVisibili(), (QStringList{"Form1", "Form2", "Form3", "Form4"}));
    const QPointer<QWidget> finestre[] = {Form1::Istanza(), f, f->Anteprima(), f->Elenco()};
    nodrel::ImpostaCartellaProgramma(QStringLiteral("/altrove"));

    nodrel::AzzeraInterfaccia();
    prova::Elabora();
    EXPECT_TRUE(FinestreVisibili().isEmpty());
    EXPECT_EQ(Form1::Istanza(), nullptr);
    EXPECT_EQ(Form2::Istanza(), nullptr);
    for (const QPointer<QWidget>& finestra : finestre) {
        EXPECT_TRUE(finestra.isNull());
    }
    EXPECT_EQ(nodrel::CartellaProgramma(), QCoreApplication::applicationDirPath());
}

TEST(Informazioni, ClosedThroughItsFrame) {
    prova::Avvia();
    // At start no window is left, and closing the last window that has this ends the program.
    EXPECT_TRUE(Form1::Istanza()->testAttribute(Qt::WA_QuitOnClose));
    Form1::Istanza()->close();
    prova::Elabora();
    EXPECT_EQ(Form1::Istanza(), nullptr);
    EXPECT_EQ(Form2::Istanza(), nullptr);
    EXPECT_TRUE(FinestreVisibili().isEmpty());

    // Opened from the menu, it just goes.
    Form2* f = prova::ApriPrincipale();
    f->Text2->setText("ROSSI");
    prova::Menu(f, "mninformazioni");
    Form1::Istanza()->close();
    prova::Elabora();
    EXPECT_EQ(Form1::Istanza(), nullptr);
    EXPECT_EQ(Form2::Istanza(), f);
    EXPECT_EQ(FinestreVisibili(), QStringList{"Form2"});
    EXPECT_EQ(f->Text2->text(), "ROSSI");
}

TEST(Informazioni, ASecondRequestShowsTheSameWindowAndOkReturnsToTheSurname) {
    Form2* f = prova::ApriPrincipale();
    f->Text2->setText("ROSSI");
    prova::Menu(f, "mninformazioni");
    Form1* info = Form1::Istanza();
    ASSERT_NE(info, nullptr);
    info->move(info->pos() + QPoint(40, 30));
    const QPoint dove = info->pos();

    prova::Menu(f, "mninformazioni");
    EXPECT_EQ(Form1::Istanza(), info);
    EXPECT_EQ(info->pos(), dove);
    EXPECT_EQ(FinestreVisibili(), (QStringList{"Form1", "Form2"}));

    f->Text7->setFocus();  // the main window stays usable behind it
    prova::Elabora();
    info->Command1->click();
    prova::Elabora();
    EXPECT_EQ(Form1::Istanza(), nullptr);
    EXPECT_EQ(Form2::Istanza(), f);
    EXPECT_EQ(f->Text2->text(), "ROSSI");
    EXPECT_EQ(prova::NomeFuoco(), "Text2");
}

TEST(Informazioni, OkWhileThePreviewIsOpenLeavesTheMainWindowWaiting) {
    Form2* f = prova::ApriPrincipale();
    prova::Menu(f, "mninformazioni");
    prova::Menu(f, "mnstampa");
    Form3* anteprima = f->Anteprima();
    ASSERT_EQ(QApplication::activeModalWidget(), anteprima);
    Form1::Istanza()->Command1->click();
    prova::Elabora();
    EXPECT_EQ(Form1::Istanza(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), anteprima);
    EXPECT_EQ(FinestreVisibili(), (QStringList{"Form2", "Form3"}));
    // The preview is the main window's own: the window manager keeps it above, and it takes back
    // an activation of the main window.
    EXPECT_EQ(anteprima->windowHandle()->transientParent(), f->windowHandle());
    f->activateWindow();
    prova::Elabora();
    EXPECT_EQ(QApplication::activeWindow(), anteprima);
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST(Avvio, EveryMessageBoxIsModalWithTheTitleAndOnlyOk) {
    QTemporaryDir vuota;
    Form2* f = prova::ApriPrincipale(vuota.path());  // a box before the window is shown
    f->Text1->setText("");
    prova::Menu(f, "mnestraii");    // the command's own message
    prova::Menu(f, "mncontrolla");  // the engine's
    f->Text2->setFocus();
    prova::Premi(Qt::Key_Backspace);
    prova::Invio();  // a key handler's
    EXPECT_EQ(prova::Messaggi().size(), 4);
    EXPECT_EQ(prova::MessaggiIrregolari(), QStringList{});
}

TEST(Disposizione, ControlsHaveTheirNamesAndPlaces) {
    Form2* f = prova::ApriPrincipale();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->centralWidget()->size(), QSize(628, 449));
    EXPECT_FALSE(f->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));  // a fixed layout
    // Pixels are twips / 15, rounded: 4452 twips make 297 pixels.
    const struct {
        const char* nome;
        QRect posto;
    } controlli[] = {
        {"Label1", {16, 72, 97, 49}},   {"Text1", {120, 72, 297, 37}},
        {"Text2", {120, 136, 297, 28}}, {"Label5", {16, 240, 97, 41}},
        {"Text5", {120, 248, 297, 28}}, {"Text6", {120, 304, 41, 28}},
        {"Text7", {176, 344, 105, 23}}, {"Cbosesso", {384, 344, 33, 21}},
        {"Text8", {232, 392, 113, 25}}, {"Shape1", {0, 0, 657, 49}},
        {"Image5", {56, 16, 24, 22}},   {"Image4", {168, 16, 24, 23}},
    };
    for (const auto& c : controlli) {
        QWidget* w = f->findChild<QWidget*>(c.nome);
        ASSERT_NE(w, nullptr) << c.nome;
        EXPECT_EQ(w->geometry(), c.posto) << c.nome;
    }

    prova::Menu(f, "mninformazioni");
    Form1* info = Form1::Istanza();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->size(), QSize(631, 451));
    EXPECT_EQ(info->Command1->geometry(), QRect(288, 376, 65, 33));
    EXPECT_EQ(info->findChild<QWidget*>("Label1")->geometry(), QRect(72, 24, 497, 89));
}

TEST(Disposizione, CentredByTheOuterFrameAndKeptOnTheAvailableArea) {
    // 1024 x 768 pixels, the top 32 rows a panel's. (1024 - 633) * 15 = 5865 twips, halved 2932,
    // 195 pixels; (768 - 472) * 15 = 4440, 148.
    const QRect s(0, 0, 1024, 768), a(0, 32, 1024, 736);
    EXPECT_EQ(nodrel::PosizioneCentrata(s, a, {633, 472}), QPoint(195, 148));
    EXPECT_EQ(nodrel::PosizioneCentrata(s, a, {600, 720}), QPoint(212, 32));  // not under the panel
    EXPECT_EQ(nodrel::PosizioneCentrata(s, a, {1200, 900}), QPoint(0, 32));   // too large
    EXPECT_EQ(nodrel::PosizioneCentrata({1024, 0, 800, 600}, {1024, 0, 800, 600}, {600, 400}),
              QPoint(1124, 100));  // a second screen
}

TEST(Disposizione, CaptionsAndToolTipsAreLiteral) {
    Form2* f = prova::ApriPrincipale();
    ASSERT_NE(f, nullptr);
    prova::Menu(f, "mninformazioni");
    // Menu items and labels by their caption, the other controls by their tool tip.
    const struct {
        const char* nome;
        const char* testo;
        const char* tasti = "";  // a menu item's keys
    } testi[] = {
        {"Text1",
         "Inserire il codice fiscale solo si si vuole fare un controllo o si vogliono estrarre i "
         "dati"},
        {"Text2", "Inserire il cognome o i cognomi senza lasciare spazi"},
        {"Text3", "Inserire il nome o i nomi senza lasciare spazi"},
        {"Text5",
         "Inserire i primi caratteri del nome del comune. Confermare con INVIO quando appare il "
         "nome completo"},
        {"Text6", "L'inserimento della provincia avverra' in modo automatico"},
        {"Text7", "Inserire la data nel formato GG/MM/AAAA"},
        {"Image2", "Visualizza l'anteprima di stampa"},
        {"Image5", "Cancella il contenuto dei vari campi"},
        {"Image1", "Ricava luogo di nascita e data di nascita dal codice fiscale"},
        {"Image4", "Calcola il codice fiscale utilizzando i dati inseriti"},
        {"Image3", "Controlla la correttezza del codice fiscale inserito"},
        {"Label1", "CODICE FISCALE"},
        {"Label2", "COGNOME"},
        {"Label3", "NOME"},
        {"Label4", "SESSO"},
        {"Label5", "LUOGO DI NASCITA"},
        {"Label6", "PROVINCIA"},
        {"Label7", "DATA DI NASCITA"},
        {"mnfile", "&File"},
        {"mnimpstampa", "&Imposta Stampante"},
        {"mnstampa", "Anteprima di &Stampa", "Ctrl+P"},
        {"mnesportapdf", "Esporta &PDF..."},
        {"mnesci", "&Esci", "Ctrl+Q"},
        {"mnmodifica", "&Modifica"},
        {"mncancella", "&Cancella contenuto campi", "Ctrl+N"},
        {"mnstrumenti", "&Strumenti"},
        {"mncalcola", "&Calcola Codice Fiscale", "F5"},
        {"mncorrispondenza", "Verifica co&rrispondenza", "F6"},
        {"mncontrolla", "C&ontrolla Codice Fiscale", "F7"},
        {"mnestraii", "&Estrai Dati dal Codice Fiscale", "F8"},
        {"mnelenco", "&Verifica elenco...", "F9"},
        {"mnaggiorna", "&Aggiorna elenco comuni..."},
        {"mninfo", "&?"},
        {"mnguida", "&Guida", "F1"},
        {"mninformazioni", "&Informazioni"},
    };
    for (const auto& t : testi) {
        if (auto* a = f->findChild<QAction*>(t.nome)) {
            EXPECT_EQ(a->text(), t.testo) << t.nome;
            EXPECT_EQ(a->shortcut().toString(), t.tasti) << t.nome;
            continue;
        }
        auto* w = f->findChild<QWidget*>(t.nome);
        ASSERT_NE(w, nullptr) << t.nome;
        auto* l = qobject_cast<QLabel*>(w);
        const bool didascalia = l != nullptr && QString(t.nome).startsWith("Label");
        EXPECT_EQ(didascalia ? l->text() : w->toolTip(), t.testo) << t.nome;
    }
    // Qt's own texts are Italian too, the fields' context menu among them.
    std::unique_ptr<QMenu> menu(f->Text2->createStandardContextMenu());
    EXPECT_TRUE(menu->actions().at(0)->text().startsWith("Ann&ulla"))
        << menu->actions().at(0)->text().toStdString();
    Form1* info = Form1::Istanza();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Command1->text(), "OK");
    EXPECT_EQ(info->findChild<QLabel*>("Label1")->text(), "LORVENTA");
    EXPECT_EQ(info->findChild<QLabel*>("Label3")->text(), "Nodrel Versione 3.0");
    EXPECT_EQ(info->Label4->text(),
              "Elenco dei comuni: ANPR, ottobre 2023, CC BY 4.0 (installato con il programma)");
}

// F1 opens the guide, from the main window at its top and from the list window at the lists,
// with its index beside it and the register in use named in it.
TEST(Guida, F1OpensTheGuideAtTheSectionOfTheWindow) {
    Form2* f = prova::ApriPrincipale();
    prova::Premi(Qt::Key_F1);
    auto* guida = f->findChild<nodrel::Form5*>();
    ASSERT_NE(guida, nullptr);
    EXPECT_TRUE(guida->isVisible());
    QStringList indice;
    for (int i = 0; i < guida->List1->count(); ++i) {
        indice << guida->List1->item(i)->data(Qt::UserRole).toString();
    }
    EXPECT_EQ(indice, (QStringList{"comporre", "verificare", "decodificare", "elenchi", "stampa",
                                   "riga-di-comando", "registro", "messaggi"}));
    EXPECT_TRUE(guida->TextBrowser1->toPlainText().contains(
        "Elenco dei comuni: ANPR, ottobre 2023, CC BY 4.0 (installato con il programma)"));
    EXPECT_EQ(guida->TextBrowser1->verticalScrollBar()->value(), 0);

    prova::Menu(f, "mnelenco");
    f->Elenco()->activateWindow();
    prova::Elabora();
    f->Elenco()->Grid1->setFocus();
    prova::Premi(Qt::Key_F1);
    EXPECT_EQ(f->findChildren<nodrel::Form5*>().size(), 1);
    EXPECT_EQ(guida->List1->currentItem()->data(Qt::UserRole), "elenchi");
    EXPECT_GT(guida->TextBrowser1->verticalScrollBar()->value(), 0);
    EXPECT_EQ(prova::Messaggi(), QStringList());
}

// "Aggiorna elenco comuni...": the lists chosen in the file dialog, a broken one refused with
// its line, a good one in use at once by the municipality field.
TEST(Guida, TheRegisterIsUpdatedThroughTheMenu) {
    QTemporaryDir cartella;
    const QString archivio = cartella.filePath("ANPR_archivio_comuni.csv");
    const QString stati = cartella.filePath("ANPR_tabella_stati_esteri.csv");
    QFile::copy(NODREL_DATI "/ANPR_tabella_stati_esteri.csv", stati);
    // The later tests want the register installed, whatever happens here.
    const struct Rimuovi {
        ~Rimuovi() { QFile::remove(nodrel::FileRegistro(nodrel::CartellaUtente())); }
    } rimuovi;
    Form2* f = prova::ApriPrincipale();
    const struct {
        const char* riga;  // the archive's second line
        QString messaggio;
    } casi[] = {
        {"M99,VALNUOVA,,PD,2025-01-01,9999-12-31",
         "ELENCO DEI COMUNI NON AGGIORNATO\n\n" + archivio +
             ":2: il codice catastale M99 non è una lettera maiuscola seguita da tre cifre\n\n"
             "Nulla è cambiato.\nElenco dei comuni: ANPR, ottobre 2023, CC BY 4.0 (installato "
             "con il programma)"},
        {"M999,VALNUOVA,,PD,2025-01-01,9999-12-31",
         "ELENCO DEI COMUNI AGGIORNATO\n\nElenco dei comuni: ANPR, " +
             nodrel::MeseRilascio(QDateTime::currentDateTimeUtc().date()) +
             ", CC BY 4.0 (aggiornato dall'utente)"},
    };
    for (const auto& c : casi) {
        QFile file(archivio);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("CODCATASTALE,DENOMTRASLITTERATA,ALTRADENOMTRASLITTERATA,"
                              "SIGLAPROVINCIA,DATAISTITUZIONE,DATACESSAZIONE\n") +
                   c.riga + "\n");
        file.close();
        QTimer::singleShot(0, [&] {
            auto* dialogo = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialogo, nullptr);
            dialogo->findChild<QLineEdit*>("fileNameEdit")
                ->setText('"' + stati + "\" \"" + archivio + '"');
            QMetaObject::invokeMethod(dialogo, "accept");
        });
        prova::Menu(f, "mnaggiorna");
        EXPECT_EQ(prova::Messaggi(), QStringList{c.messaggio});
    }
    f->activateWindow();
    f->Text5->setFocus();
    prova::Elabora();
    prova::Scrivi("VALNU");
    EXPECT_EQ(f->Text5->text(), "VALNUOVA");
    EXPECT_EQ(f->Text6->text(), "PD");
}

TEST(Disposizione, TabGoesRoundTheFieldsAndSkipsTheProvince) {
    Form2* f = prova::ApriPrincipale();
    f->Text1->setFocus();
    prova::Elabora();
    QStringList visitati;
    for (int i = 0; i < 6; ++i) {
        prova::Premi(Qt::Key_Tab);
        visitati << prova::NomeFuoco();
    }
    EXPECT_EQ(visitati, (QStringList{"Text2", "Text3", "Text5", "Text7", "Cbosesso", "Text1"}));
    prova::Clicca(f->Text6);
    EXPECT_EQ(prova::NomeFuoco(), "Text6");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST(Comandi, EachPictureGivesExactlyWhatItsMenuItemGives) {
    const struct {
        const char* immagine;
        const char* voce;
        QKeyCombination tasto;
        const char* codice;  // Text1 before the command
        std::function<void(const Stato&)> verifica;
    } comandi[] = {
        {"Image4", "mncalcola", Qt::Key_F5, " ",
         [](const Stato& s) { EXPECT_EQ(s.campi[0], "RSS MRA 80A01 H501 U"); }},
        {"Image3", "mncontrolla", Qt::Key_F7, "RSS MRA 80A01 H501 U",
         [](const Stato& s) { EXPECT_EQ(s.messaggi, QStringList{"CODICE FISCALE CORRETTO"}); }},
        // Anna Maria Bianchi, born in Naples on 5 November 1980 (worked out in the keyboard
        // sessions): decoding rewrites every field but the code.
        {"Image1", "mnestraii", Qt::Key_F8, "BNC NMR 80S45 F839 G",
         [](const Stato& s) {
             EXPECT_EQ(s.campi, (QStringList{"BNC NMR 80S45 F839 G", "BNC", "NMR", "NAPOLI", "NA",
                                             "05/11/1980", "F839", "F"}));
         }},
        {"Image5", "mncancella", Qt::CTRL | Qt::Key_N, "RSS MRA 80A01 H501 U",
         [](const Stato& s) {
             EXPECT_EQ(s.campi, (QStringList{"", "", "", "", "", "", "", "M"}));
             EXPECT_EQ(s.fuoco, "Text2");
         }},
        {"Image2", "mnstampa", Qt::CTRL | Qt::Key_P, "RSS MRA 80A01 H501 U",
         [](const Stato& s) {
             EXPECT_EQ(s.finestre, (QStringList{"Form2", "Form3"}));
             EXPECT_FALSE(s.abilitata);
         }},
    };
    for (const auto& c : comandi) {
        SCOPED_TRACE(c.immagine);
        Form2* f = prova::ApriPrincipale();
        Riempi(f, c.codice);
        prova::Menu(f, c.voce);
        const Stato dalMenu = Fotografa(f);
        c.verifica(dalMenu);

        f = prova::ApriPrincipale();
        Riempi(f, c.codice);
        prova::Clicca(f->findChild<QWidget*>(c.immagine));
        EXPECT_EQ(Fotografa(f), dalMenu);

        // A screen reader finds a button by its name, reads its tool tip and presses it.
        f = prova::ApriPrincipale();
        Riempi(f, c.codice);
        QWidget* immagine = f->findChild<QWidget*>(c.immagine);
        QAccessibleInterface* pulsante = QAccessible::queryAccessibleInterface(immagine);
        ASSERT_NE(pulsante, nullptr);
        EXPECT_EQ(pulsante->role(), QAccessible::Button);
        EXPECT_FALSE(pulsante->text(QAccessible::Name).isEmpty());
        EXPECT_EQ(pulsante->text(QAccessible::Description), immagine->toolTip());
        ASSERT_NE(pulsante->actionInterface(), nullptr);
        pulsante->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        prova::Elabora();
        EXPECT_EQ(Fotografa(f), dalMenu);

        // And the menu item's keys, from a field.
        f = prova::ApriPrincipale();
        Riempi(f, c.codice);
        prova::Premi(c.tasto.key(), c.tasto.keyboardModifiers());
        EXPECT_EQ(Fotografa(f), dalMenu);
    }
}

TEST(Comandi, ComposeCutsTheDateAndARefusalEmptiesTheCodeField) {
    Form2* f = prova::ApriPrincipale();
    Riempi(f, " ");
    f->Text7->setText("01/01/19801");
    prova::Menu(f, "mncalcola");
    EXPECT_EQ(f->Text7->text(), "01/01/1980");
    ASSERT_EQ(f->Text1->text(), "RSS MRA 80A01 H501 U");

    // A name not in the register is said once, and stays, selected, to be mended; an empty one
    // is asked for again. Neither leaves a municipality behind.
    const struct {
        const char *luogo, *messaggio, *segno;
    } luoghi[] = {{"ROMAX", "Comune non in elenco", "?"},
                  {"", "ERRORE : Inserire nuovamente luogo di nascita e provincia", ""}};
    for (const auto& l : luoghi) {
        Riempi(f, "RSS MRA 80A01 H501 U");
        f->Text5->setText(l.luogo);
        prova::Menu(f, "mncalcola");
        EXPECT_EQ(prova::Messaggi(), QStringList{l.messaggio});
        EXPECT_EQ(f->Text5->text(), l.luogo);
        EXPECT_EQ(f->Text5->selectedText(), l.luogo);
        EXPECT_EQ(f->Text6->text() + f->Text8->text(), QString(l.segno) + l.segno);
        EXPECT_EQ(prova::NomeFuoco(), "Text5");
        EXPECT_EQ(f->Text1->text(), "");
    }

    // A date that does not exist is refused the same way, confirmed or not, and says why; one
    // typed as people type it is written as the field writes a date.
    Riempi(f, "RSS MRA 80A01 H501 U");
    f->Text7->setText("29/02/1990");
    prova::Menu(f, "mncalcola");
    EXPECT_EQ(prova::Messaggi(), QStringList{"DEVE ESSERE INSERITA LA DATA DI NASCITA  GG/MM/AAAA\n"
                                             "giorno non valido: febbraio 1990 ha 28 giorni"});
    EXPECT_EQ(prova::NomeFuoco(), "Text7");
    EXPECT_EQ(f->Text7->text(), "29/02/1990");
    EXPECT_EQ(f->Text1->text(), "");
    f->Text7->setText("1.1.80");
    prova::Menu(f, "mncalcola");
    EXPECT_EQ(f->Text7->text(), "01/01/1980");
    EXPECT_EQ(f->Text1->text(), "RSS MRA 80A01 H501 U");
}

TEST(Comandi, VerifyTellsARightCodeFromAWrongOne) {
    const struct {
        const char* codice;
        const char* messaggio;
    } casi[] = {
        {"RSS MRA 80A01 H501 U", "CODICE FISCALE CORRETTO"},
        {"RSSMRA80A01H501U", "CODICE FISCALE CORRETTO"},
        {" RSSMRA80A01H501U", "CODICE FISCALE CORRETTO"},
        {"rssmra80a01h501u", "CODICE FISCALE CORRETTO"},
        {"RSSMRA80A01H501V", "CODICE FISCALE ERRATO\ncarattere di controllo errato (atteso U)"},
        {"RSSMRA80B31H501W", "CODICE FISCALE ERRATO\ngiorno non valido"},
        {"J", "CODICE FISCALE ERRATO\nlunghezza errata"},
        {"", "CODICE FISCALE ERRATO\nlunghezza errata"},
        {"RSSMRA80A01H50MM", "CODICE FISCALE CORRETTO\nomocodico"},
        {"12345678903", "CODICE FISCALE CORRETTO\ncodice numerico"},
        // Z999 names no state: a right code, whose municipality the register lacks.
        {"RSSMRA80A01Z999Y", "CODICE FISCALE CORRETTO\ncomune non in elenco"},
    };
    Form2* f = prova::ApriPrincipale();
    for (const auto& c : casi) {
        f->Text1->setText(c.codice);
        prova::Menu(f, "mncontrolla");
        EXPECT_EQ(prova::Messaggi(), QStringList{c.messaggio}) << c.codice;
        EXPECT_EQ(f->Text1->text(), QString(c.codice).toUpper());
    }
}

TEST(Comandi, DecodeAWrongOrEmptyCodeField) {
    Form2* f = prova::ApriPrincipale();
    prova::Menu(f, "mnestraii");  // the start-up blank is not empty, but no code
    EXPECT_EQ(prova::Messaggi(), QStringList{"ERRORE: INSERIRE NUOVAMENTE CODICE FISCALE"});
    EXPECT_EQ(prova::NomeFuoco(), "Text1");
    EXPECT_EQ(f->Text2->text(), " ");

    // A mistyped code stays, selected: the next key typed replaces it.
    Riempi(f, "RSS MRA 80A01 H501 V");
    prova::Menu(f, "mnestraii");
    EXPECT_EQ(prova::Messaggi(), QStringList{"ERRORE: INSERIRE NUOVAMENTE CODICE FISCALE"});
    EXPECT_EQ(prova::NomeFuoco(), "Text1");
    EXPECT_EQ(f->Text1->selectedText(), "RSS MRA 80A01 H501 V");
    EXPECT_EQ(f->Text2->text(), "ROSSI");

    // An eleven-digit code is right but carries no person.
    Riempi(f, "12345678903");
    prova::Menu(f, "mnestraii");
    EXPECT_EQ(prova::Messaggi(), QStringList{"CODICE NUMERICO: NON CONTIENE DATI ANAGRAFICI"});
    EXPECT_EQ(f->Text1->text(), "12345678903");
    EXPECT_EQ(f->Text2->text(), "ROSSI");

    Riempi(f, "");
    const Stato prima = Fotografa(f);
    prova::Menu(f, "mnestraii");
    EXPECT_EQ(prova::Messaggi(),
              QStringList{"INSERIRE IL CODICE FISCALE  E SELEZIONARE NUOVAMENTE 'ESTRAI DATI'"});
    EXPECT_EQ(prova::NomeFuoco(), "Text1");
    EXPECT_EQ(Fotografa(f).campi, prima.campi);
}

// Decoding writes the code's municipality, or none: never an earlier person's town beside the
// new data. Composing right after gives the code back.
TEST(Comandi, DecodeWritesTheCodesMunicipalityOrNone) {
    Form2* f = prova::ApriPrincipale();
    f->Text5->setFocus();
    prova::Scrivi("x");  // no name begins with X: dark red
    ASSERT_EQ(f->Text5->ForeColor(), nodrel::kColoreRossoScuro);
    const struct {
        const char *codice, *campi;
        QStringList messaggi;
    } casi[] = {
        {"RSS MRA 80A01 H501 U", "RSS|MRA|ROMA|RM|01/01/1980|H501", {}},
        {"RSSMRA80A01Z999Y", "RSS|MRA|||01/01/1980|", {"Comune non in elenco"}},
        // A744 ceased in 2014: the year 20 is 1920.
        {"RSSMRA20A01A744Q", "RSS|MRA|BELLAGIO|CO|01/01/1920|A744", {}},
    };
    for (const auto& c : casi) {
        f->Text1->setText(c.codice);
        prova::Menu(f, "mnestraii");
        EXPECT_EQ((QStringList{f->Text2->text(), f->Text3->text(), f->Text5->text(),
                               f->Text6->text(), f->Text7->text(), f->Text8->text()})
                      .join('|'),
                  c.campi);
        EXPECT_EQ(prova::Messaggi(), c.messaggi);
        EXPECT_EQ(f->Text5->ForeColor(), nodrel::kColoreNero);
    }
    prova::Menu(f, "mncalcola");
    EXPECT_EQ(f->Text1->text(), "RSS MRA 20A01 A744 Q");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

// A code beside another person's data is named as such, group by group, and the card says so
// before it opens.
TEST(Comandi, CorrespondenceOfTheCodeWithTheFields) {
    Form2* f = prova::ApriPrincipale();
    Riempi(f, "RSS MRA 80A01 H501 U");
    f->Text3->setText("LUIGI");
    prova::Menu(f, "mncorrispondenza");
    EXPECT_EQ(prova::Messaggi(),
              QStringList{"IL CODICE NON CORRISPONDE AI DATI\nnome: atteso LGU"});
    EXPECT_EQ(f->Text1->text(), "RSS MRA 80A01 H501 U");
    prova::Menu(f, "mnstampa");
    EXPECT_EQ(prova::Messaggi(), QStringList{"ATTENZIONE: IL CODICE NON CORRISPONDE AI DATI"});
    ASSERT_NE(f->Anteprima(), nullptr);
    f->Anteprima()->close();

    f = prova::ApriPrincipale();
    Riempi(f, "RSSMRA80A01H501U");
    f->Text3->setText("");
    prova::Menu(f, "mncorrispondenza");
    EXPECT_EQ(prova::Messaggi(), QStringList{"DEVE ESSERE INSERITO IL NOME"});
    EXPECT_EQ(prova::NomeFuoco(), "Text3");
}

// The municipality used is the one of the name typed in force on the birth date, in the province
// typed when one of its records has it; one the user chose with Down stands. Text6 then shows its
// province, and a code not in force on the birth date is told once.
TEST(Comandi, ComposeShowsTheMunicipalityOfTheBirthDate) {
    const QString kNonEsisteva = "ATTENZIONE: IL COMUNE NON ESISTEVA ALLA DATA DI NASCITA";
    const struct {
        const char* luogo;   // typed
        const char* frecce;  // then Down (v) and Up (^)
        const char *provincia, *data, *codice, *usata;
        QStringList messaggi;
    } casi[] = {
        {"milano", "", "LE", "01/01/1980", "RSS MRA 80A01 F205 X", "MI", {}},
        {"bellizzi", "", "", "01/01/1930", "RSS MRA 30A01 A753 R", "AV", {}},
        {"castro", "", "LE", "01/01/1970", "RSS MRA 70A01 M261 V", "LE", {kNonEsisteva}},
        {"castro", "v", "", "01/01/1970", "RSS MRA 70A01 M261 V", "LE", {kNonEsisteva}},
        {"castro", "", "", "01/01/1980", "RSS MRA 80A01 C337 D", "BG", {}},
        // The completion offers LA VALLE of BZ, which did not exist from 1928 to 1964.
        {"la valle", "", "", "27/07/1930", "RSS MRA 30L27 E490 H", "BL", {}},
        {"la valle", "v^", "", "27/07/1930", "RSS MRA 30L27 E491 G", "BZ", {kNonEsisteva}},
        {"reggio emilia", "", "", "01/01/1980", "RSS MRA 80A01 H223 V", "RE", {}},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(std::string(c.luogo) + " " + c.data);
        Form2* f = prova::ApriPrincipale();
        Riempi(f, " ");
        f->Text5->setFocus();
        f->Text5->selectAll();
        prova::Scrivi(c.luogo);
        for (const char* freccia = c.frecce; *freccia != '\0'; ++freccia) {
            prova::Premi(*freccia == 'v' ? Qt::Key_Down : Qt::Key_Up);
        }
        if (*c.provincia != '\0') {
            prova::Clicca(f->Text6);
            f->Text6->selectAll();
            prova::Scrivi(c.provincia);
        }
        f->Text7->setText(c.data);
        prova::Menu(f, "mncalcola");
        EXPECT_EQ(f->Text1->text(), c.codice);
        EXPECT_EQ(f->Text6->text(), c.usata);
        EXPECT_EQ(prova::Messaggi(), c.messaggi);
    }
}

// Chooses an item of a field's own context menu, known by its keys.
void DalMenuDelCampo(QLineEdit* campo, QKeySequence::StandardKey tasto) {
    QContextMenuEvent evento(QContextMenuEvent::Mouse, QPoint(5, 5),
                             campo->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(campo, &evento);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    const QString scorciatoia = QKeySequence(tasto).toString(QKeySequence::NativeText);
    for (QAction* a : menu->actions()) {
        if (a->text().endsWith(scorciatoia)) {
            a->trigger();
        }
    }
    menu->close();
    // The window is active again once the menu is gone, as on a desktop.
    campo->activateWindow();
    campo->setFocus();
    prova::Elabora();
}

// Every way of copying the whole code gives its sixteen characters; a part copies as it is. What
// is pasted loses the blanks copied around it, and a place pasted finds its province at once.
TEST(Comandi, CopyTheCodeAndPasteNames) {
    const struct {
        const char* come;
        int inizio, lunghezza;  // the selection
        std::function<void(Form2*)> copia;
        const char* copiato;
    } copie[] = {
        {"menu", 0, 0, [](Form2* f) { prova::Menu(f, "mncopiacodice"); }, "RSSMRA80A01H501U"},
        {"Ctrl+Shift+C", 0, 0,
         [](Form2*) { prova::Premi(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier); },
         "RSSMRA80A01H501U"},
        {"Ctrl+C", 0, 20, [](Form2*) { prova::Premi(Qt::Key_C, Qt::ControlModifier); },
         "RSSMRA80A01H501U"},
        {"context menu", 0, 20, [](Form2* f) { DalMenuDelCampo(f->Text1, QKeySequence::Copy); },
         "RSSMRA80A01H501U"},
        {"part, Ctrl+C", 0, 7, [](Form2*) { prova::Premi(Qt::Key_C, Qt::ControlModifier); },
         "RSS MRA"},
        {"part, context menu", 0, 7,
         [](Form2* f) { DalMenuDelCampo(f->Text1, QKeySequence::Copy); }, "RSS MRA"},
    };
    Form2* f = prova::ApriPrincipale();
    Riempi(f, "RSS MRA 80A01 H501 U");
    for (const auto& c : copie) {
        QGuiApplication::clipboard()->clear();
        f->Text1->setFocus();
        f->Text1->setSelection(c.inizio, c.lunghezza);
        c.copia(f);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.copiato) << c.come;
    }

    for (const bool menu : {false, true}) {
        f = prova::ApriPrincipale();
        for (auto [campo, testo] :
             {std::pair{f->Text2, " rossi\u00A0"}, {f->Text5, "\tForl\u00EC "}}) {
            QGuiApplication::clipboard()->setText(QString::fromUtf8(testo));
            campo->setFocus();
            campo->selectAll();
            if (menu) {
                DalMenuDelCampo(campo, QKeySequence::Paste);
            } else {
                prova::Premi(Qt::Key_V, Qt::ControlModifier);
            }
        }
        EXPECT_EQ(f->Text2->text() + " " + f->Text5->text() + " " + f->Text6->text(),
                  "ROSSI FORLI' FC")
            << menu;
    }
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST(Comandi, ClearEmptiesTheFields) {
    Form2* f = prova::ApriPrincipale();
    Riempi(f, "RSS MRA 80A01 H501 U");
    f->Cbosesso->setCurrentIndex(1);
    f->Text7->setFocus();
    prova::Menu(f, "mncancella");
    for (nodrel::TextBox* t : {f->Text1, f->Text2, f->Text3, f->Text5, f->Text6, f->Text7}) {
        EXPECT_EQ(t->text(), "") << t->objectName().toStdString();
    }
    EXPECT_EQ(f->Cbosesso->currentText(), "M");
    EXPECT_EQ(f->Text8->text(), "");
    EXPECT_FALSE(f->completamento.scelto);
    EXPECT_EQ(prova::NomeFuoco(), "Text2");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

// The people composed and decoded come back from "Recenti" as they were, after a restart too:
// the latest first, a code once, fifty at most, until "Cancella cronologia".
TEST(Comandi, RecentPeopleComeBackAsTheyWere) {
    nodrel::DimenticaPersone();
    Form2* f = prova::ApriPrincipale();
    f->Text1->setText("BNC NMR 80S45 F839 G");
    prova::Menu(f, "mnestraii");
    Riempi(f, " ");
    f->Cbosesso->setCurrentIndex(0);
    prova::Menu(f, "mncalcola");
    f = prova::ApriPrincipale();
    auto* menu = f->findChild<QMenu*>("mnrecenti");
    prova::Premi(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->activeAction()->text(), "&1 ROSSI MARIO - RSS MRA 80A01 H501 U");
    menu->close();
    prova::Menu(f, "mnrecente2");
    EXPECT_EQ(Fotografa(f).campi, (QStringList{"BNC NMR 80S45 F839 G", "BNC", "NMR", "NAPOLI", "NA",
                                               "05/11/1980", "F839", "F"}));
    // The municipality chosen again as it was: the same code, with no question.
    prova::Menu(f, "mnrecente1");
    prova::Menu(f, "mncalcola");
    EXPECT_EQ(f->Text1->text(), "RSS MRA 80A01 H501 U");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    for (int i = 0; i < 60; ++i) {  // the last is the tenth again: it moves, not twice
        nodrel::RicordaPersona({QString::number(i < 59 ? i : 50), {}, {}, {}, {}, {}, {}, {}});
    }
    const QList<nodrel::PersonaRecente> persone = nodrel::PersoneRecenti();
    EXPECT_EQ(persone.size(), 50);
    EXPECT_EQ(QStringList({persone[0].codice, persone[8].codice, persone[9].codice}),
              QStringList({"50", "51", "49"}));
    prova::Menu(f, "mncancellacronologia");
    EXPECT_TRUE(nodrel::PersoneRecenti().isEmpty());
}

TEST(Comandi, AnUnexpectedErrorEndsTheCommandAndTheProgramGoesOn) {
    QTemporaryDir vuota;
    Form2* f = prova::ApriPrincipale(vuota.path());
    ASSERT_EQ(prova::Messaggi().size(), 1);  // the start-up's own

    f->Text1->setText("RSS MRA 80A01 H501 U");
    prova::Menu(f, "mnestraii");
    const QStringList messaggi = prova::Messaggi();
    ASSERT_EQ(messaggi.size(), 1);
    EXPECT_TRUE(kFasMsg.match(messaggi[0]).hasMatch()) << messaggi[0].toStdString();
    EXPECT_EQ(f->Text5->text(), "");
    EXPECT_TRUE(f->isEnabled());

    prova::Clicca(f->findChild<QWidget*>("Image3"));
    EXPECT_EQ(prova::Messaggi(), QStringList{"CODICE FISCALE CORRETTO"});
    // Without a register no municipality can be chosen: composition refuses, and says why.
    prova::Menu(f, "mncalcola");
    EXPECT_EQ(prova::Messaggi(),
              QStringList{"ERRORE : Inserire nuovamente luogo di nascita e provincia"});
}
