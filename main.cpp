#include <QApplication>
#include <QFileInfo>
#include <QLibrary>
#include <cstdio>

#include "ui/info/avvio.h"
#include "ui/info/finestre.h"
#include "ui/toolkit/messaggi.h"

namespace {

// Qt ends the program with its own English words when it finds no display; a user who started
// the windows from a terminal without one is told in Italian what to do instead.
bool SenzaSchermo() {
    const QByteArray piattaforma = qgetenv("QT_QPA_PLATFORM");
    const bool desktop = piattaforma.isEmpty() || piattaforma.startsWith("xcb") ||
                         piattaforma.startsWith("wayland");
    return desktop && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The rest of the program, from the module beside the executable (wherever the link the program
// was started through lies), loaded on first use and kept to the end. nullptr when it cannot be
// loaded; `modulo` is then the file that was looked for.
const nodrel::Finestre* CaricaFinestre(QString& modulo) {
    static const nodrel::Finestre* finestre = nullptr;
    if (finestre == nullptr) {
        const QFileInfo eseguibile(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
        QLibrary libreria(eseguibile.absolutePath() + QStringLiteral("/" NODREL_FINESTRE));
        modulo = libreria.fileName();
        if (const auto ingresso =
                reinterpret_cast<decltype(&nodrel_finestre)>(libreria.resolve("nodrel_finestre"))) {
            finestre = ingresso();
        }
    }
    return finestre;
}

void Informazioni();

// "OK" in the information window: the main window, its module loaded now the first time. The
// information window closes after this, so a program that cannot load it ends.
void Principale() {
    QString modulo;
    if (const nodrel::Finestre* finestre = CaricaFinestre(modulo)) {
        finestre->mostraPrincipale({}, &Informazioni);
    } else {
        nodrel::MsgBox(nullptr, QStringLiteral("Impossibile caricare il file ") + modulo);
    }
}

void Informazioni() {
    nodrel::MostraInformazioni(&Principale);
}

}  // namespace

int main(int argc, char* argv[]) {
    // The command line is answered before any window, so it needs no display. Without arguments
    // it asks for the information window, and the module waits for its "OK".
    QStringList elenchi;
    const nodrel::Finestre* finestre = nullptr;
    if (argc > 1) {
        QString modulo;
        finestre = CaricaFinestre(modulo);
        if (finestre == nullptr) {
            std::fprintf(stderr, "nodrel: impossibile caricare il file %s\n",
                         modulo.toLocal8Bit().constData());
            return 2;
        }
        if (const auto esito = finestre->rigaDiComando(argc, argv, elenchi)) {
            return *esito;
        }
    }
    if (SenzaSchermo()) {
        std::fputs("nodrel: nessuno schermo disponibile per le finestre; senza finestre: "
                   "nodrel --verifica FILE (nodrel --help)\n",
                   stderr);
        return 2;
    }
    nodrel::LocaleDiSistemaItaliano();
    QApplication app(argc, argv);
    nodrel::PreparaApplicazione();
    if (elenchi.isEmpty()) {
        Informazioni();
    } else {
        // Lists named on the command line are what the user came for: straight to them.
        finestre->mostraPrincipale(elenchi, &Informazioni);
    }
    return app.exec();
}
