// One key pressed in the municipality field, which types a letter and completes the name from the
// register, against one in the surname field, which only types it: the difference is the
// completion's own cost. Offscreen, with the real register, the windows started as the program
// starts them.
//
// Each key is timed alone (manual time): the field is put back to its typed text between keys,
// out of the timing, so every timed key does a real seek and completion. A key comes as the
// window system hands a user's key to Qt: first the shortcut check, then the key itself, taken
// as one the user pressed rather than one the program sent.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/nodrel1.h"
#include "misura.h"
#include "ui/info/form1.h"
#include "ui/info/start.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"

namespace {

nodrel::Form2* finestra = nullptr;
int messaggi = 0;

// A message box would wait for a user; it is closed at once and counted, and the benchmark that
// caused it is void.
class Risponditore : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* oggetto, QEvent* evento) override {
        if (evento->type() == QEvent::Show && qobject_cast<QMessageBox*>(oggetto) != nullptr) {
            ++messaggi;
            auto* box = static_cast<QMessageBox*>(oggetto);
            std::fprintf(stderr, "message box: %s\n", qPrintable(box->text()));
            QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Ok); });
        }
        return false;
    }
};

// The offscreen platform says so each time a window is raised; that is not a finding.
void FiltraMessaggi(QtMsgType tipo, const QMessageLogContext& contesto, const QString& testo) {
    if (testo.contains(QLatin1String("does not support raise()")) ||
        testo.contains(QLatin1String("does not support propagateSizeHints()"))) {
        return;
    }
    qt_message_output(tipo, contesto, testo);
}

void Elabora() {
    QCoreApplication::processEvents();
}

using Orologio = std::chrono::steady_clock;

// With `ridisegno`, the timing also covers the events the key leaves behind, the repaint of
// the completed field among them.
template <typename Prepara>
void Tasti(benchmark::State& state, QWidget* campo, bool ridisegno, Prepara prepara,
           const std::array<Qt::Key, 8>& tasti) {
    const int prima = messaggi;
    std::size_t i = 0;
    for (auto _ : state) {
        prepara(i);
        Elabora();
        const auto inizio = Orologio::now();
        QTest::keyPress(campo, static_cast<char>(tasti[i]));
        if (ridisegno) {
            Elabora();
        }
        const auto fine = Orologio::now();
        state.SetIterationTime(std::chrono::duration<double>(fine - inizio).count());
        i = (i + 1) % tasti.size();
    }
    if (messaggi != prima) {
        state.SkipWithError("a message box was shown");
    }
}

// The second of two letters typed: the field holds the first, and the completion that letter, as
// after typing it and taking back its completion. Each pair begins a longer name ("RO" would not
// do: it is a whole one, and the completion would add nothing).
constexpr std::array<const char*, 8> kDigitati = {"MI", "NA", "TO", "BO", "FI", "VE", "PA", "GE"};
constexpr std::array<Qt::Key, 8> kSecondaLettera = {Qt::Key_I, Qt::Key_A, Qt::Key_O, Qt::Key_O,
                                                    Qt::Key_I, Qt::Key_E, Qt::Key_A, Qt::Key_E};

void KeyPressText5Completes(benchmark::State& state, bool ridisegno) {
    nodrel::TextBox* t5 = finestra->Text5;
    t5->setFocus();  // the completion follows the keys of the field that has the focus
    Elabora();
    auto prepara = [t5](std::size_t i) {
        t5->setText(QString::fromLatin1(kDigitati[i], 1));
        finestra->completamento.digitato = t5->text();
    };
    // Once outside the timing: the key must complete the name, not leave it as typed.
    prepara(0);
    QTest::keyPress(t5, static_cast<char>(kSecondaLettera[0]));
    if (t5->text() != QLatin1String("MIAGLIANO") ||
        t5->selectedText() != QLatin1String("AGLIANO") ||
        finestra->completamento.digitato != QLatin1String("MI") ||
        finestra->Text6->text() != QLatin1String("BI")) {
        state.SkipWithError("the key did not complete the municipality");
        return;
    }
    Tasti(state, t5, ridisegno, prepara, kSecondaLettera);
}
BENCHMARK_CAPTURE(KeyPressText5Completes, event_only, false)->UseManualTime();
BENCHMARK_CAPTURE(KeyPressText5Completes, with_repaint, true)->UseManualTime();

// The surname field: the last letter of "ROSSI" typed, and nothing follows.
constexpr std::array<Qt::Key, 8> kCognome = {Qt::Key_I, Qt::Key_I, Qt::Key_I, Qt::Key_I,
                                             Qt::Key_I, Qt::Key_I, Qt::Key_I, Qt::Key_I};

void KeyPressText2Plain(benchmark::State& state, bool ridisegno) {
    nodrel::TextBox* t2 = finestra->Text2;
    t2->setFocus();
    Elabora();
    auto prepara = [t2](std::size_t) { t2->setText(QStringLiteral("ROSS")); };
    Tasti(state, t2, ridisegno, prepara, kCognome);
    if (t2->text() != QLatin1String("ROSSI")) {
        state.SkipWithError("the key did not type the letter");
    }
}
BENCHMARK_CAPTURE(KeyPressText2Plain, event_only, false)->UseManualTime();
BENCHMARK_CAPTURE(KeyPressText2Plain, with_repaint, true)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt wants the runtime directory private to the user, or it warns on every run.
        const QByteArray cartella = "/tmp/nodrel-bench-" + QByteArray::number(getuid());
        mkdir(cartella.constData(), 0700);
        chmod(cartella.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", cartella);
    }
    qInstallMessageHandler(FiltraMessaggi);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    app.installEventFilter(new Risponditore(&app));

    // As a user starts it: the information window, then its OK; the register is found beside
    // this executable, as the program finds it beside its own.
    nodrel::startProgram();
    Elabora();
    nodrel::Form1::Istanza()->Command1->click();
    Elabora();
    finestra = nodrel::Form2::Istanza();
    if (finestra == nullptr || !finestra->modulo.registro || messaggi != 0) {
        std::fprintf(stderr, "the main window did not start with the register\n");
        return 1;
    }

    return misura::Esegui({
        {"key press, event only: Text5 / Text2", "KeyPressText5Completes/event_only/manual_time",
         "KeyPressText2Plain/event_only/manual_time"},
        {"key press + repaint: Text5 / Text2", "KeyPressText5Completes/with_repaint/manual_time",
         "KeyPressText2Plain/with_repaint/manual_time"},
    });
}
