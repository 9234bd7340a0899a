// The window that checks a list: results in a table as they come, a way to stop, and a CSV.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <thread>

#include <sys/stat.h>

#include "fogli/fogli.h"
#include "ui/elenco/form4.h"
#include "ui/info/form1.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui_harness.h"

using nodrel::Form4;

namespace {

void Attendi(Form4* f) {
    QElapsedTimer t;
    t.start();
    while (f->InCorso() && t.elapsed() < 20000) {
        prova::Elabora();
    }
    prova::Elabora();
}

TEST(Elenco, TheWindowChecksAListStopsAndSavesIt) {
    nodrel::Form2* principale = prova::ApriPrincipale();
    prova::Menu(principale, "mnelenco");
    Form4* f = principale->Elenco();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());

    f->VerificaTesto("RSSMRA80A01H501U\nJ\nRSSMRA80A01H50MM\n");
    Attendi(f);
    EXPECT_EQ(f->Label1->text(), "3 codici: 2 corretti, 1 errato");
    ASSERT_EQ(f->Grid1->model()->rowCount(), 3);
    f->Grid1->sortByColumn(2, Qt::AscendingOrder);  // the wrong ones first
    EXPECT_EQ(f->Grid1->model()->index(0, 3).data().toString(), "lunghezza errata");

    // Saved in the order shown, through the save dialog: as CSV with the mark that tells a
    // spreadsheet it is UTF-8, or as a workbook, which reads back as the same rows.
    QTemporaryDir cartella;
    const auto salva = [f](const QString& file) {
        QTimer::singleShot(0, [&file] {
            auto* dialogo = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialogo, nullptr);
            dialogo->selectFile(file);
            QMetaObject::invokeMethod(dialogo, "accept");
        });
        f->Command3->click();
    };
    const QString csv = cartella.filePath("risultati.csv");
    salva(csv);
    QFile salvato(csv);
    ASSERT_TRUE(salvato.open(QIODevice::ReadOnly));
    EXPECT_EQ(salvato.readAll(),
              "\xEF\xBB\xBFriga;codice;esito;motivo\n2;J;ERRATO;lunghezza errata\n"
              "1;RSSMRA80A01H501U;CORRETTO;\n"
              "3;RSSMRA80A01H50MM;CORRETTO;omocodico\n");
    const QString xlsx = cartella.filePath("risultati.xlsx");
    salva(xlsx);
    QStringList righe;
    QString errore;
    nodrel::Cartella letta;
    ASSERT_TRUE(letta.Apri(xlsx, errore)) << errore.toStdString();
    EXPECT_TRUE(letta.Leggi(
        0,
        [&righe](std::uint64_t riga, std::span<const std::string_view> celle) {
            QStringList r{QString::number(riga)};
            for (const std::string_view c : celle) {
                r << QString::fromUtf8(c.data(), static_cast<qsizetype>(c.size()));
            }
            righe << r.join(u'|');
            return true;
        },
        errore));
    EXPECT_EQ(righe, (QStringList{"1|Riga|Codice fiscale|Esito|Motivo",
                                  "2|2|J|ERRATO|lunghezza errata", "3|1|RSSMRA80A01H501U|CORRETTO",
                                  "4|3|RSSMRA80A01H50MM|CORRETTO|omocodico"}));
    QString inizio;  // the next file dialog starts in that folder
    QTimer::singleShot(0, [&inizio] {
        auto* dialogo = static_cast<QFileDialog*>(QApplication::activeModalWidget());
        inizio = dialogo->directory().absolutePath();
        dialogo->reject();
    });
    f->Command1->click();
    EXPECT_EQ(inizio, QDir(cartella.path()).absolutePath());

    // A long list goes on in the background, and stops on request: at once, the rows taken
    // kept, and the next list starts.
    QByteArray lungo;
    for (int i = 0; i < 500000; ++i) {
        lungo += "RSSMRA80A01H501U\n";
    }
    f->VerificaTesto(lungo);
    EXPECT_TRUE(f->InCorso());
    EXPECT_FALSE(f->Command3->isEnabled());
    f->Command4->click();
    EXPECT_FALSE(f->InCorso());
    EXPECT_TRUE(f->Command1->isEnabled());
    Attendi(f);
    EXPECT_TRUE(f->Label1->text().startsWith("Verifica interrotta: "))
        << f->Label1->text().toStdString();
    EXPECT_LT(f->Grid1->model()->rowCount(), 500000);

    // The view is handed a long list's rows as it scrolls to them; the counts are all of them.
    f->VerificaTesto(lungo.left(17 * 150000));
    Attendi(f);
    QAbstractItemModel* m = f->Grid1->model();
    EXPECT_EQ(f->Label1->text().left(16), "150.000 codici: ");
    EXPECT_EQ(m->rowCount(), 100000);
    f->Grid1->scrollToBottom();
    prova::Elabora();
    EXPECT_EQ(m->rowCount(), 150000);
    EXPECT_EQ(m->index(149999, 0).data().toString(), "150000");
    EXPECT_TRUE(prova::Messaggi().isEmpty());

    // The size and the columns the user set are the next window's; never past the screen.
    f->resize(700, 450);
    QWidget* intestazione = f->Grid1->horizontalHeader()->viewport();
    const QPoint bordo(f->Grid1->columnViewportPosition(1) + f->Grid1->columnWidth(1) - 1, 5);
    const int codice = f->Grid1->columnWidth(1) + 40;
    QTest::mousePress(intestazione, Qt::LeftButton, {}, bordo);
    QTest::mouseMove(intestazione, bordo + QPoint(40, 0));
    QTest::mouseRelease(intestazione, Qt::LeftButton, {}, bordo + QPoint(40, 0));
    ASSERT_EQ(f->Grid1->columnWidth(1), codice);
    f->close();
    prova::Elabora();
    prova::Menu(principale, "mnelenco");
    f = principale->Elenco();
    EXPECT_EQ(f->size(), QSize(700, 450));
    EXPECT_EQ(f->Grid1->columnWidth(1), codice);
    f->resize(5000, 5000);
    f->close();
    prova::Elabora();
    prova::Menu(principale, "mnelenco");
    f = principale->Elenco();
    EXPECT_TRUE(f->screen()->availableGeometry().contains(f->geometry()));
}

