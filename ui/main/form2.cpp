// The main window: its controls, menu bar and start-up.

#include "ui/main/form2.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>

#include "engine/nodrel1.h"
#include "register/comuni.h"
#include "ui/elenco/form4.h"
#include "ui/main/recenti.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/programma.h"
#include "ui/toolkit/stampante.h"
#include "ui/toolkit/stato.h"
#include "ui/toolkit/tastiera.h"
#include "ui/toolkit/twips.h"

namespace nodrel {

namespace {

const QColor kVerde(0, 192, 0);
const QColor kBianco(255, 255, 255);
const QColor kArgento(192, 192, 192);
const QColor kGrigioChiaro(224, 224, 224);
const QColor kGrigio(128, 128, 128);

QFont FontCampi() {
    return Carattere(Faccia::MsSansSerif, 12, true);
}

}  // namespace

Form2* Form2::Istanza() {
    return qobject_cast<Form2*>(Interfaccia().principale.data());
}

Form2* Form2::Mostra() {
    Form2* finestra = Istanza();
    if (finestra == nullptr) {
        finestra = new Form2;
        Interfaccia().principale = finestra;
        finestra->Form_Load();
    }
    finestra->show();
    // While the preview is open, the window system gives the activation to it instead.
    finestra->raise();
    finestra->activateWindow();
    return finestra;
}

Form2::Form2() {
    setObjectName("Form2");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitoloApplicazione);
    setFont(Carattere(Faccia::MsSansSerif, 8.25, true));
    CreaControlli();
    CreaMenu();
    // The layout is fixed in twips and does not follow a change of size: nothing to maximise. On
    // a screen too small for it (a high scale on a small screen) it scrolls.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    const QSize intera = sizeHint();
    if (DentroLoSchermo(this, intera) != intera) {
        auto* scorrimento = new QScrollArea;
        scorrimento->setObjectName("Scorrimento");
        scorrimento->setFrameShape(QFrame::NoFrame);
        scorrimento->setWidget(takeCentralWidget());
        setCentralWidget(scorrimento);
    }
    setFixedSize(DentroLoSchermo(this, intera));
}

Form2::~Form2() = default;

