#pragma once

namespace nodrel {

// Before the QApplication is made: Qt's own dialogs, which write dates and sizes in the system's
// locale, write them in Italian whatever the system's.
void LocaleDiSistemaItaliano();

// Once the QApplication is made: the program's name and icon, which every window shows, and the
// Italian locale.
void PreparaApplicazione();

// Shows the information window, loading (and centring) it first when it is not loaded; a window
// already shown comes to the front where it is. Its "OK" calls `principale` and then unloads the
// window. Nothing of the main window is needed for it: the program's first window is this one,
// and what only the main window uses is loaded with the main window.
void MostraInformazioni(void (*principale)());

}  // namespace nodrel
