#pragma once

#include <QString>

namespace nodrel {

// The program's directory, where the register Comuni.mdb lies.
QString CartellaProgramma();
// Tests point the program at a directory of their own.
void ImpostaCartellaProgramma(const QString& cartella);

}  // namespace nodrel
