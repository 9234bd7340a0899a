#include "ui/info/form1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "ui/toolkit/aspetto.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/programma.h"
#include "ui/toolkit/stato.h"
#include "ui/toolkit/twips.h"

namespace nodrel {

namespace {

const QColor kAzzurro(128, 128, 255);

const char kInformazioni[] =
    "Nodrel è stato scritto da Lorventa, che ne detiene tutti i diritti. Il programma è "
    "gratuito: chiunque può usarlo e darne copia ad altri, purché senza modifiche. Lorventa "
    "non risponde di danni o perdite dovuti a malfunzionamenti o a errori del programma, né "
    "dell'uso che se ne fa: il codice fiscale ufficiale è solo quello rilasciato dall'Agenzia "
    "delle Entrate. Segnalazioni di errori e suggerimenti sono graditi all'indirizzo "
    "segnalazioni@lorventa.it.";

}  // namespace

Form1* Form1::Istanza() {
    return qobject_cast<Form1*>(Interfaccia().informazioni.data());
}

Form1* Form1::Mostra() {
    Form1* finestra = Istanza();
    if (finestra == nullptr) {
        finestra = new Form1;
        Interfaccia().informazioni = finestra;
        finestra->Form_Load();
    }
    // The register may have been updated since the window was loaded.
    finestra->Label4->setText(DescrizioneRegistro(RegistroScelto()));
    finestra->show();
    finestra->raise();
    finestra->activateWindow();
    return finestra;
}

Form1::Form1() {
    setObjectName("Form1");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitoloApplicazione);
    // Its icon is the application's, read once for every window (PreparaApplicazione).
    setModal(false);
    setFont(Carattere(Faccia::MsSansSerif, 8.25, true));
    setAutoFillBackground(true);
    QPalette sfondo = palette();
    sfondo.setColor(QPalette::Window, kAzzurro);
    setPalette(sfondo);
    setFixedSize(Px(9465), Px(6765));

    // Created back to front: a later control lies above an earlier one.
    const QColor testo = palette().color(QPalette::WindowText);
    auto* Label1 = Etichetta(this, "Label1", "LORVENTA",
                             Carattere(Faccia::TimesNewRoman, 57.75, true), testo, kAzzurro);
    Posiziona(Label1, 1080, 360, 7452, 1332);

    auto* Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(DisegnoPronto(":/nodrel/logo.png"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setAccessibleName(QStringLiteral("Logo di Lorventa"));
    Posiziona(Image1, 1680, 1560, 6000, 3675);

    auto* Label2 = Etichetta(this, "Label2", kInformazioni, font(), testo, kAzzurro);
    Posiziona(Label2, 1920, 3600, 5535, 1455);

    auto* Label3 = Etichetta(this, "Label3", "Nodrel Versione 3.0",
                             Carattere(Faccia::TempusSans, 14.25, true), testo, QColor());
    Posiziona(Label3, 720, 5640, 2895, 495);

    // The data's source, release and licence, and which register is in use: the one installed
    // or the user's own.
    Label4 = Etichetta(this, "Label4", QString(), font(), testo, QColor());
    Posiziona(Label4, 720, 6240, 8025, 375);

    Command1 = new QPushButton("OK", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Posiziona(Command1, 4320, 5640, 975, 495);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    Command1->setFocus();
}

void Form1::Form_Load() {
    CentraFinestra(this);
}

void Form1::Command1_Click() {
    emit PrincipaleRichiesta();
    close();
}

void Form1::closeEvent(QCloseEvent* evento) {
    // Unloaded at once: the next use loads a new window, though Qt deletes this one later.
    if (Interfaccia().informazioni == this) {
        Interfaccia().informazioni = nullptr;
    }
    evento->accept();
}

// Escape closes the window like its frame does, rather than merely hiding it.
void Form1::reject() {
    close();
}

}  // namespace nodrel
