#pragma once

namespace nodrel {

// The program's start: Qt's translations and the Caps Lock key's filter, then the information
// window, created, centred and shown; and the connections that lead from it to the main window
// and back. Nothing else is loaded.
void startProgram();

}  // namespace nodrel
