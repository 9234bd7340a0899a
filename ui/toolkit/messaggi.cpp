#include "ui/toolkit/messaggi.h"

#include <QMessageBox>
#include <QWidget>

namespace nodrel {

void MsgBox(QWidget* proprietario, const QString& testo) {
    // A hidden owner (a window still loading) would hide the box's position; the box then
    // stands on its own, modal to the whole application.
    QWidget* padre = proprietario && proprietario->isVisible() ? proprietario->window() : nullptr;
    QMessageBox box(padre);
    box.setObjectName("MsgBox");
    box.setWindowTitle(kTitoloApplicazione);
    box.setIcon(QMessageBox::NoIcon);
    box.setText(testo);
    box.setTextFormat(Qt::PlainText);
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void MsgBox(QWidget* proprietario, const std::u16string& testo) {
    MsgBox(proprietario, QString::fromStdU16String(testo));
}

void MostraErrore(QWidget* proprietario, const NODREL1::Errore& errore) {
    MsgBox(proprietario, NODREL1::FasMsg(errore));
}

}  // namespace nodrel
