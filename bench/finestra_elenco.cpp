// The program as a clerk starts it, its list window opened from the menu and asked to check the
// file named; when the window is done it prints, on one line: the seconds from the request to
// done, the seconds to the progress bar's first step (-1 if it never moved), the peak resident
// set (VmHWM) in KiB, the heap in use once done in bytes, the rows the list had, the seconds to
// the bar's half (a file's first reading done) and the longest the bar stood still. Run by
// bench_finestra, once a measurement, on whatever display it is given (offscreen without one).
//   bench_finestra_elenco FILE [ordina]   (ordina: then sorted by the code, timed on stderr)

#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ui/elenco/form4.h"
#include "ui/info/form1.h"
#include "ui/info/start.h"
#include "ui/main/form2.h"

namespace {

long PiccoKiB() {
    std::ifstream stato("/proc/self/status");
    for (std::string riga; std::getline(stato, riga);) {
        if (riga.rfind("VmHWM:", 0) == 0) {
            return std::atol(riga.c_str() + 6);
        }
    }
    return -1;
}

// A message box would wait for a user: the measurement is void.
class Risponditore : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* oggetto, QEvent* evento) override {
        if (evento->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(oggetto)) {
                std::fprintf(stderr, "message box: %s\n", qPrintable(box->text()));
                _exit(1);
            }
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_finestra_elenco FILE [ordina]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    app.installEventFilter(new Risponditore(&app));
    nodrel::startProgram();
    QCoreApplication::processEvents();
    nodrel::Form1::Istanza()->Command1->click();
    QCoreApplication::processEvents();
    nodrel::Form2* principale = nodrel::Form2::Istanza();
    principale->mnelenco_Click();
    nodrel::Form4* elenco = principale->Elenco();
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
    }

    QElapsedTimer tempo;
    double primoPasso = -1, meta = -1, ferma = 0, ultimo = 0;
    QObject::connect(elenco->ProgressBar1, &QProgressBar::valueChanged, [&](int valore) {
        const double ora = static_cast<double>(tempo.nsecsElapsed()) / 1e9;
        if (valore > 0 && primoPasso < 0) {
            primoPasso = ora;
        }
        if (valore >= 500 && meta < 0) {
            meta = ora;
        }
        ferma = std::max(ferma, ora - ultimo);
        ultimo = ora;
    });
    tempo.start();
    elenco->VerificaFile(QFile::decodeName(argv[1]));
    double fatto = 0;
    // A loop of its own: the application's quit would close the windows.
    QEventLoop ciclo;
    QTimer controllo;
    QObject::connect(&controllo, &QTimer::timeout, [&] {
        if (!elenco->InCorso()) {
            fatto = static_cast<double>(tempo.nsecsElapsed()) / 1e9;
            controllo.stop();
            ciclo.quit();
        }
    });
    controllo.start(2);
    ciclo.exec();
    // What the window keeps once done, its view drawn.
    QCoreApplication::processEvents();
    const struct mallinfo2 heap = mallinfo2();
    if (argc > 2) {
        // The cost of a sort by the code, whose texts are read again from the file.
        tempo.restart();
        elenco->Grid1->sortByColumn(1, Qt::AscendingOrder);
        std::fprintf(stderr, "sort by the code: %.3f s, peak %ld KiB\n",
                     static_cast<double>(tempo.nsecsElapsed()) / 1e9, PiccoKiB());
    }
    std::printf("%.4f %.4f %ld %zu %s %.4f %.4f\n", fatto, primoPasso, PiccoKiB(),
                heap.uordblks + heap.hblkhd,
                qPrintable(elenco->Label1->text().section(QLatin1Char(' '), 0, 0)), meta,
                std::max(ferma, fatto - ultimo));
    std::fflush(stdout);
    // Closing would ask whether to save the results.
    _exit(0);
}
