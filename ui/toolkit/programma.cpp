#include "ui/toolkit/programma.h"

#include <QCoreApplication>

namespace nodrel {

namespace {
QString cartella;
}

QString CartellaProgramma() {
    return cartella.isEmpty() ? QCoreApplication::applicationDirPath() : cartella;
}

void ImpostaCartellaProgramma(const QString& c) {
    cartella = c;
}

}  // namespace nodrel
