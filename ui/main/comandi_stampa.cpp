// The main window's two print commands.

#include <QComboBox>

#include "ui/main/form2.h"
#include "ui/print/form3.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/stampante.h"

namespace nodrel {

void Form2::mnstampa_Click() {
    Form3* anteprima = Form3::Carica(this, CommonDialog1);
    anteprima->Text1->setText(Text1->text());
    anteprima->Text2->setText(Text2->text());
    anteprima->Text3->setText(Text3->text());
    anteprima->Text4->setText(Cbosesso->currentText());
    anteprima->Text5->setText(Text5->text());
    anteprima->Text6->setText(Text6->text());
    anteprima->Text7->setText(Text7->text());
    setEnabled(false);
    anteprima->show();
}

void Form2::mnimpstampa_Click() {
    CommonDialog1->CancelError = true;
    try {
        CommonDialog1->ShowPrinter();
    } catch (...) {
        // A cancel, or a dialog that failed, ends the command silently.
    }
}

}  // namespace nodrel
