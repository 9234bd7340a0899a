#include "ui/toolkit/stato.h"

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
    // The main window takes the preview and the list window with it.
    delete Interfaccia().informazioni.data();
    delete Interfaccia().principale.data();
    Interfaccia() = StatoInterfaccia();
}

}  // namespace nodrel
