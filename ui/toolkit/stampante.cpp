#include "ui/toolkit/stampante.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>
#include <memory>

#include "ui/toolkit/stato.h"

namespace nodrel {

QPrinter& StampanteCorrente() {
    std::shared_ptr<QPrinter>& stampante = Interfaccia().stampante;
    if (!stampante) {
        stampante = std::make_shared<QPrinter>(QPrinter::HighResolution);
    }
    return *stampante;
}

DialogoStampante::DialogoStampante(QWidget* proprietario)
    : QObject(proprietario), proprietario_(proprietario) {}

void DialogoStampante::Sostituisci(Risposta risposta) {
    sostituto_ = std::move(risposta);
}

bool DialogoStampante::ShowPrinter() {
    if (sostituto_) {
        return sostituto_(StampanteCorrente());
    }
    QPrintDialog dialogo(&StampanteCorrente(), proprietario_);
    dialogo.setObjectName("CommonDialog1");
    dialogo.setWindowTitle(QStringLiteral("Stampa"));
    return dialogo.exec() == QDialog::Accepted;
}

}  // namespace nodrel
