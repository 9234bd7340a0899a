#pragma once

#include <QObject>
#include <functional>

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

    // Shows the printer dialog and tells whether the user confirmed it; a confirmed choice
    // becomes the current printer and settings.
    bool ShowPrinter();

    // Tests answer this dialog without a real printer: the stand-in receives the current printer
    // and returns true to confirm, false to cancel. An empty function restores the real dialog.
    using Risposta = std::function<bool(QPrinter&)>;
    void Sostituisci(Risposta risposta);

private:
    QWidget* proprietario_;
    Risposta sostituto_;
};

}  // namespace nodrel
