#include "ui/toolkit/stampante.h"

#include <QPainter>
#include <QPicture>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

#include "engine/errore.h"
#include "ui/toolkit/stato.h"

namespace nodrel {

QPrinter& StampanteCorrente() {
    std::unique_ptr<QPrinter>& stampante = Interfaccia().stampante;
    if (!stampante) {
        stampante = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *stampante;
}

DialogoStampante::DialogoStampante(QWidget* proprietario)
    : QObject(proprietario), proprietario_(proprietario) {}

void DialogoStampante::SostituisciDialogo(Risposta risposta) {
    Interfaccia().sostituto = std::move(risposta);
}

void DialogoStampante::ShowPrinter() {
    bool confermato = false;
    if (const Risposta& sostituto = Interfaccia().sostituto) {
        confermato = sostituto(StampanteCorrente());
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
    // Qt leaves a PDF printer without a file stuck in the active state after a failed start,
    // and every later print and choice of file would then fail too.
    if (stampante.outputFormat() == QPrinter::PdfFormat && stampante.outputFileName().isEmpty()) {
        throw NODREL1::Errore(NODREL1::kErrStampante, u"Errore della stampante");
    }
    // Qt renders a widget straight onto a printer as one bitmap; recorded first, the text
    // reaches the page as text, sharp at the printer's resolution.
    QPicture immagine;
    {
        QPainter registra(&immagine);
        finestra->render(&registra, QPoint(), QRegion(),
                         QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    QPainter pittore;
    if (!pittore.begin(&stampante)) {
        throw NODREL1::Errore(NODREL1::kErrStampante, u"Errore della stampante");
    }
    // 96 pixels to the inch on paper; playing a picture already scales it from the screen's
    // resolution to the printer's, so only the rest is applied here.
    const double scala = stampante.resolution() / 96.0;
    pittore.scale(scala * immagine.logicalDpiX() / stampante.logicalDpiX(),
                  scala * immagine.logicalDpiY() / stampante.logicalDpiY());
    pittore.drawPicture(0, 0, immagine);
    if (!pittore.end()) {
        throw NODREL1::Errore(NODREL1::kErrStampante, u"Errore della stampante");
    }
}

}  // namespace nodrel
