#include "ui/print/form3.h"

#include <QEvent>
#include <QKeySequence>
#include <QPainter>
#include <QPushButton>

#include "engine/nodrel1.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/stampante.h"
#include "ui/toolkit/tastiera.h"
#include "ui/toolkit/twips.h"

namespace nodrel {

Tessera::Tessera(QWidget* genitore) : QWidget(genitore) {
    setObjectName("Picture");
    setAccessibleName(QStringLiteral("Tessera del codice fiscale"));
    setFixedSize(kLarghezzaTessera, kAltezzaTessera);
}

void Tessera::Riempi(const DatiTessera& dati) {
    dati_ = dati;
    // Drawn, not shown in fields: assistive technology reads the values here.
    setAccessibleDescription(QStringList{dati.codice, dati.cognome, dati.nome, dati.sesso,
                                         dati.comune, dati.provincia, dati.data}
                                 .join(QLatin1Char('\n')));
    update();
}

void Tessera::paintEvent(QPaintEvent*) {
    QPainter pittore(this);
    DisegnaTessera(pittore, rect(), dati_);
}

Form3::Form3(QWidget* principale, DialogoStampante* dialogo)
    : QDialog(principale), dialogo_(dialogo) {
    setObjectName("Form3");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ANTEPRIMA DI STAMPA"));
    // The main window takes no input while the preview is open, and the window manager keeps
    // the preview above it.
    setWindowModality(Qt::WindowModal);
    principale->installEventFilter(this);
    setFont(Carattere(Faccia::MsSansSerif, 8.25, true));
    setFixedSize(Px(5160), Px(3855));

    Picture = new Tessera(this);
    Picture->move(0, 0);

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
    // Ctrl+P prints from anywhere in the preview; Escape leaves it, as in any dialog.
    Command1->setShortcut(QKeySequence::Print);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    setTabOrder(Command1, Command2);
    Command1->setFocus();

    CentraFinestra(this);
}

void Form3::Command1_Click() {
    if (!dialogo_) {
        return;
    }
    if (!dialogo_->ShowPrinter()) {
        MsgBox(this, QStringLiteral("Stampa annullata"));
        return;
    }
    // A failure leaves the preview open, so the user may try again or leave.
    const QString errore = StampaTessera(StampanteCorrente(), Picture->Dati());
    if (!errore.isEmpty()) {
        MsgBox(this, errore);
        return;
    }
    accept();
}

void Form3::Command2_Click() {
    reject();
}

// Qt keeps the input from the main window, but a window manager may still activate it when the
// user clicks it; the preview then takes the activation back, as a waiting window's dialog does.
bool Form3::eventFilter(QObject* oggetto, QEvent* evento) {
    if (oggetto == parentWidget() && evento->type() == QEvent::WindowActivate && isVisible()) {
        activateWindow();
    }
    return QDialog::eventFilter(oggetto, evento);
}

}  // namespace nodrel
