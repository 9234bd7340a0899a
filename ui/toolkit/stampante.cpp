#include "ui/toolkit/stampante.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

#include "engine/errore.h"

namespace nodrel {

namespace {

DialogoStampante::Risposta& SostitutoDialogo() {
    static DialogoStampante::Risposta risposta;
    return risposta;
}

}  // namespace

QPrinter& StampanteCorrente() {
    static QPrinter stampante(QPrinter::HighResolution);
    return stampante;
}

DialogoStampante::DialogoStampante(QWidget* proprietario)
    : QObject(proprietario), proprietario_(proprietario) {}

void DialogoStampante::SostituisciDialogo(Risposta risposta) {
    SostitutoDialogo() = std::move(risposta);
}

void DialogoStampante::ShowPrinter() {
    bool confermato = false;
    if (SostitutoDialogo()) {
        confermato = SostitutoDialogo()(StampanteCorrente());
    } else {
        QPrintDialog dialogo(&StampanteCorrente(), proprietario_);
        dialogo.setObjectName("CommonDialog1");
        dialogo.setWindowTitle(QStringLiteral("Stampa"));
        confermato = dialogo.exec() == QDialog::Accepted;
    }
    if (!confermato && CancelError) {
        throw NODREL1::Errore(kErrAnnullato, u"Operazione annullata");
    }
}

void StampaFinestra(QWidget* finestra) {
    QPrinter& stampante = StampanteCorrente();
    QPainter pittore;
    if (!pittore.begin(&stampante)) {
        throw NODREL1::Errore(482, u"Errore della stampante");
    }
    const double scala = stampante.resolution() / 96.0;
    pittore.scale(scala, scala);
    finestra->render(&pittore, QPoint(), QRegion(),
                     QWidget::DrawWindowBackground | QWidget::DrawChildren);
    if (!pittore.end()) {
        throw NODREL1::Errore(482, u"Errore della stampante");
    }
}

}  // namespace nodrel
