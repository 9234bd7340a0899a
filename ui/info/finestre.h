#pragma once

#include <QStringList>
#include <optional>

namespace nodrel {

// The program beyond its first window: the main window and all it opens, and the command line.
// It lives in a module of its own, loaded when first needed, so that the information window comes
// up without the libraries only the rest uses (Qt's print support and SVG, SQLite, the
// spreadsheet reader). The information window itself is part of the executable.
struct Finestre {
    // As RigaDiComando (cli/riga_di_comando.h).
    std::optional<int> (*rigaDiComando)(int argc, char* argv[], QStringList& elenchi);
    // As MostraPrincipale (ui/info/start.h).
    void (*mostraPrincipale)(const QStringList& elenchi, void (*informazioni)());
};

}  // namespace nodrel

// The module's one entry point, found by this name.
extern "C" const nodrel::Finestre* nodrel_finestre();