void Form2::CreaControlli() {
    auto* area = new QWidget(this);
    area->setObjectName("Form2Area");
    area->setFixedSize(Px(9420), Px(6735));
    area->setAutoFillBackground(true);
    QPalette sfondo = area->palette();
    sfondo.setColor(QPalette::Window, kVerde);
    area->setPalette(sfondo);
    setCentralWidget(area);

    // Created back to front: a later control lies above an earlier one.
    auto* Shape1 = Rettangolo(area, "Shape1", kArgento);
    Posiziona(Shape1, 0, 0, 9855, 735);

    const QFont etichette = Carattere(Faccia::MsSansSerif, 12, true);
    auto etichetta = [&](const char* nome, const char* testo, int x, int y, int w, int h) {
        Posiziona(Etichetta(area, nome, testo, etichette, kBianco, kVerde), x, y, w, h);
    };
    etichetta("Label1", "CODICE FISCALE", 240, 1080, 1455, 735);
    etichetta("Label2", "COGNOME", 240, 2040, 1455, 375);
    etichetta("Label3", "NOME", 240, 2880, 2175, 375);
    etichetta("Label4", "SESSO", 4440, 5160, 975, 375);
    etichetta("Label5", "LUOGO DI NASCITA", 240, 3600, 1455, 615);
    etichetta("Label6", "PROVINCIA", 240, 4560, 2175, 375);
    etichetta("Label7", "DATA DI NASCITA", 240, 5160, 2295, 375);

    auto immagine = [&](const char* nome, const char* risorsa, int x, int y, int w, int h,
                        const char* suggerimento, void (Form2::*gestore)()) {
        auto* img = new Immagine(area, nome, risorsa);
        Posiziona(img, x, y, w, h);
        img->setToolTip(suggerimento);
        // Queued: a screen reader that presses the picture gets its answer at once, not when a
        // message box the command opens is closed.
        connect(
            img, &Immagine::clicked, this, [this, gestore] { Comando(gestore); },
            Qt::QueuedConnection);
    };
    immagine("Image2", ":/nodrel/preview.svg", 120, 240, 360, 345,
             "Visualizza l'anteprima di stampa", &Form2::mnstampa_Click);
    Linea(area, "Line1", 0, 120, 9480, 120, kGrigioChiaro);
    immagine("Image4", ":/nodrel/compose.svg", 2520, 240, 360, 345,
             "Calcola il codice fiscale utilizzando i dati inseriti", &Form2::mncalcola_Click);
    immagine("Image5", ":/nodrel/clear.svg", 840, 240, 360, 330,
             "Cancella il contenuto dei vari campi", &Form2::mncancella_Click);
    immagine("Image1", ":/nodrel/decode.svg", 1680, 240, 360, 345,
             "Ricava luogo di nascita e data di nascita dal codice fiscale",
             &Form2::mnestraii_Click);
    immagine("Image3", ":/nodrel/verify.svg", 3240, 240, 360, 345,
             "Controlla la correttezza del codice fiscale inserito", &Form2::mncontrolla_Click);
    Linea(area, "Line2", 3840, 120, 3843, 720, kGrigioChiaro);
    Linea(area, "Line3", 1440, 120, 1443, 720, kGrigioChiaro);
    Linea(area, "Line4", 600, 120, 603, 720, kGrigioChiaro);
    Linea(area, "Line5", 0, 720, 9480, 726, kGrigio);

    CommonDialog1 = new DialogoStampante(this);
    CommonDialog1->setObjectName("CommonDialog1");

    auto campo = [&](const char* nome, int x, int y, int w, int h, const char* suggerimento,
                     const QString& testo) {
        auto* t = new TextBox(area, nome);
        Posiziona(t, x, y, w, h);
        t->setFont(FontCampi());
        t->setToolTip(suggerimento);
        t->setText(testo);
        return t;
    };
    Text1 = campo("Text1", 1800, 1080, 4452, 555,
                  "Inserire il codice fiscale solo si si vuole fare un controllo o si vogliono "
                  "estrarre i dati",
                  " ");
    Text1->setFont(Carattere(Faccia::Arial, 18, true));
    Text2 = campo("Text2", 1800, 2040, 4452, 420,
                  "Inserire il cognome o i cognomi senza lasciare spazi", " ");
    Text3 = campo("Text3", 1800, 2880, 4452, 420, "Inserire il nome o i nomi senza lasciare spazi",
                  " ");
    Text5 = campo("Text5", 1800, 3720, 4452, 420, kSuggerimentoComune, " ");
    Text6 = campo("Text6", 1800, 4560, 612, 420,
                  "L'inserimento della provincia avverra' in modo automatico", " ");
    Text7 = campo("Text7", 2640, 5160, 1575, 345, "Inserire la data nel formato GG/MM/AAAA", "");

    Cbosesso = new QComboBox(area);
    Cbosesso->setObjectName("Cbosesso");
    // Not editable: the box holds M or F and nothing else, so it always agrees with the code.
    Cbosesso->setEditable(false);
    Posiziona(Cbosesso, 5760, 5160, 495, 315);
    // The box is 33 pixels wide: a slim arrow leaves room for the letter.
    Cbosesso->setStyleSheet(QStringLiteral(
        "QComboBox { padding: 0px 0px 0px 2px; } QComboBox::drop-down { width: 12px; }"));

    auto* Data1 = new QWidget(area);
    Data1->setObjectName("Data1");
    Posiziona(Data1, 240, 5880, 1140, 345);
    Data1->hide();

    Text8 = new TextBox(area, "Text8");
    Posiziona(Text8, 3480, 5880, 1695, 375);
    Text8->hide();
    // Hidden, yet a line edit lays out what it shows on every text set: it shows nothing.
    Text8->setEchoMode(QLineEdit::NoEcho);

    // Tab goes Text1, Text2, Text3, Text5, Text7, Cbosesso and back; Text6 takes a click only.
    Text6->setFocusPolicy(Qt::ClickFocus);
    Text8->setFocusPolicy(Qt::NoFocus);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text5);
    setTabOrder(Text5, Text7);
    setTabOrder(Text7, Cbosesso);
    setTabOrder(Cbosesso, Text1);

    // The code, the names, the place and the province are in capitals whatever the keyboard's
    // Caps Lock; the chain's fields also get their key handlers.
    auto maiuscole = [](QWidget* campo) {
        auto* tasti = new GestoreTasti(campo);
        tasti->SempreMaiuscole();
        return tasti;
    };
    connect(maiuscole(Text1), &GestoreTasti::KeyPress, this, &Form2::Text1_KeyPress);
    connect(maiuscole(Text2), &GestoreTasti::KeyPress, this, &Form2::Text2_KeyPress);
    connect(maiuscole(Text3), &GestoreTasti::KeyPress, this, &Form2::Text3_KeyPress);
    auto* comune = maiuscole(Text5);
    connect(comune, &GestoreTasti::KeyPress, this, &Form2::Text5_KeyPress);
    connect(comune, &GestoreTasti::KeyUp, this, &Form2::Text5_KeyUp);
    comune->Trasforma([](const QString& testo) {
        return QString::fromStdU16String(NODREL1::AccentiComeApostrofi(testo.toStdU16String()));
    });
    maiuscole(Text6);
    // What is pasted or dropped comes without the blanks copied around it, a place in the
    // register's spelling; the whole code is copied in its sixteen characters.
    const auto senzaSpazi = [](const QString& testo) {
        return QString::fromStdU16String(NODREL1::SenzaSpaziEsterni(testo.toStdU16String()));
    };
    for (TextBox* t : {Text1, Text2, Text3, Text6, Text7}) {
        t->ImpostaIncolla(senzaSpazi);
    }
    Text5->ImpostaIncolla([](const QString& testo) {
        return QString::fromStdU16String(NODREL1::NomeComune(testo.toStdU16String()));
    });
    Text1->ImpostaCopia([this] { return CodiceDaCopiare(); });
    // Only the user's edits count: the program's own texts are already the municipality's. An
    // edit by a key is looked up as the key ends; one by the mouse (a paste, a drop) right after.
    connect(Text5, &QLineEdit::textEdited, this, [this] {
        completamento.modificato = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (completamento.modificato) {
                    Text5_KeyUp(Qt::Key_unknown);
                }
            },
            Qt::QueuedConnection);
    });
    connect(Text6, &QLineEdit::textEdited, this, [this](const QString& testo) {
        completamento.provinciaIndicata = !testo.trimmed().isEmpty();
        completamento.dellUtente = false;
    });
    connect(new GestoreTasti(Text7), &GestoreTasti::KeyPress, this, &Form2::Text7_KeyPress);
    connect(new GestoreTasti(Cbosesso), &GestoreTasti::KeyPress, this, &Form2::Cbosesso_KeyPress);
    RendiAccessibile();
}

