#pragma once

#include <QStringList>

namespace nodrel {

// The main window in front, with the focus on its surname field; when it is not loaded, it is
// loaded first, and Qt's translations with it the first time. With `elenchi`, the lists named
// on the command line, a list window checks each. Its "&Informazioni" calls `informazioni`.
void MostraPrincipale(const QStringList& elenchi, void (*informazioni)());

// The program's start with every window in one program, as the tests have it: the application
// prepared, then the information window, created, centred and shown, and the connections that
// lead from it to the main window and back. Nothing else is loaded, not even Qt's translations.
// With `elenchi` the main window comes at once, with a list window checking each.
void startProgram(const QStringList& elenchi = {});

}  // namespace nodrel
