#include "ui/toolkit/aspetto.h"

#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPalette>
#include <cmath>

#include "ui/toolkit/twips.h"

namespace nodrel {

QFont Carattere(Faccia faccia, double punti, bool grassetto, bool corsivo) {
    QFont f;
    switch (faccia) {
        case Faccia::MsSansSerif:
        case Faccia::Arial:
            f.setFamilies({"Liberation Sans", "Arial", "DejaVu Sans"});
            f.setStyleHint(QFont::SansSerif);
            break;
        case Faccia::TimesNewRoman:
            f.setFamilies({"Liberation Serif", "Times New Roman", "DejaVu Serif"});
            f.setStyleHint(QFont::Serif);
            break;
        case Faccia::TempusSans:
            f.setFamilies({"Tempus Sans ITC", "URW Chancery L", "Z003", "Liberation Sans"});
            f.setStyleHint(QFont::Decorative);
            break;
    }
    // Sizes in pixels at 96 dots per inch, like the layouts in twips, so that text fits the
    // same boxes whatever the screen reports.
    f.setPixelSize(static_cast<int>(std::lround(punti * 96.0 / 72.0)));
    f.setBold(grassetto);
    f.setItalic(corsivo);
    return f;
}

void Posiziona(QWidget* controllo, int sinistra, int alto, int larghezza, int altezza) {
    controllo->setGeometry(Px(sinistra), Px(alto), Px(larghezza), Px(altezza));
}

QPixmap DisegnoPronto(const QString& risorsa) {
    // Read by Qt's own PNG reader: a reader left to find the format loads every image format
    // plugin installed first, to ask each whether it takes PNG, before the first window shows.
    QImageReader lettore(risorsa, "png");
    lettore.setAutoDetectImageFormat(false);
    QImage immagine = lettore.read();
    // The build stored the painter's premultiplied pixels as they were (ui/disegna.cpp).
    immagine.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return QPixmap::fromImage(std::move(immagine));
}

QIcon IconaProgramma() {
    QIcon icona;
    for (const int lato : {16, 32, 64, 128}) {
        icona.addPixmap(DisegnoPronto(QStringLiteral(":/nodrel/icon%1.png").arg(lato)));
    }
    return icona;
}

QLabel* Etichetta(QWidget* genitore, const char* nome, const QString& testo, const QFont& font,
                  QColor testoColore, QColor sfondo) {
    auto* etichetta = new QLabel(testo, genitore);
    etichetta->setObjectName(nome);
    etichetta->setFont(font);
    etichetta->setWordWrap(true);
    etichetta->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette p = etichetta->palette();
    p.setColor(QPalette::WindowText, testoColore);
    if (sfondo.isValid()) {
        p.setColor(QPalette::Window, sfondo);
        etichetta->setAutoFillBackground(true);
    }
    etichetta->setPalette(p);
    return etichetta;
}

}  // namespace nodrel
