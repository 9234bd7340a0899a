// The commands of the main window's menu and toolbar; each picture runs its menu item's handler.

#include <QComboBox>

#include "engine/nodrel1.h"
#include "ui/elenco/form4.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"

namespace nodrel {

namespace {

std::u16string U16(const QString& testo) {
    return testo.toStdU16String();
}

}  // namespace

void Form2::Comando(void (Form2::*gestore)()) {
    // An unexpected error (an unopened register, a missing value) ends the command with a
    // message; the window stays usable.
    ConTrappola(this, [this, gestore] { (this->*gestore)(); });
}

void Form2::mncalcola_Click() {
    if (Text7->text().size() > 10) {
        Text7->setText(Text7->text().left(10));
    }
    NODREL1::Cognome = U16(Text2->text());
    NODREL1::Nome = U16(Text3->text());
    NODREL1::Sesso = U16(Cbosesso->currentText());
    NODREL1::Luogo = U16(Text5->text());
    NODREL1::Provincia = U16(Text6->text());
    NODREL1::DataNascita = U16(Text7->text());
    // After a refusal the code field shows no code at all rather than one of earlier data.
    const bool composto = NODREL1::CalcolaCodice();
    Text1->setText(composto ? QString::fromStdU16String(NODREL1::Codice) : QString());
}

void Form2::mncontrolla_Click() {
    NODREL1::Codice = U16(Text1->text());
    NODREL1::ControllaCodice(NODREL1::Codice);
}

void Form2::mnestraii_Click() {
    if (Text1->text().isEmpty()) {
        nodrel::MsgBox(this, QStringLiteral("INSERIRE IL CODICE FISCALE  E SELEZIONARE NUOVAMENTE "
                                            "'ESTRAI DATI'"));
        Text1->setFocus();
        return;
    }
    NODREL1::Codice = U16(Text1->text());
    NODREL1::EstraiDati(NODREL1::Codice);
}

void Form2::mncancella_Click() {
    NODREL1::AttivaMaiuscole();
    Text1->setText(QString());
    Text2->setText(QString());
    Text3->setText(QString());
    Cbosesso->setCurrentIndex(0);
    Text5->setText(QString());
    Text6->setText(QString());
    Text7->setText(QString());
    Text2->setFocus();
}

void Form2::mnesci_Click() {
    close();
}

Form4* Form2::Elenco() const {
    return elenco_;
}

void Form2::mnelenco_Click() {
    if (!elenco_) {
        elenco_ = new Form4(this);
    }
    elenco_->show();
    elenco_->raise();
    elenco_->activateWindow();
}

void Form2::mninformazioni_Click() {
    emit InformazioniRichieste();
}

}  // namespace nodrel
