#include "ui/toolkit/controlli.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
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

void TextBox::Copia() {
    if (hasSelectedText() && echoMode() == QLineEdit::Normal) {
        QGuiApplication::clipboard()->setText(copia_ ? copia_() : selectedText());
    }
}

void TextBox::Incolla() {
    QString testo = QGuiApplication::clipboard()->text();
    if (pulisci_) {
        testo = pulisci_(testo);
    }
    // As QLineEdit pastes: an empty clipboard still takes the selection away.
    if (!isReadOnly() && (!testo.isEmpty() || hasSelectedText())) {
        insert(testo);
    }
}

void TextBox::keyPressEvent(QKeyEvent* evento) {
    if (copia_ && evento->matches(QKeySequence::Copy)) {
        Copia();
    } else if (pulisci_ && evento->matches(QKeySequence::Paste)) {
        Incolla();
    } else {
        QLineEdit::keyPressEvent(evento);
        return;
    }
    evento->accept();
}

// The field's own menu, with its copy and paste doing what the keys do. Its items carry no names;
// each is known by the shortcut written after its text.
void TextBox::contextMenuEvent(QContextMenuEvent* evento) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto voce = [menu](QKeySequence::StandardKey tasto) -> QAction* {
        const QString scorciatoia = u'\t' + QKeySequence(tasto).toString(QKeySequence::NativeText);
        for (QAction* a : menu->actions()) {
            if (!scorciatoia.isEmpty() && a->text().endsWith(scorciatoia)) {
                return a;
            }
        }
        return nullptr;
    };
    const std::pair<QKeySequence::StandardKey, void (TextBox::*)()> proprie[] = {
        {QKeySequence::Copy, copia_ ? &TextBox::Copia : nullptr},
        {QKeySequence::Paste, pulisci_ ? &TextBox::Incolla : nullptr}};
    for (const auto& [tasto, azione] : proprie) {
        if (QAction* a = azione != nullptr ? voce(tasto) : nullptr) {
            QObject::disconnect(a, &QAction::triggered, this, nullptr);
            connect(a, &QAction::triggered, this, azione);
        }
    }
    menu->popup(evento->globalPos());
}

void TextBox::dropEvent(QDropEvent* evento) {
    if (!pulisci_ || !evento->mimeData()->hasText()) {
        QLineEdit::dropEvent(evento);
        return;
    }
    QMimeData pulito;
    pulito.setText(pulisci_(evento->mimeData()->text()));
    QDropEvent copia(evento->position(), evento->possibleActions(), &pulito, evento->buttons(),
                     evento->modifiers(), evento->type());
    QLineEdit::dropEvent(&copia);
    evento->setDropAction(copia.dropAction());
    evento->setAccepted(copia.isAccepted());
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
