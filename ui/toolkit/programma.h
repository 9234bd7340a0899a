#pragma once

#include <QString>

namespace nodrel {

// The program's directory, where the register Comuni.mdb lies.
QString CartellaProgramma();
// The register beside the program: the one place its path is made.
QString PercorsoRegistro();
// Tests point the program at a directory of their own.
void ImpostaCartellaProgramma(const QString& cartella);

}  // namespace nodrel
