#pragma once

#include <QDialog>
#include <QPointer>

#include "ui/toolkit/finestra_unica.h"

class QLineEdit;
class QPushButton;

namespace nodrel {

class DialogoStampante;

// The print preview: the code and the personal data laid over a picture of the card.
class Form3 : public QDialog, public FinestraUnica<Form3> {
    Q_OBJECT

public:
    // A freshly loaded (and centred) preview, owned by the window `principale`, which it enables
    // again when it is left, and printed through that window's printer dialog `dialogo`; one that
    // is still open is unloaded first.
    static Form3* Carica(QWidget* principale, DialogoStampante* dialogo);

    QLineEdit* Text1;       // code
    QLineEdit* Text2;       // surname
    QLineEdit* Text3;       // given name(s)
    QLineEdit* Text4;       // sex
    QLineEdit* Text5;       // municipality
    QLineEdit* Text6;       // province
    QLineEdit* Text7;       // date of birth
    QLineEdit* Text8;       // "FAC-SIMILE" in place of a signature
    QPushButton* Command1;  // "Stampa"
    QPushButton* Command2;  // "Chiudi"

    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent* evento) override;
    void reject() override;

private:
    friend class FinestraUnica<Form3>;
    Form3(QWidget* principale, DialogoStampante* dialogo);
    void Form_Load();
    void Scarica();

    QPointer<QWidget> principale_;
    QPointer<DialogoStampante> dialogo_;
    bool scaricando_ = false;
};

}  // namespace nodrel
