#pragma once

#include <QPointer>
#include <QString>
#include <memory>

class QObject;
class QPrinter;
class QTranslator;
class QWidget;

namespace nodrel {

// Everything the user interface keeps beyond the life of one window, in one place, so that one
// reset gives the state of a program not yet started, whatever is added here later. The window
// tests start the program afresh many times in one process.
struct StatoInterfaccia {
    std::unique_ptr<QTranslator> traduzioni;  // Qt's own texts in Italian, from the main window
    // The current printer, made on first use. Its deleter comes with it, from where QPrinter is
    // known, so that the state needs nothing of Qt's print support.
    std::shared_ptr<QPrinter> stampante;
    QString cartellaProgramma;  // empty: the executable's own directory
    // The two windows that no other window owns, while loaded; the main window owns the rest.
    QPointer<QWidget> informazioni;
    QPointer<QWidget> principale;

    StatoInterfaccia();
    ~StatoInterfaccia();
    StatoInterfaccia& operator=(StatoInterfaccia&&) noexcept;
};

StatoInterfaccia& Interfaccia();

// Destroys the loaded windows and forgets all the rest: the user interface as before start-up.
void AzzeraInterfaccia();

}  // namespace nodrel
