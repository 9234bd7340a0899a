#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "engine/errore.h"

class QPrinter;
class QWidget;

namespace nodrel {

// The printer and settings that the next print uses, as last confirmed in the printer dialog.
QPrinter& StampanteCorrente();

// The printer dialog component of the main window.
class DialogoStampante : public QObject {
    Q_OBJECT

public:
    explicit DialogoStampante(QWidget* proprietario);

    // When set, a cancel in the dialog comes back as an error instead of a normal return.
    bool CancelError = false;

    // Shows the printer dialog; a confirmed choice becomes the current printer and settings.
    void ShowPrinter();

    // Tests answer the dialog without a real printer: the stand-in receives the current printer
    // and returns true to confirm, false to cancel. An empty function restores the real dialog.
    using Risposta = std::function<bool(QPrinter&)>;
    static void SostituisciDialogo(Risposta risposta);

private:
    QWidget* proprietario_;
};

// Error number of a cancel in the printer dialog, from the catalogue of engine/errore.h.
using NODREL1::kErrAnnullato;

// Prints a window's client area, as drawn now, to the current printer as one page, at its
// natural size (96 pixels to the inch) near the top left of the page.
void StampaFinestra(QWidget* finestra);

}  // namespace nodrel