// A screen reader names each field as its label does and each picture as its command, and reads
// the tool tip as the description (Qt's default, so that Text5's "Comune non in elenco" is heard
// too); each label is its field's.
void Form2::RendiAccessibile() {
    const struct {
        const char* controllo;
        const char* etichetta;  // none for the pictures
        const char* nome;
    } voci[] = {
        {"Text1", "Label1", "Codice fiscale"},
        {"Text2", "Label2", "Cognome"},
        {"Text3", "Label3", "Nome"},
        {"Text5", "Label5", "Luogo di nascita"},
        {"Text6", "Label6", "Provincia"},
        {"Text7", "Label7", "Data di nascita"},
        {"Cbosesso", "Label4", "Sesso"},
        {"Image2", nullptr, "Anteprima di stampa"},
        {"Image5", nullptr, "Cancella contenuto campi"},
        {"Image1", nullptr, "Estrai dati dal codice fiscale"},
        {"Image4", nullptr, "Calcola codice fiscale"},
        {"Image3", nullptr, "Controlla codice fiscale"},
    };
    for (const auto& v : voci) {
        auto* controllo = findChild<QWidget*>(v.controllo);
        controllo->setAccessibleName(QString::fromUtf8(v.nome));
        if (v.etichetta != nullptr) {
            findChild<QLabel*>(v.etichetta)->setBuddy(controllo);
        }
    }
    // The sex box has no tool tip of its own.
    Cbosesso->setAccessibleDescription(QStringLiteral("Scegliere M (maschio) o F (femmina)"));
}

