// The main window's print commands: the preview, the printer setup and the PDF of the card.

#include <QComboBox>
#include <QFileDialog>

#include "ui/main/form2.h"
#include "ui/print/form3.h"
#include "ui/print/tessera.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/impostazioni.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/stampante.h"

namespace nodrel {

namespace {

// The file a card is saved to, named after its code: its letters and digits only, so that
// whatever the code field holds, the name stays a name in the folder the user chose.
QString NomeFile(const QString& codice) {
    QString nome;
    for (QChar c : codice) {
        if (c.isLetterOrNumber() && c.unicode() < 128) {
            nome += c;
        }
    }
    return (nome.isEmpty() ? QStringLiteral("tessera") : nome) + QStringLiteral(".pdf");
}

}  // namespace

Form3* Form2::Anteprima() const {
    return anteprima_;
}

DatiTessera Form2::DatiDellaTessera() const {
    return {Text1->text(), Text2->text(), Text3->text(), Cbosesso->currentText(),
            Text5->text(), Text6->text(), Text7->text()};
}

// Before a card is shown or saved: a warning when its code does not belong to the data beside
// it. Not a refusal: the tax office has issued codes that break its own rules, and their holders
// must still print them. True lets the command go on.
bool Form2::ConfermaTessera() {
    if (NODREL1::TogliSpazi(Text1->text().toStdU16String()).empty()) {
        return true;
    }
    const NODREL1::Corrispondenza esito = ConfrontaConICampi();
    // Data that cannot be composed give nothing to compare.
    if (!esito.rifiuto && !esito.Corrisponde()) {
        nodrel::MsgBox(this, QString::fromStdU16String(NODREL1::kMsgTesseraNonCorrisponde));
    }
    return true;
}

void Form2::mnstampa_Click() {
    if (!ConfermaTessera()) {
        return;
    }
    anteprima_ = new Form3(this, CommonDialog1);
    anteprima_->Picture->Riempi(DatiDellaTessera());
    anteprima_->show();
}

void Form2::mnimpstampa_Click() {
    // Confirmed or cancelled, the command ends silently.
    CommonDialog1->ShowPrinter();
}

void Form2::mnesportapdf_Click() {
    if (!ConfermaTessera()) {
        return;
    }
    const DatiTessera dati = DatiDellaTessera();
    QFileDialog dialogo(this, QStringLiteral("Esporta PDF"));
    dialogo.setObjectName("DialogoEsporta");
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setDefaultSuffix(QStringLiteral("pdf"));
    dialogo.setNameFilter(QStringLiteral("Documenti PDF (*.pdf)"));
    dialogo.selectFile(NomeFile(dati.codice));
    if (EseguiDialogoFile(dialogo) != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) {
        return;
    }
    const QString errore = EsportaPdf(dialogo.selectedFiles().constFirst(), dati);
    if (!errore.isEmpty()) {
        nodrel::MsgBox(this, errore);
    }
}

}  // namespace nodrel
