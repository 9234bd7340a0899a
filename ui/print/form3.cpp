#include "ui/print/form3.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include "engine/nodrel1.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/stampante.h"
#include "ui/toolkit/tastiera.h"
#include "ui/toolkit/twips.h"

namespace nodrel {

Form3* Form3::Carica(QWidget* principale, DialogoStampante* dialogo) {
    if (Form3* aperta = Istanza()) {
        aperta->Scarica();
    }
    return FinestraUnica::Carica(principale, dialogo);
}

Form3::Form3(QWidget* principale, DialogoStampante* dialogo)
    : principale_(principale), dialogo_(dialogo) {
    setObjectName("Form3");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ANTEPRIMA DI STAMPA"));
    setModal(false);
    setFont(Carattere(Faccia::MsSansSerif, 8.25, true));
    setFixedSize(Px(5160), Px(3855));

    // Created back to front: a later control lies above an earlier one.
    auto* tessera = new QLabel(this);
    tessera->setObjectName("Picture");
    tessera->setPixmap(Disegno(":/nodrel/card.svg"));
    tessera->setGeometry(QRect(QPoint(0, 0), tessera->pixmap().size()));

    auto* Label1 = Etichetta(this, "Label1", "2000", Carattere(Faccia::Arial, 12, true, true),
                             QColor(0, 128, 0), QColor(255, 255, 255));
    Posiziona(Label1, 120, 2880, 855, 375);

    auto pulsante = [this](const char* nome, const char* titolo, const char* suggerimento, int x,
                           int w) {
        auto* p = new QPushButton(titolo, this);
        p->setObjectName(nome);
        p->setToolTip(suggerimento);
        // Enter presses the button that has the focus, as Space does; never the other one.
        p->setAutoDefault(true);
        Posiziona(p, x, 3360, w, 375);
        return p;
    };
    Command1 = pulsante("Command1", "Stampa", "Invia il codice fiscale alla stampante", 720, 1455);
    Command2 = pulsante("Command2", "Chiudi", "Abbandona l'anteprima di stampa", 3000, 1215);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    // What the fields show is what prints, so the user does not edit them here.
    auto campo = [this](const char* nome, int x, int y, int w, int h) {
        auto* t = new QLineEdit(this);
        t->setObjectName(nome);
        t->setReadOnly(true);
        // Without a frame or a background of their own the data read as printed on the card.
        t->setFrame(false);
        QPalette p = t->palette();
        p.setColor(QPalette::Base, Qt::transparent);
        t->setPalette(p);
        Posiziona(t, x, y, w, h);
        // A text longer than its field shows its beginning, as the card must, not its end.
        connect(t, &QLineEdit::textChanged, t, [t] { t->setCursorPosition(0); });
        return t;
    };
    Text1 = campo("Text1", 840, 1440, 3975, 480);
    Text1->setFont(Carattere(Faccia::MsSansSerif, 13.5, true));
    Text2 = campo("Text2", 960, 1920, 3855, 285);
    Text3 = campo("Text3", 960, 2160, 2775, 285);
    Text4 = campo("Text4", 4320, 2160, 495, 285);
    Text5 = campo("Text5", 960, 2400, 3495, 285);
    Text6 = campo("Text6", 960, 2640, 735, 285);
    Text7 = campo("Text7", 3120, 2640, 1335, 285);
    Text8 = campo("Text8", 3720, 2880, 1095, 360);
    Text8->setFont(Carattere(Faccia::MsSansSerif, 8.25, false, true));
    Text8->setText(QStringLiteral("FAC-SIMILE"));

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Text1);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Text5);
    setTabOrder(Text5, Text6);
    setTabOrder(Text6, Text7);
    setTabOrder(Text7, Text8);
    Command1->setFocus();

    // A window of its own, but owned by the main window, which it disables: the window manager
    // keeps it above its owner, whichever of the two the user clicks.
    if (principale != nullptr) {
        winId();
        windowHandle()->setTransientParent(principale->window()->windowHandle());
    }
}

void Form3::Form_Load() {
    CentraFinestra(this);
}

namespace {

// The main window, or its printer dialog; an error once the main window is gone.
template <typename T>
T& DellaPrincipale(const QPointer<T>& oggetto) {
    if (!oggetto) {
        throw NODREL1::Errore(NODREL1::kErrFinestraNonCaricata,
                              u"La finestra principale non è caricata");
    }
    return *oggetto;
}

}  // namespace

void Form3::Command1_Click() {
    try {
        DialogoStampante& dialogo = DellaPrincipale(dialogo_);
        dialogo.CancelError = true;
        dialogo.ShowPrinter();
        // Hiding the focused button would pass the focus on to the code field, which would
        // then print selected; the window itself holds it while the buttons are away.
        setFocus();
        Command1->hide();
        Command2->hide();
        StampaFinestra(this);
        DellaPrincipale(principale_).setEnabled(true);
        Scarica();
    } catch (const std::exception&) {
        MsgBox(this, QStringLiteral("Stampa annullata"));
        // Hidden buttons would leave no way back to the main window.
        Command1->show();
        Command2->show();
        Command1->setFocus();
    }
}

// Leaving by "Chiudi", the frame or Escape gives the main window back, typing in capitals.
void Form3::Command2_Click() {
    close();
}

void Form3::Scarica() {
    scaricando_ = true;
    close();
}

void Form3::closeEvent(QCloseEvent* evento) {
    if (!scaricando_) {
        scaricando_ = true;
        if (principale_) {
            principale_->setEnabled(true);
        }
        Maiuscole::Attiva();
    }
    Scaricata();
    evento->accept();
}

void Form3::reject() {
    close();
}

}  // namespace nodrel
