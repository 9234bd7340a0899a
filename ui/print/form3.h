#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include "ui/print/tessera.h"

class QPushButton;

namespace nodrel {

class DialogoStampante;

// The card with its data, drawn by the same routine as the print, so that the preview is as
// sharp as the paper at any scale.
class Tessera : public QWidget {
    Q_OBJECT

public:
    explicit Tessera(QWidget* genitore);

    const DatiTessera& Dati() const { return dati_; }
    void Riempi(const DatiTessera& dati);

protected:
    void paintEvent(QPaintEvent* evento) override;

private:
    DatiTessera dati_;
};

// The print preview: the code and the personal data laid over a picture of the card. A dialog
// of the main window, which waits while it is open: leaving it with "Chiudi", Escape or the
// frame switches the Caps Lock on; a print closes it too, leaving the Caps Lock as it was.
class Form3 : public QDialog {
    Q_OBJECT

public:
    // A centred preview owned by `principale`, printed through that window's printer dialog.
    Form3(QWidget* principale, DialogoStampante* dialogo);

    Tessera* Picture;
    QPushButton* Command1;  // "Stampa"
    QPushButton* Command2;  // "Chiudi"

    void Command1_Click();
    void Command2_Click();

public slots:

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    QPointer<DialogoStampante> dialogo_;
};

}  // namespace nodrel
