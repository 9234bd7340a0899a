#include "ui/toolkit/stato.h"

#include <QList>
#include <QPrinter>
#include <QTranslator>
#include <QWidget>

namespace nodrel {

// Out of line, where the types that the members own are complete.
StatoInterfaccia::StatoInterfaccia() = default;
StatoInterfaccia::~StatoInterfaccia() = default;
StatoInterfaccia& StatoInterfaccia::operator=(StatoInterfaccia&&) noexcept = default;

StatoInterfaccia& Interfaccia() {
    static StatoInterfaccia stato;
    return stato;
}

void AzzeraInterfaccia() {
    // A window may own another (the list window is the main window's): each pointer is looked at
    // again after the one before it was destroyed.
    const QList<QPointer<QWidget>> finestre = Interfaccia().finestre.values();
    for (const QPointer<QWidget>& finestra : finestre) {
        delete finestra.data();
    }
    Interfaccia() = StatoInterfaccia();
}

}  // namespace nodrel
