#include <QApplication>
#include <cstdio>

#include "cli/riga_di_comando.h"
#include "ui/info/avvio.h"
#include "ui/info/start.h"

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

}  // namespace

int main(int argc, char* argv[]) {
    // The command line is answered before any window, so it needs no display.
    QStringList elenchi;
    if (const auto esito = nodrel::RigaDiComando(argc, argv, elenchi)) {
        return *esito;
    }
    if (SenzaSchermo()) {
        std::fputs("nodrel: nessuno schermo disponibile per le finestre; senza finestre: "
                   "nodrel --verifica FILE (nodrel --help)\n",
                   stderr);
        return 2;
    }
    nodrel::LocaleDiSistemaItaliano();
    QApplication app(argc, argv);
    nodrel::startProgram(elenchi);
    return app.exec();
}
