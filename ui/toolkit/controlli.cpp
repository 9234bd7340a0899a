#include "ui/toolkit/controlli.h"

#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
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

QColor ColoreRgb(int valore) {
    if (valore < 0) {
        return QPalette().color(QPalette::Active, QPalette::WindowText);
    }
    return QColor(valore & 0xff, (valore >> 8) & 0xff, (valore >> 16) & 0xff);
}

TextBox::TextBox(QWidget* genitore, const char* nome) : QLineEdit(genitore) {
    setObjectName(nome);
}

void TextBox::SetForeColor(int valore) {
    foreColor_ = valore;
    QPalette p = palette();
    p.setColor(QPalette::Text, ColoreRgb(valore));
    setPalette(p);
}

QPixmap Disegno(const QString& risorsa, QSize dimensione) {
    QSvgRenderer renderer(risorsa);
    if (!dimensione.isValid()) {
        dimensione = renderer.defaultSize();
    }
    QPixmap pixmap(dimensione);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
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

Immagine::Immagine(QWidget* genitore, const char* nome, const QString& risorsa)
    : QToolButton(genitore), disegno_(Disegno(risorsa)) {
    setObjectName(nome);
    setFocusPolicy(Qt::NoFocus);
}

// Drawn as a label draws its picture: at the top left, greyed in the colours of the band while
// the window is disabled; no frame, whether pressed or under the pointer.
void Immagine::paintEvent(QPaintEvent*) {
    QPainter pittore(this);
    QStyleOption opzione;
    opzione.initFrom(this);
    const QPixmap disegno =
        isEnabled() ? disegno_ : style()->generatedIconPixmap(QIcon::Disabled, disegno_, &opzione);
    style()->drawItemPixmap(&pittore, rect(), Qt::AlignLeft | Qt::AlignTop, disegno);
}

namespace {

class Tratto : public QWidget {
    Q_OBJECT

public:
    Tratto(QWidget* genitore, QPoint da, QPoint a, QColor colore)
        : QWidget(genitore), da_(da), a_(a), colore_(colore) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(colore_, 1));
        p.drawLine(da_, a_);
    }

private:
    QPoint da_, a_;
    QColor colore_;
};

}  // namespace

QWidget* Linea(QWidget* genitore, const char* nome, int x1, int y1, int x2, int y2, QColor colore) {
    const QPoint da(Px(x1), Px(y1));
    const QPoint a(Px(x2), Px(y2));
    const QRect area = QRect(da, a).normalized().adjusted(0, 0, 1, 1);
    auto* linea = new Tratto(genitore, da - area.topLeft(), a - area.topLeft(), colore);
    linea->setObjectName(nome);
    linea->setGeometry(area);
    return linea;
}

QWidget* Rettangolo(QWidget* genitore, const char* nome, QColor colore) {
    auto* forma = new QWidget(genitore);
    forma->setObjectName(nome);
    forma->setAutoFillBackground(true);
    QPalette p = forma->palette();
    p.setColor(QPalette::Window, colore);
    forma->setPalette(p);
    return forma;
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

#include "controlli.moc"
