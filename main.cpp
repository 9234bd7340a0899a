#include <QApplication>

#include "cli/riga_di_comando.h"
#include "ui/info/start.h"

int main(int argc, char* argv[]) {
    // The command line is answered before any window, so it needs no display.
    QStringList elenchi;
    if (const auto esito = nodrel::RigaDiComando(argc, argv, elenchi)) {
        return *esito;
    }
    nodrel::LocaleDiSistemaItaliano();
    QApplication app(argc, argv);
    nodrel::startProgram(elenchi);
    return app.exec();
}
