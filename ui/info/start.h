#pragma once

namespace nodrel {

// The program's start: Qt's translations and the Caps Lock key's filter, then the information
// window, created, centred and shown. Nothing else is loaded.
void startProgram();

}  // namespace nodrel
