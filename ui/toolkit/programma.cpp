#include "ui/toolkit/programma.h"

#include <QCoreApplication>

#include "ui/toolkit/stato.h"

namespace nodrel {

QString CartellaProgramma() {
    const QString& cartella = Interfaccia().cartellaProgramma;
    return cartella.isEmpty() ? QCoreApplication::applicationDirPath() : cartella;
}

RegistroInUso RegistroScelto() {
    return SceltaRegistro(CartellaProgramma());
}

QString PercorsoRegistro() {
    return RegistroScelto().file;
}

void ImpostaCartellaProgramma(const QString& cartella) {
    Interfaccia().cartellaProgramma = cartella;
}

}  // namespace nodrel
