#include "ui/toolkit/controlli.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <cmath>

#include "ui/toolkit/twips.h"

namespace nodrel {

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

}  // namespace nodrel

#include "controlli.moc"
