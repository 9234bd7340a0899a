#include "ui/toolkit/programma.h"

#include <QCoreApplication>

#include "register/comuni.h"
#include "ui/toolkit/stato.h"

namespace nodrel {

QString CartellaProgramma() {
    const QString& cartella = Interfaccia().cartellaProgramma;
    return cartella.isEmpty() ? QCoreApplication::applicationDirPath() : cartella;
}

QString PercorsoRegistro() {
    return QString::fromStdU16String(nodrel::PercorsoRegistro(CartellaProgramma().toStdU16String()));
}

void ImpostaCartellaProgramma(const QString& cartella) {
    Interfaccia().cartellaProgramma = cartella;
}

}  // namespace nodrel
