// Thousands of random keys and commands from a fixed seed, on the windows as the user has them:
// no crash, no hang, no window left waiting for an answer, and the rules the windows keep still
// hold after every step. NODREL_SOAK_PASSI sets the steps of the run over the real register (the
// run without one takes a quarter); a slow build, such as a sanitized one, may take fewer.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QKeySequence>
#include <QMap>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/nodrel1.h"
#include "ui/info/form1.h"
#include "ui/main/form2.h"
#include "ui/print/form3.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/stampante.h"
#include "ui_harness.h"

// Lets a sanitizer's report say where the run was; absent from other builds.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

using nodrel::Form1;
using nodrel::Form2;
using nodrel::Form3;

namespace {

constexpr std::uint32_t kSeme = 20250607;
constexpr int kSecondiPerPasso = 20;

const QRegularExpression kFasMsg(QStringLiteral("^FasMsg: [0-9]+ \\S"));

// What the user may paste: mostly what the field asks for, else anything.
const std::map<std::string, std::vector<const char*>> kAppunti = {
    {"Text1", {"RSS MRA 80A01 H501 U", "BNCNMR80S45F839G", "RSSMRA80A01H501V", "MZZGFR20C17A063O"}},
    {"Text5", {"ROMA", "reggio nell'emilia", "bras", "ZZZZ", "X"}},
    {"Text7", {"01/01/1980", "29/02/1996", "5/11/1980", "31/02/1985", "01/13/1980"}},
    {"", {"ROSSI", "H501", "?", "àèéìòù", "", " ", "X X X X X X X X X X X"}},
};

struct Tasto {
    Qt::Key tasto;
    const char* testo;  // as a keyboard gives it
};

const Tasto kAltriTasti[] = {
    {Qt::Key_Return, "\r"},    {Qt::Key_Return, "\r"},    {Qt::Key_Enter, "\r"},
    {Qt::Key_Backspace, "\b"}, {Qt::Key_Backspace, "\b"}, {Qt::Key_Tab, "\t"},
    {Qt::Key_Backtab, ""},     {Qt::Key_Left, ""},        {Qt::Key_Right, ""},
    {Qt::Key_Up, ""},          {Qt::Key_Down, ""},        {Qt::Key_End, ""},
    {Qt::Key_Home, ""},        {Qt::Key_Delete, "\x7f"},  {Qt::Key_Escape, "\x1b"},
    {Qt::Key_CapsLock, ""},    {Qt::Key_Space, " "},      {Qt::Key_Slash, "/"},
    {Qt::Key_Apostrophe, "'"}, {Qt::Key_Agrave, "à"},     {Qt::Key_Egrave, "è"},
    {Qt::Key_Eacute, "é"},     {Qt::Key_Igrave, "ì"},     {Qt::Key_Ograve, "ò"},
    {Qt::Key_Ugrave, "ù"},
};

// The step under way, kept ready for the watchdog and for a crash to print.
char dove[512] = "soak: not started\n";
std::atomic<std::int64_t> inizioPasso{0};  // nanoseconds of the steady clock; 0 between steps

std::int64_t Adesso() {
    return std::chrono::steady_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
}

void Racconta() {
    const ssize_t scritti = write(STDERR_FILENO, dove, std::strlen(dove));
    (void)scritti;
}

const int kSegnali[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Ends the run when a step takes too long, since a step that hangs never comes back to fail; and
// has a crash say where the run was, after a sanitizer's own report or before the default action.
class Guardia {
public:
    Guardia() {
        if (__sanitizer_set_death_callback != nullptr) {
            __sanitizer_set_death_callback(Racconta);
        } else {
            struct sigaction a = {};
            a.sa_handler = [](int) { Racconta(); };  // the fault then meets the default action
            a.sa_flags = SA_RESETHAND;
            sigemptyset(&a.sa_mask);
            for (int segnale : kSegnali) {
                sigaction(segnale, &a, nullptr);
            }
        }
        filo_ = std::jthread([](std::stop_token fermo) {
            while (!fermo.stop_requested()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                const std::int64_t inizio = inizioPasso;
                if (inizio != 0 && Adesso() - inizio > kSecondiPerPasso * 1'000'000'000LL) {
                    Racconta();
                    std::fprintf(stderr, "soak: that step took over %d s\n", kSecondiPerPasso);
                    std::_Exit(EXIT_FAILURE);
                }
            }
        });
    }
    ~Guardia() {
        filo_.request_stop();
        filo_.join();
        inizioPasso = 0;
        if (__sanitizer_set_death_callback != nullptr) {
            __sanitizer_set_death_callback(nullptr);
        } else {
            for (int segnale : kSegnali) {
                signal(segnale, SIG_DFL);
            }
        }
    }

private:
    std::jthread filo_;
};

bool Visibile(QWidget* w) {
    return w != nullptr && w->isVisible();
}

// A control by its own name, or by its nearest named parent's (the sex box's line edit).
std::string Nome(const QWidget* w) {
    while (w->objectName().isEmpty() && w->parentWidget() != nullptr) {
        w = w->parentWidget();
    }
    return w->objectName().toStdString();
}

// Where a key goes: the focus, or else the active window; nullptr when neither takes keys.
QWidget* Bersaglio() {
    for (QWidget* w : {QApplication::focusWidget(), QApplication::activeWindow()}) {
        if (Visibile(w) && w->isEnabled()) {
            return w;
        }
    }
    return nullptr;
}

// One run of random steps over the program started with its register looked for in `cartella`.
class Giro {
public:
    Giro(QString cartella, bool registro, int passi)
        : cartella_(std::move(cartella)), registro_(registro), passi_(passi) {}

    void Esegui() {
        Guardia guardia;
        for (passo_ = 1; passo_ <= passi_; ++passo_) {
            const QPointer<Form2> finestra = Form2::Istanza();
            const QString codice = finestra ? finestra->Text1->text() : QString();
            trattenuto_ = digitato_ = false;
            Passo();
            // The sex box's list opens on a click or Space; the user closes it with Escape.
            if (QWidget* lista = QApplication::activePopupWidget()) {
                QTest::keyClick(lista, Qt::Key_Escape);
                prova::Elabora();
            }
            const QString guasto = Controlla(finestra, codice);
            inizioPasso = 0;
            if (!guasto.isEmpty()) {
                ADD_FAILURE() << "seed " << kSeme << ", step " << passo_ << " of " << passi_ << " ("
                              << descrizione_ << "): " << guasto.toStdString();
                return;
            }
        }
        // A run that never got this far round the program would have tested little.
        if (passi_ >= 2000) {
            EXPECT_GT(stampe_, 0);
            // Without a register no municipality can be had, so nothing composes.
            if (registro_) {
                EXPECT_GT(composti_, 0);
            }
            EXPECT_GT(messaggi_, passi_ / 100);
        }
    }

private:
    // The same sequence from every standard library, unlike the distributions.
    int Caso(std::size_t n) { return static_cast<int>(caso_() % n); }

    void Segna(std::string cosa) {
        descrizione_ = std::move(cosa);
        std::snprintf(dove, sizeof dove, "soak: seed %u, step %d of %d: %s\n", kSeme, passo_,
                      passi_, descrizione_.c_str());
        inizioPasso = Adesso();
    }

    // The program was left, or never started: it is started again.
    void Avvia() {
        Segna("start the program");
        prova::Avvia(cartella_);
    }

    void Passo() {
        Form1* info = Form1::Istanza();
        Form2* f = Form2::Istanza();
        // The printer dialog cancels, confirms a PDF file, or confirms a printer without a file.
        if (f != nullptr) {
            f->CommonDialog1->Sostituisci([this](QPrinter& stampante) {
                const int scelta = Caso(3);
                if (scelta > 0) {
                    stampante.setOutputFormat(QPrinter::PdfFormat);
                    stampante.setOutputFileName(scelta == 1 ? pdf_.filePath("tessera.pdf") : "");
                }
                return scelta > 0;
            });
        }
        Form3* anteprima = f ? f->Anteprima() : nullptr;
        // The main window takes no input while its preview is open.
        const bool libera = Visibile(f) && anteprima == nullptr;
        if (!Visibile(info) && !Visibile(f) && !Visibile(anteprima)) {
            Avvia();
            return;
        }
        // Keys do little in the other windows: the user soon clicks a button there.
        if (Caso(100) < (libera ? 78 : 50)) {
            if (QWidget* w = Bersaglio()) {
                digitato_ = f != nullptr && w == f->Text1;
                Tasti();
                // No message box while the user types a name, known or not.
                nelComune_ = f != nullptr && w == f->Text5 && stampabile_;
                return;
            }
            // The user clicks into a window to go on typing.
            QWidget* finestra = Visibile(anteprima) ? anteprima
                                : Visibile(info)    ? static_cast<QWidget*>(info)
                                                    : f;
            Segna("activate " + finestra->objectName().toStdString());
            finestra->activateWindow();
            prova::Elabora();
            return;
        }
        // What the user can reach with the mouse, each with its weight: leaving is rare, so that
        // the fields fill up between the starts.
        std::vector<std::pair<std::string, std::function<void()>>> comandi;
        auto aggiungi = [&](int peso, const std::string& cosa, std::function<void()> esegui) {
            comandi.insert(comandi.end(), static_cast<std::size_t>(peso), {cosa, esegui});
        };
        if (libera) {
            const std::pair<int, const char*> voci[] = {
                {1, "mnimpstampa"}, {2, "mnstampa"},    {1, "mnesci"},    {1, "mncancella"},
                {4, "mncalcola"},   {2, "mncontrolla"}, {2, "mnestraii"}, {1, "mninformazioni"},
            };
            for (const auto& v : voci) {
                const char* voce = v.second;
                aggiungi(v.first, voce, [f, voce] { prova::Menu(f, voce); });
            }
            for (const char* nome : {"Image1", "Image2", "Image3", "Image4", "Image5", "Text1",
                                     "Text2", "Text3", "Text5", "Text6", "Text7", "Text7"}) {
                aggiungi(1, std::string("click ") + nome,
                         [f, nome] { prova::Clicca(f->findChild<QWidget*>(nome)); });
            }
            aggiungi(1, "click Cbosesso", [f] { prova::Clicca(f->Cbosesso); });
        }
        if (Visibile(info)) {
            aggiungi(4, "click OK", [info] { prova::Clicca(info->Command1); });
        }
        if (Visibile(anteprima)) {
            for (QPushButton* p : {anteprima->Command1, anteprima->Command2}) {
                aggiungi(3, "click " + p->text().toStdString(), [p] { prova::Clicca(p); });
            }
        }
        for (QWidget* w : std::initializer_list<QWidget*>{info, libera ? f : nullptr, anteprima}) {
            if (Visibile(w)) {
                aggiungi(1, "close " + w->objectName().toStdString(), [w] {
                    w->close();
                    prova::Elabora();
                });
            }
        }
        // Pasted over the whole field: random keys alone seldom make a date or a code.
        if (QWidget* w = Bersaglio()) {
            auto testi = kAppunti.find(Nome(w));
            if (testi == kAppunti.end() || Caso(3) == 0) {
                testi = kAppunti.find("");
            }
            const QString appunti = QString::fromUtf8(testi->second[Caso(testi->second.size())]);
            aggiungi(8, "paste \"" + appunti.toStdString() + "\" in " + Nome(w),
                     [this, f, w, appunti] {
                         digitato_ = f != nullptr && w == f->Text1;
                         QApplication::clipboard()->setText(appunti);
                         for (char16_t c : {u'A', u'V'}) {
                             QTest::sendKeyEvent(QTest::Click, w, static_cast<Qt::Key>(c),
                                                 QString(QChar(c - u'A' + 1)), Qt::ControlModifier);
                             prova::Elabora();
                         }
                     });
        }
        const auto& [cosa, esegui] = comandi[Caso(comandi.size())];
        nelComune_ = false;
        Segna(cosa);
        stampe_ += cosa == "click Stampa";
        esegui();
    }

    // One key typed, pressed, released or held down; each event goes where the focus is then.
    void Tasti() {
        Tasto t = kAltriTasti[Caso(std::size(kAltriTasti))];
        Qt::KeyboardModifiers modificatori = Qt::NoModifier;
        char testo[2] = {};
        if (const int tipo = Caso(100); tipo < 64) {
            // Letters and digits; a few capitals, and with Ctrl select all, copy, paste, cut,
            // undo and redo.
            testo[0] =
                tipo < 60 ? "abcdefghijklmnopqrstuvwxyz0123456789"[Caso(36)] : "acvxzy"[Caso(6)];
            t = {static_cast<Qt::Key>(std::toupper(testo[0])), testo};
            if (tipo >= 60) {
                modificatori = Qt::ControlModifier;
                testo[0] = static_cast<char>(t.tasto - Qt::Key_A + 1);
            } else if (std::isalpha(testo[0]) && Caso(10) == 0) {
                modificatori = Qt::ShiftModifier;
                testo[0] = static_cast<char>(t.tasto);
            }
        }
        const QString scritto = QString::fromUtf8(t.testo);
        stampabile_ = modificatori != Qt::ControlModifier && std::isalnum(t.testo[0]);
        const int azione = Caso(100);
        const bool premi = azione < 82 || azione >= 92;
        const bool rilascia = azione < 72 || azione >= 82;
        trattenuto_ = azione >= 92;
        Segna(std::string(trattenuto_         ? "hold "
                          : premi && rilascia ? "type "
                          : premi             ? "press "
                                              : "release ") +
              QKeySequence(QKeyCombination(modificatori, t.tasto)).toString().toStdString() +
              " in " + Nome(Bersaglio()));
        auto invia = [&](QTest::KeyAction a, bool ripetuto) {
            if (QWidget* w = Bersaglio()) {
                if (ripetuto) {
                    QTest::simulateEvent(w, true, t.tasto, modificatori, scritto, true);
                } else {
                    QTest::sendKeyEvent(a, w, t.tasto, scritto, modificatori);
                }
                prova::Elabora();
            }
        };
        if (premi) {
            invia(QTest::Press, false);
        }
        for (int i = 0; trattenuto_ && i < 2; ++i) {
            invia(QTest::Press, true);
        }
        if (rilascia) {
            invia(QTest::Release, false);
        }
    }

    // The first rule the windows break after a step, or nothing.
    QString Controlla(const QPointer<Form2>& prima, const QString& codicePrima) {
        Form2* f = Form2::Istanza();
        Form3* anteprima = f ? f->Anteprima() : nullptr;
        if (QWidget* w = QApplication::activeModalWidget(); w != nullptr && w != anteprima) {
            return "a modal window is left open: " + w->objectName();
        }
        if (QApplication::activePopupWidget() != nullptr) {
            return "a popup is left open";
        }
        QMap<QString, int> finestre;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->windowType() != Qt::ToolTip) {
                ++finestre[w->objectName()];
            }
        }
        const std::pair<QString, QWidget*> caricate[] = {
            {"Form1", Form1::Istanza()}, {"Form2", f}, {"Form3", anteprima}};
        for (const auto& [nome, istanza] : caricate) {
            if (finestre.take(nome) != (Visibile(istanza) ? 1 : 0) ||
                (istanza != nullptr && !istanza->isVisible())) {
                return "not exactly one shown " + nome + " while it is loaded";
            }
        }
        if (!finestre.isEmpty()) {
            return "another window is shown: " + finestre.firstKey();
        }
        if (anteprima != nullptr && QApplication::activeModalWidget() != anteprima) {
            return "the preview does not keep the main window waiting";
        }
        if (anteprima && !(anteprima->Command1->isVisible() && anteprima->Command2->isVisible())) {
            return "the preview lost its buttons";
        }
        if (f != nullptr) {
            if (f->Cbosesso->count() != 2 || f->Cbosesso->itemText(0) != "M" ||
                f->Cbosesso->itemText(1) != "F") {
                return "the sex list is not M, F";
            }
            const QString codice = f->Text1->text();
            const QStringList campi = {codice,           f->Text2->text(), f->Text3->text(),
                                       f->Text5->text(), f->Text6->text(), f->Text7->text()};
            // Typed, pasted or composed: no lower-case letter in the fields before the date.
            if (const QString testi = campi.mid(0, 5).join('|'); testi != testi.toUpper()) {
                return "a lower-case letter in " + testi;
            }
            // Text8 names a municipality only while Text5 shows its name: no record is left
            // behind a change of the text (a paste or a drop is looked up as the events run).
            if (const QString codice = f->Text8->text();
                registro_ && !codice.isEmpty() && codice != "?") {
                const std::u16string luogo = NODREL1::NomeComune(f->Text5->text().toStdU16String());
                const auto record = f->modulo.registro->TuttiPerCodice(codice.toStdU16String());
                if (std::none_of(record.begin(), record.end(), [&luogo](const NODREL1::Comune* c) {
                        return NODREL1::ConfrontaNomi(c->nome, luogo) == 0;
                    })) {
                    return "Text8 holds " + codice + " beside the place " + f->Text5->text();
                }
            }
            // A key held down on the information window's OK goes on into the new window.
            if (f != prima && !trattenuto_ &&
                (campi != QStringList{" ", " ", " ", " ", " ", ""} ||
                 prova::NomeFuoco() != "Text2")) {
                return "a freshly loaded main window shows " + campi.join('|') +
                       " with the focus in " + prova::NomeFuoco();
            }
            if (f == prima && codice != codicePrima && !digitato_ && !codice.isEmpty()) {
                if (codice != QString::fromStdU16String(f->modulo.Codice)) {
                    return "the code field holds neither what was typed nor a composed code: " +
                           codice;
                }
                ++composti_;
            }
        }
        for (const QString& m : prova::Messaggi()) {
            ++messaggi_;
            if (nelComune_) {
                return "a message box while typing in Text5: " + m;
            }
            // An error trap's message: with a sound register, something unexpected went wrong.
            if (m.startsWith("FasMsg: ") && (registro_ || !kFasMsg.match(m).hasMatch())) {
                return "unexpected error: " + m;
            }
        }
        const QStringList irregolari = prova::MessaggiIrregolari();
        return irregolari.isEmpty() ? QString() : "irregular message box: " + irregolari[0];
    }

