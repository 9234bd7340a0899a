#include "ui/print/tessera.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <algorithm>

#include "ui/toolkit/controlli.h"
#include "ui/toolkit/stampante.h"
#include "ui/toolkit/twips.h"

namespace nodrel {

namespace {

// A place on the card in twips, as the window's layout gives it, in the drawing's units: the
// layout's picture was 3345 twips high, the card's proportions make it a little lower.
QRectF Twips(int sinistra, int alto, int larghezza, int altezza) {
    const double x = 1.0 / kTwipsPerPixel;
    const double y = kAltezzaDisegno / 3345.0;
    return {sinistra * x, alto * y, larghezza * x, altezza * y};
}

// A value as a frameless text field shows it: two pixels in, centred in its height, one line
// from its first character, cut at the field's edge.
void Campo(QPainter& pittore, const QRectF& posto, const QFont& font, const QString& testo) {
    pittore.save();
    pittore.setClipRect(posto);
    pittore.setFont(font);
    pittore.drawText(posto.adjusted(2, 0, -2, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, testo);
    pittore.restore();
}

// One page on a printer or a PDF writer. The painter starts at the top left of the printable
// area; the card goes as much further in as it takes to lie kMargineMm from the paper's edges.
QString Pagina(QPagedPaintDevice& pagina, const DatiTessera& dati) {
    QPainter pittore;
    if (!pittore.begin(&pagina)) {
        return QStringLiteral("Impossibile avviare la stampa");
    }
    const QMarginsF margini = pagina.pageLayout().margins(QPageLayout::Millimeter);
    const double x = pagina.logicalDpiX() / 25.4;  // device pixels in a millimetre
    const double y = pagina.logicalDpiY() / 25.4;
    const QRectF posto(std::max(0.0, kMargineMm - margini.left()) * x,
                       std::max(0.0, kMargineMm - margini.top()) * y, kLarghezzaTesseraMm * x,
                       kAltezzaTesseraMm * y);
    DisegnaTessera(pittore, posto, dati);
    if (!pittore.end()) {
        return QStringLiteral("Errore durante la stampa");
    }
    return {};
}

}  // namespace

void DisegnaTessera(QPainter& pittore, const QRectF& posto, const DatiTessera& dati) {
    pittore.save();
    pittore.translate(posto.topLeft());
    pittore.scale(posto.width() / kLarghezzaDisegno, posto.height() / kAltezzaDisegno);
    pittore.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QSvgRenderer(QStringLiteral(":/nodrel/card.svg"))
        .render(&pittore, QRectF(0, 0, kLarghezzaDisegno, kAltezzaDisegno));

    // Back to front. The year lies on an opaque white label over the one in the picture.
    const QRectF anno = Twips(120, 2880, 855, 375);
    pittore.fillRect(anno, Qt::white);
    pittore.setPen(QColor(0, 128, 0));
    pittore.setFont(Carattere(Faccia::Arial, 12, true, true));
    pittore.drawText(anno, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("2000"));

    pittore.setPen(Qt::black);
    const QFont font = Carattere(Faccia::MsSansSerif, 8.25, true);
    Campo(pittore, Twips(840, 1440, 3975, 480), Carattere(Faccia::MsSansSerif, 13.5, true),
          dati.codice);
    Campo(pittore, Twips(960, 1920, 3855, 285), font, dati.cognome);
    Campo(pittore, Twips(960, 2160, 2775, 285), font, dati.nome);
    Campo(pittore, Twips(4320, 2160, 495, 285), font, dati.sesso);
    Campo(pittore, Twips(960, 2400, 3495, 285), font, dati.comune);
    Campo(pittore, Twips(960, 2640, 735, 285), font, dati.provincia);
    Campo(pittore, Twips(3120, 2640, 1335, 285), font, dati.data);
    // In the place of the minister's signature.
    Campo(pittore, Twips(3720, 2880, 1095, 360), Carattere(Faccia::MsSansSerif, 8.25, false, true),
          QStringLiteral("FAC-SIMILE"));
    pittore.restore();
}

QString StampaTessera(QPrinter& stampante, const DatiTessera& dati) {
    if (!stampante.isValid()) {
        return QStringLiteral("Stampante non disponibile");
    }
    // Qt leaves a PDF printer without a file stuck in the active state after a failed start,
    // and every later print and choice of file would then fail too.
    if (stampante.outputFormat() == QPrinter::PdfFormat && stampante.outputFileName().isEmpty()) {
        return QStringLiteral("Impossibile avviare la stampa: nessun file indicato");
    }
    QString errore = Pagina(stampante, dati);
    if (errore.isEmpty() && stampante.printerState() == QPrinter::Error) {
        errore = QStringLiteral("Errore durante la stampa");
    }
    return errore;
}

QString EsportaPdf(const QString& percorso, const DatiTessera& dati) {
    const QString fallito =
        QStringLiteral("Impossibile salvare il file ") + QDir::toNativeSeparators(percorso);
    // Made in memory and written whole under another name, then renamed: a failure leaves an
    // earlier file of that name as it was.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter scrittore(&pdf);
        scrittore.setCreator(QStringLiteral("Nodrel"));
        scrittore.setTitle(QStringLiteral("Codice fiscale ") + dati.codice.trimmed());
        // The paper the printer would take, so that the file is what the print would give, with
        // margins of its own: a PDF has no printer's edge to keep away from.
        QPageLayout pagina = StampanteCorrente().pageLayout();
        pagina.setUnits(QPageLayout::Millimeter);
        pagina.setMinimumMargins({});
        pagina.setMargins({kMargineMm, kMargineMm, kMargineMm, kMargineMm});
        scrittore.setPageLayout(pagina);
        if (!Pagina(scrittore, dati).isEmpty()) {
            return fallito;
        }
    }
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf.data()) != pdf.data().size() ||
        !file.commit()) {
        return fallito;
    }
    return {};
}

}  // namespace nodrel
