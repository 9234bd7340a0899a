#include "ui_harness.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "engine/nodrel1.h"
#include "ui/info/form1.h"
#include "ui/info/start.h"
#include "ui/main/form2.h"
#include "ui/toolkit/programma.h"
#include "ui/toolkit/stato.h"

namespace prova {

namespace {

QStringList messaggi;
QStringList irregolari;

// Every message box of the program is modal, titled "Nodrel", with no icon and an OK button only.
void Esamina(const QMessageBox& box) {
    QStringList difetti;
    if (box.windowTitle() != QLatin1String("Nodrel")) {
        difetti << "title " + box.windowTitle();
    }
    if (box.icon() != QMessageBox::NoIcon) {
        difetti << "an icon";
    }
    if (box.buttons().size() != 1 || box.standardButtons() != QMessageBox::Ok) {
        difetti << "buttons other than OK";
    }
    if (!box.isModal()) {
        difetti << "not modal";
    }
    if (!difetti.isEmpty()) {
        irregolari << box.text() + ": " + difetti.join(", ");
    }
}

// Answers each message box as soon as it is shown, through the active modal widget.
class Risponditore : public QObject {
public:
    bool eventFilter(QObject* oggetto, QEvent* evento) override {
        if (evento->type() == QEvent::Show && qobject_cast<QMessageBox*>(oggetto) != nullptr) {
            // A desktop's window manager gives the activation back to the window the box came
            // from once it closes; the offscreen platform leaves no window active, so keys
            // would reach no field. This does the window manager's part.
            QPointer<QWidget> attiva = QApplication::activeWindow();
            QTimer::singleShot(0, [attiva] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr) {
                    return;
                }
                if (box->button(QMessageBox::Ok) == nullptr) {
                    // A question a test left unanswered (results not saved on closing): what
                    // would lose nothing of the test's own, the answer that discards.
                    for (QAbstractButton* b : box->buttons()) {
                        if (box->buttonRole(b) == QMessageBox::DestructiveRole) {
                            b->click();
                            return;
                        }
                    }
                    box->reject();
                    return;
                }
                messaggi << box->text();
                Esamina(*box);
                box->button(QMessageBox::Ok)->click();
                if (attiva && attiva->isVisible()) {
                    attiva->activateWindow();
                }
            });
        }
        return false;
    }
};

void InstallaRisponditore() {
    static Risponditore* risponditore = nullptr;
    if (risponditore == nullptr) {
        risponditore = new Risponditore;
        qApp->installEventFilter(risponditore);
    }
}

}  // namespace

void Elabora() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
}

void ChiudiTutto() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isWindow() && w->isVisible()) {
            w->setEnabled(true);
            w->close();
        }
    }
    Elabora();
}

void Avvia(const QString& cartella, const QStringList& elenchi) {
    InstallaRisponditore();
    ChiudiTutto();
    nodrel::AzzeraInterfaccia();
    nodrel::ImpostaCartellaProgramma(cartella.isEmpty() ? QCoreApplication::applicationDirPath()
                                                        : cartella);
    messaggi.clear();
    irregolari.clear();
    nodrel::startProgram(elenchi);
    Elabora();
}

nodrel::Form2* ApriPrincipale(const QString& cartella) {
    Avvia(cartella);
    nodrel::Form1::Istanza()->Command1->click();
    Elabora();
    return nodrel::Form2::Istanza();
}

QWidget* Fuoco() {
    return QApplication::focusWidget();
}

QString NomeFuoco() {
    QWidget* w = Fuoco();
    return w ? w->objectName() : QString();
}

void Premi(Qt::Key tasto, Qt::KeyboardModifiers modificatori) {
    QTest::keyPress(Fuoco(), tasto, modificatori);
    Elabora();
    QTest::keyRelease(Fuoco(), tasto, modificatori);
    Elabora();
}

void Scrivi(const QString& testo) {
    for (QChar c : testo) {
        const char ascii = c.toLatin1();
        QTest::keyPress(Fuoco(), ascii);
        Elabora();
        QTest::keyRelease(Fuoco(), ascii);
        Elabora();
    }
}

void Sovrapponi(const QString& testo) {
    QChar giu;  // the key still held down
    for (QChar c : testo + QChar()) {
        for (const auto& [azione, tasto] : {std::pair{QTest::Press, c}, {QTest::Release, giu}}) {
            if (!tasto.isNull()) {
                QTest::sendKeyEvent(azione, Fuoco(), QTest::asciiToKey(tasto.toLatin1()),
                                    tasto.toLatin1(),
                                    tasto.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
                Elabora();
            }
        }
        giu = c;
    }
}

void Invio() {
    Premi(Qt::Key_Return);
}

QStringList Messaggi() {
    Elabora();
    QStringList visti = messaggi;
    messaggi.clear();
    return visti;
}

QStringList MessaggiIrregolari() {
    Elabora();
    QStringList visti = irregolari;
    irregolari.clear();
    return visti;
}

void Clicca(QWidget* controllo) {
    QTest::mouseClick(controllo, Qt::LeftButton, Qt::NoModifier, controllo->rect().center());
    Elabora();
}

void Menu(nodrel::Form2* finestra, const char* voce) {
    finestra->findChild<QAction*>(voce)->trigger();
    Elabora();
}

void ScegliComune(nodrel::Form2* finestra, const char16_t* codice) {
    finestra->MostraComune(*finestra->modulo.registro->PerCodice(codice), true);
}

}  // namespace prova
