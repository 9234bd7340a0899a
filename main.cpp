#include <QApplication>

#include "ui/info/start.h"
#include "ui/riga/riga_di_comando.h"

int main(int argc, char* argv[]) {
    // Lists of codes are checked before any window, so they need no display.
    if (const auto esito = nodrel::RigaDiComando(argc, argv)) {
        return *esito;
    }
    nodrel::LocaleDiSistemaItaliano();
    QApplication app(argc, argv);
    nodrel::startProgram();
    return app.exec();
}