// A list kept as offices keep it: its columns shown, the wrong rows alone, a person copied into
// the main window, and results not thrown away unasked.
TEST(Elenco, AListOfPeopleShowsItsColumnsAndFillsTheMainWindow) {
    QTemporaryDir cartella;
    const QString file = cartella.filePath("dipendenti.csv");
    QFile scritto(file);
    ASSERT_TRUE(scritto.open(QIODevice::WriteOnly));
    scritto.write(
        "Elenco dipendenti 2024\r\nCognome;Nome;Codice fiscale\r\n"
        "Rossi;Mario;RSSMRA80A01H501U\r\nBianchi;Laura;J\r\nRossi;Mario;RSSMRA80A01H501U\r\n");
    scritto.close();
    nodrel::Form2* principale = prova::ApriPrincipale();
    prova::Menu(principale, "mnelenco");
    Form4* f = principale->Elenco();
    f->VerificaFile(file);
    Attendi(f);
    EXPECT_EQ(f->windowTitle(), "Verifica elenco - dipendenti.csv");
    QAbstractItemModel* m = f->Grid1->model();
    ASSERT_EQ(m->columnCount(), 6);
    EXPECT_EQ(m->headerData(4, Qt::Horizontal).toString(), "Cognome");
    // The outcome reads whole, the list's own columns beside.
    EXPECT_GT(f->Grid1->columnWidth(2), f->fontMetrics().horizontalAdvance("NON CORRISPONDE"));
    ASSERT_EQ(m->rowCount(), 3);
    // Read twice, as a file is: the duplicate is still found.
    EXPECT_EQ(m->index(2, 3).data().toString(), "duplicato della riga 3");
    f->Check1->click();
    ASSERT_EQ(m->rowCount(), 1);
    EXPECT_EQ(m->index(0, 5).data().toString(), "Laura");
    f->Grid1_DblClick(m->index(0, 1));
    EXPECT_EQ(principale->Text2->text(), "BIANCHI");
    EXPECT_EQ(principale->Text3->text(), "LAURA");
    EXPECT_EQ(principale->Text1->text(), "J");
    // Closing asks first, and so does closing the main window, which would take it along;
    // "Annulla" keeps both and the results.
    const auto annulla = [] {
        auto* domanda = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(domanda, nullptr);
        for (QAbstractButton* b : domanda->buttons()) {
            if (b->text() == "Annulla") {
                b->click();
            }
        }
    };
    QTimer::singleShot(0, annulla);
    QTest::keyClick(f, Qt::Key_Escape);
    prova::Elabora();
    EXPECT_TRUE(f->isVisible());
    QTimer::singleShot(0, annulla);
    EXPECT_FALSE(principale->close());
    EXPECT_TRUE(principale->isVisible());
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(m->rowCount(), 1);
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

// A row chosen gives the main window a person that composes to the row's code: where the row
// leaves the sex or the homonym open, its right code tells which.
TEST(Elenco, AChosenRowComposesToItsOwnCode) {
    nodrel::Form2* principale = prova::ApriPrincipale();
    const struct {
        const char* sesso;
        const char* provincia;
        const char* codice;
    } casi[] = {{"", "", "MRN LCU 88B23 M261 U"},
                {"", "", "MRN LCU 88B63 C337 E"},
                {"M", "BG", "MRN LCU 88B23 C337 A"}};
    for (const auto& c : casi) {
        SCOPED_TRACE(c.codice);
        nodrel::PersonaElenco p;
        p.codice = QString::fromLatin1(c.codice).remove(u' ');
        p.persona = true;
        p.cognome = "Marino";
        p.nome = "Luca";
        p.sesso = c.sesso;
        p.data = "23/02/1988";
        p.luogo = "Castro";
        p.provincia = c.provincia;
        principale->ApplicaPersona(p);
        prova::Menu(principale, "mncalcola");
        EXPECT_EQ(principale->Text1->text(), c.codice);
    }
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

// The texts of the rows are read again from the file as it was checked: a row far down, a row
// with a line end in its quotes, a sort by a column of the list, the save; a file replaced
// keeps them, one written over is told and neither shown nor saved.
TEST(Elenco, TheRowsAreReadAgainFromTheFileAsItWasChecked) {
    QTemporaryDir cartella;
    const QString file = cartella.filePath("lungo.csv");
    constexpr int kRighe = 60000;
    auto scrivi = [](const QString& percorso, char nome) {
        QFile f(percorso);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray testo = "Matricola;Reparto;CF\r\n\"Verdi\";\"Anna\r\n\"\"Tina\"\"\";J\r\n";
        for (int i = 1; i < kRighe; ++i) {
            testo += "R" + QByteArray::number(kRighe - i).rightJustified(5, '0') + ';' + nome +
                     ";RSSMRA80A01H501U\r\n";
        }
        f.write(testo);
    };
    scrivi(file, 'M');
    nodrel::Form2* principale = prova::ApriPrincipale();
    prova::Menu(principale, "mnelenco");
    Form4* f = principale->Elenco();
    QAbstractItemModel* m = f->Grid1->model();
    const auto riga = [m](int r) {
        QStringList celle;
        for (int c = 0; c < m->columnCount(); ++c) {
            celle << m->index(r, c).data().toString();
        }
        return celle.join(u'|');
    };
    const auto salva = [f](const QString& percorso) {
        QTimer::singleShot(0, [&percorso] {
            auto* dialogo = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialogo, nullptr);
            dialogo->selectFile(percorso);
            QMetaObject::invokeMethod(dialogo, "accept");
        });
        f->Command3->click();
        QFile salvato(percorso);
        return salvato.open(QIODevice::ReadOnly) ? salvato.readAll() : QByteArray();
    };
    f->VerificaFile(file);
    Attendi(f);
    EXPECT_EQ(riga(0), "2|J|ERRATO|lunghezza errata|Verdi|Anna\r\n\"Tina\"");
    while (m->canFetchMore({})) {
        m->fetchMore({});
    }
    ASSERT_EQ(m->rowCount(), kRighe);
    EXPECT_EQ(riga(kRighe - 1), "60001|RSSMRA80A01H501U|CORRETTO|duplicato della riga 3|R00001|M");
    f->Grid1->sortByColumn(4, Qt::AscendingOrder);
    EXPECT_EQ(riga(0), "60001|RSSMRA80A01H501U|CORRETTO|duplicato della riga 3|R00001|M");
    EXPECT_EQ(riga(kRighe - 1), "2|J|ERRATO|lunghezza errata|Verdi|Anna\r\n\"Tina\"");
    f->Grid1_DblClick(m->index(1, 0));
    EXPECT_EQ(principale->Text1->text(), "RSSMRA80A01H501U");
    f->Grid1->sortByColumn(0, Qt::AscendingOrder);
    const QByteArray atteso = salva(cartella.filePath("risultati.csv"));
    EXPECT_TRUE(atteso.startsWith(
        "\xEF\xBB\xBFriga;codice;esito;motivo;Matricola;Reparto\n"
        "2;J;ERRATO;lunghezza errata;Verdi;\"Anna\xEF\xBF\xBD\xEF\xBF\xBD\"\"Tina\"\"\"\n"
        "3;RSSMRA80A01H501U;CORRETTO;;R59999;M\n"));
    EXPECT_TRUE(prova::Messaggi().isEmpty());

    const struct {
        const char* come;
        bool sopra;  // written over where it is, rather than replaced by another file
    } casi[] = {{"replaced", false}, {"written over", true}};
    for (const auto& c : casi) {
        SCOPED_TRACE(c.come);
        scrivi(file, 'M');
        f->VerificaFile(file);
        Attendi(f);
        if (c.sopra) {
            scrivi(file, 'F');
        } else {
            scrivi(file + ".nuovo", 'F');
            ASSERT_TRUE(QFile::remove(file) && QFile::rename(file + ".nuovo", file));
        }
        while (m->canFetchMore({})) {
            m->fetchMore({});
        }
        EXPECT_EQ(riga(kRighe - 1), c.sopra ? "60001||CORRETTO|duplicato della riga 3||"
                                            : "60001|RSSMRA80A01H501U|CORRETTO|duplicato della "
                                              "riga 3|R00001|M");
        prova::Elabora();
        const QString salvato = cartella.filePath(c.come + QStringLiteral(".csv"));
        EXPECT_EQ(salva(salvato), c.sopra ? QByteArray() : atteso);
        const QStringList messaggi =
            c.sopra ? QStringList{"Impossibile leggere il file lungo.csv: il file è cambiato "
                                  "dopo la verifica",
                                  "Impossibile salvare il file " +
                                      QDir::toNativeSeparators(salvato) +
                                      ": il file dell'elenco è cambiato dopo la verifica"}
                    : QStringList();
        EXPECT_EQ(prova::Messaggi(), messaggi);
    }
    // A pipe chosen as a file cannot be read again: its rows bring their cells.
    const QString tubo = cartella.filePath("tubo.csv");
    ASSERT_EQ(mkfifo(QFile::encodeName(tubo).constData(), 0600), 0);
    std::thread scrittore([&tubo] {
        QFile t(tubo);
        if (t.open(QIODevice::WriteOnly)) {
            t.write("Cognome;CF\nRossi;RSSMRA80A01H501U\nBianchi;J\n");
        }
    });
    f->VerificaFile(tubo);
    Attendi(f);
    scrittore.join();
    ASSERT_EQ(m->rowCount(), 2);
    EXPECT_EQ(riga(1), "3|J|ERRATO|lunghezza errata|Bianchi");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
    f->close();
}

// "nodrel a.csv b.csv": straight to the main window, a list window checking each file.
TEST(Elenco, ListsNamedOnTheCommandLineOpenAWindowEach) {
    QTemporaryDir cartella;
    const QString a = cartella.filePath("a.csv");
    const QString b = cartella.filePath("b.csv");
    for (const auto& [file, testo] :
         {std::pair{a, "RSSMRA80A01H501U\n"}, std::pair{b, "J1\nK\n"}}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(testo);
    }
    prova::Avvia({}, {a, b});
    nodrel::Form2* principale = nodrel::Form2::Istanza();
    ASSERT_NE(principale, nullptr);
    EXPECT_TRUE(principale->isVisible());
    EXPECT_EQ(nodrel::Form1::Istanza(), nullptr);
    const QList<Form4*> elenchi = principale->findChildren<Form4*>();
    ASSERT_EQ(elenchi.size(), 2);
    QStringList riepiloghi;
    for (Form4* f : elenchi) {
        Attendi(f);
        EXPECT_TRUE(f->isVisible());
        riepiloghi << f->Label1->text();
    }
    riepiloghi.sort();
    EXPECT_EQ(riepiloghi, (QStringList{"1 codice: 1 corretto", "2 codici: 2 errati"}));
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

}  // namespace
