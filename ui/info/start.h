#pragma once

#include <QStringList>

namespace nodrel {

// Before the QApplication is made: Qt's own dialogs, which write dates and sizes in the system's
// locale, write them in Italian whatever the system's.
void LocaleDiSistemaItaliano();

// The program's start: the Italian locale, then the information window, created, centred and
// shown; and the connections that lead from it to the main window and back. Nothing else is
// loaded, not even Qt's translations, which the main window loads. With `elenchi`, the lists
// named on the command line, the main window comes at once, with a list window checking each.
void startProgram(const QStringList& elenchi = {});

}  // namespace nodrel
