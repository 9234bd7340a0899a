#pragma once

#include <QString>

#include "register/scelta.h"

namespace nodrel {

// The program's directory, where the installed register Comuni.mdb lies.
QString CartellaProgramma();
// The register the windows open, chosen as the command line chooses it: the installed one, or
// the user's own while it is newer.
RegistroInUso RegistroScelto();
QString PercorsoRegistro();
// Tests point the program at a directory of their own.
void ImpostaCartellaProgramma(const QString& cartella);

}  // namespace nodrel