void Form2::CreaMenu() {
    auto menu = [this](const char* nome, const char* titolo) {
        QMenu* m = menuBar()->addMenu(titolo);
        m->setObjectName(nome);
        m->menuAction()->setObjectName(nome);
        return m;
    };
    auto voce = [this](QMenu* m, const char* nome, const char* titolo, void (Form2::*gestore)()) {
        QAction* a = m->addAction(titolo);
        a->setObjectName(nome);
        connect(a, &QAction::triggered, this, [this, gestore] { Comando(gestore); });
        return a;
    };
    // Each command has its keys, shown in its menu. The function keys, not Ctrl and a letter,
    // for the tools: the fields take many Ctrl keys for their own editing.
    const auto tasto = [](QAction* a, QKeySequence tasti) { a->setShortcut(tasti); };
    QMenu* mnfile = menu("mnfile", "&File");
    voce(mnfile, "mnimpstampa", "&Imposta Stampante", &Form2::mnimpstampa_Click);
    tasto(voce(mnfile, "mnstampa", "Anteprima di &Stampa", &Form2::mnstampa_Click),
          QKeySequence(Qt::CTRL | Qt::Key_P));
    voce(mnfile, "mnesportapdf", "Esporta &PDF...", &Form2::mnesportapdf_Click);
    tasto(voce(mnfile, "mnesci", "&Esci", &Form2::mnesci_Click),
          QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* mnmodifica = menu("mnmodifica", "&Modifica");
    tasto(voce(mnmodifica, "mncancella", "&Cancella contenuto campi", &Form2::mncancella_Click),
          QKeySequence(Qt::CTRL | Qt::Key_N));
    tasto(voce(mnmodifica, "mncopiacodice", "C&opia codice", &Form2::mncopiacodice_Click),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    QMenu* mnstrumenti = menu("mnstrumenti", "&Strumenti");
    tasto(voce(mnstrumenti, "mncalcola", "&Calcola Codice Fiscale", &Form2::mncalcola_Click),
          QKeySequence(Qt::Key_F5));
    tasto(voce(mnstrumenti, "mncorrispondenza", "Verifica co&rrispondenza",
               &Form2::mncorrispondenza_Click),
          QKeySequence(Qt::Key_F6));
    tasto(voce(mnstrumenti, "mncontrolla", "C&ontrolla Codice Fiscale", &Form2::mncontrolla_Click),
          QKeySequence(Qt::Key_F7));
    tasto(
        voce(mnstrumenti, "mnestraii", "&Estrai Dati dal Codice Fiscale", &Form2::mnestraii_Click),
        QKeySequence(Qt::Key_F8));
    tasto(voce(mnstrumenti, "mnelenco", "&Verifica elenco...", &Form2::mnelenco_Click),
          QKeySequence(Qt::Key_F9));
    voce(mnstrumenti, "mnaggiorna", "&Aggiorna elenco comuni...", &Form2::mnaggiorna_Click);
    new Recenti(this, menu("mnrecenti", "&Recenti"));
    QMenu* mninfo = menu("mninfo", "&?");
    QAction* guida = voce(mninfo, "mnguida", "&Guida", &Form2::mnguida_Click);
    guida->setShortcut(QKeySequence::HelpContents);
    // F1 in the list window too, which opens the guide at the lists.
    guida->setShortcutContext(Qt::ApplicationShortcut);
    voce(mninfo, "mninformazioni", "&Informazioni", &Form2::mninformazioni_Click);
}

void Form2::Form_Load() {
    Cbosesso->addItem("M");
    Cbosesso->addItem("F");
    Cbosesso->setCurrentIndex(0);
    // A register that cannot be opened is reported once; the rest of the start-up still runs,
    // and the program goes on without completion.
    ConTrappola(this,
                [this] { modulo.registro = ApriRegistro(PercorsoRegistro().toStdU16String()); });
    CentraFinestra(this);
    show();
    Text2->setFocus();
}

void Form2::closeEvent(QCloseEvent* evento) {
    // The list windows go with this one: each with results not saved asks first, and its
    // "Annulla" keeps the program open.
    for (Form4* elenco : findChildren<Form4*>()) {
        if (elenco->isVisible() && !elenco->close()) {
            evento->ignore();
            return;
        }
    }
    // Unloaded at once: the next use loads a new window, though Qt deletes this one later.
    if (Interfaccia().principale == this) {
        Interfaccia().principale = nullptr;
    }
    evento->accept();
}

TextBox* Form2::Campo(NODREL1::Campo campo) const {
    switch (campo) {
        case NODREL1::Campo::Text1:
            return Text1;
        case NODREL1::Campo::Text2:
            return Text2;
        case NODREL1::Campo::Text3:
            return Text3;
        case NODREL1::Campo::Text5:
            return Text5;
        case NODREL1::Campo::Text6:
            return Text6;
        case NODREL1::Campo::Text7:
            return Text7;
        case NODREL1::Campo::Text8:
            return Text8;
    }
    return Text1;
}

}  // namespace nodrel