    QString cartella_;
    bool registro_;
    int passi_;
    int passo_ = 0;
    bool trattenuto_ = false;
    bool digitato_ = false;    // the step sent keys to the code field
    bool stampabile_ = false;  // the key typed last was a letter or a digit
    bool nelComune_ = false;   // the step typed one into the municipality field
    std::mt19937 caso_{kSeme};
    QTemporaryDir pdf_;
    std::string descrizione_;
    int stampe_ = 0;
    int composti_ = 0;
    int messaggi_ = 0;
};

int Passi() {
    bool ok = false;
    const int passi = qEnvironmentVariableIntValue("NODREL_SOAK_PASSI", &ok);
    return ok && passi > 0 ? passi : 10000;
}

}  // namespace

TEST(Soak, RandomKeysAndCommandsOverTheRealRegister) {
    Giro(QString(), true, Passi()).Esegui();
    prova::ChiudiTutto();
}

TEST(Soak, RandomKeysAndCommandsWithoutARegister) {
    QTemporaryDir vuota;
    ASSERT_TRUE(vuota.isValid());
    Giro(vuota.path(), false, std::max(1, Passi() / 4)).Esegui();
    prova::ChiudiTutto();
    EXPECT_TRUE(QDir(vuota.path()).isEmpty());  // nothing created in the register's place
}
