#include "ui/toolkit/twips.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <functional>

namespace nodrel {

int Px(int twips) {
    return static_cast<int>(std::lround(twips / double(kTwipsPerPixel)));
}

namespace {

// One edge moved as little as needed to keep the window on the available area. The far edge
// first, so that a window too large for the area keeps its near edge in reach.
int Dentro(int bordo, int esterno, int inizio, int disponibile) {
    return std::max(inizio, std::min(bordo, inizio + disponibile - esterno));
}

void Centra(QWidget* finestra) {
    QScreen* schermo = finestra->screen() ? finestra->screen() : QGuiApplication::primaryScreen();
    if (schermo == nullptr) {
        return;
    }
    finestra->move(PosizioneCentrata(schermo->geometry(), schermo->availableGeometry(),
                                     finestra->frameGeometry().size()));
}

// An X11 window manager frames a window only after it is mapped, and tells the frame's size later
// still; until then the window knows only its client area. This runs a step the first time the
// window learns of a frame. The native window is asked, since the widget's own idea of its frame
// lags behind the events that bring it.
class AttesaCornice : public QObject {
    Q_OBJECT

public:
    AttesaCornice(QWindow* finestra, std::function<void(QWindow*)> passo)
        : QObject(finestra), passo_(std::move(passo)) {
        finestra->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override {
        const QEvent::Type tipo = evento->type();
        if (tipo != QEvent::Expose && tipo != QEvent::Move && tipo != QEvent::Resize) {
            return false;
        }
        auto* finestra = static_cast<QWindow*>(oggetto);
        const QMargins cornice = finestra->frameMargins();
        // Halfway through the framing the margins can come out negative.
        if (cornice.isNull() || cornice.left() < 0 || cornice.top() < 0 || cornice.right() < 0 ||
            cornice.bottom() < 0) {
            return false;
        }
        finestra->removeEventFilter(this);
        deleteLater();
        passo_(finestra);
        return false;
    }

private:
    std::function<void(QWindow*)> passo_;
};

// The frame a window manager usually gives, for a window not framed yet: in the screen's own
// pixels, which a scaled program's are a fraction of.
constexpr QMargins kCorniceProbabile(4, 30, 4, 4);

QMargins Cornice(const QWidget* finestra) {
    const QWindow* nativa = finestra->windowHandle();
    const QMargins cornice = nativa != nullptr ? nativa->frameMargins() : QMargins();
    if (!cornice.isNull()) {
        return cornice;
    }
    const QScreen* schermo = finestra->screen();
    const qreal scala = schermo != nullptr ? schermo->devicePixelRatio() : 1;
    return {qCeil(kCorniceProbabile.left() / scala), qCeil(kCorniceProbabile.top() / scala),
            qCeil(kCorniceProbabile.right() / scala), qCeil(kCorniceProbabile.bottom() / scala)};
}

QRect Disponibile(const QWidget* finestra) {
    QScreen* schermo = finestra->screen() ? finestra->screen() : QGuiApplication::primaryScreen();
    return schermo != nullptr ? schermo->availableGeometry() : QRect();
}

}  // namespace

QPoint PosizioneCentrata(const QRect& schermo, const QRect& disponibile, QSize esterno) {
    // An empty size centred in the room the window leaves (negative for a window larger than the
    // screen) lies at half that room, truncated toward zero. That is the rule: at 15 twips to the
    // pixel the difference has no fraction to round, and halving it in twips and converting
    // gives the pixel that halving it in pixels gives. Centring the window's own size instead
    // would put it a pixel off when both sizes are odd, for each would be halved by itself.
    const QRect avanzo(schermo.topLeft(), schermo.size() - esterno);
    const QPoint centrato =
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, QSize(0, 0), avanzo).topLeft();
    return {Dentro(centrato.x(), esterno.width(), disponibile.left(), disponibile.width()),
            Dentro(centrato.y(), esterno.height(), disponibile.top(), disponibile.height())};
}

void CentraFinestra(QWidget* finestra) {
    // The native window holds the frame's size, once there is one to hold.
    finestra->winId();
    Centra(finestra);
    if (finestra->windowHandle()->frameMargins().isNull()) {
        new AttesaCornice(finestra->windowHandle(), [](QWindow* nativa) {
            if (QScreen* schermo = nativa->screen()) {
                nativa->setFramePosition(PosizioneCentrata(schermo->geometry(),
                                                           schermo->availableGeometry(),
                                                           nativa->frameGeometry().size()));
            }
        });
    }
}

QSize DentroLoSchermo(const QWidget* finestra, QSize voluta) {
    const QRect disponibile = Disponibile(finestra);
    if (disponibile.isEmpty()) {
        return voluta;
    }
    const QMargins cornice = Cornice(finestra);
    return voluta.boundedTo(disponibile.size().shrunkBy(cornice));
}

void TieniNelloSchermo(QWidget* finestra) {
    finestra->resize(DentroLoSchermo(finestra, finestra->size()));
    finestra->winId();
    if (!finestra->windowHandle()->frameMargins().isNull()) {
        return;
    }
    // Once framed: smaller if the real frame is larger than the one supposed, then moved as
    // little as it takes to lie on the available area.
    QPointer<QWidget> widget(finestra);
    new AttesaCornice(finestra->windowHandle(), [widget](QWindow* nativa) {
        if (!widget) {
            return;
        }
        widget->resize(DentroLoSchermo(widget, widget->size()));
        const QRect disponibile = Disponibile(widget);
        const QSize esterno = nativa->frameGeometry().size();
        const QPoint da = nativa->framePosition();
        const QPoint a(Dentro(da.x(), esterno.width(), disponibile.left(), disponibile.width()),
                       Dentro(da.y(), esterno.height(), disponibile.top(), disponibile.height()));
        if (a != da) {
            nativa->setFramePosition(a);
        }
    });
}

}  // namespace nodrel

#include "twips.moc"
