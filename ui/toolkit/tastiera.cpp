#include "ui/toolkit/tastiera.h"

#include <QApplication>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/toolkit/stato.h"

namespace nodrel {

namespace {

// X11 reports the desktop's Caps Lock in the key event's native state (LockMask).
constexpr quint32 kLockMaskX11 = 1u << 1;

bool ProduceCarattere(const QKeyEvent& e) {
    switch (e.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return false;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Backspace:
        case Qt::Key_Escape:
            return true;
        default:
            return !e.text().isEmpty() && e.text().at(0) != QChar(0x7f);
    }
}

// Whether a key puts text into a field: a character that shows, or the paste keys.
bool ScriveTesto(const QKeyEvent& e) {
    return e.matches(QKeySequence::Paste) || (!e.text().isEmpty() && e.text().at(0).isPrint());
}

// The text a letter key gives under the program's Caps Lock: upper case while it is on; while
// it is off, the desktop's Caps Lock (if any) is undone, so the key works as one Caps Lock.
QString TestoConMaiuscole(const QKeyEvent& e) {
    const QString testo = e.text();
    if (Maiuscole::Accese()) {
        return testo.toUpper();
    }
    if (QGuiApplication::platformName() == QLatin1String("xcb") &&
        (e.nativeModifiers() & kLockMaskX11) != 0) {
        return (e.modifiers() & Qt::ShiftModifier) ? testo.toUpper() : testo.toLower();
    }
    return testo;
}

class FiltroCapsLock : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override {
        // A key the focus widget ignores travels on to its parents, through this filter again;
        // only its first receiver counts.
        if (evento->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(evento)->key() == Qt::Key_CapsLock && oggetto->isWidgetType()) {
            QWidget* fuoco = QApplication::focusWidget();
            auto* w = static_cast<QWidget*>(oggetto);
            if (fuoco != nullptr ? w == fuoco : w->isWindow()) {
                Maiuscole::Imposta(!Maiuscole::Accese());
            }
        }
        return false;
    }
};

}  // namespace

namespace Maiuscole {
void Attiva() {
    Interfaccia().maiuscole = true;
}
void Imposta(bool accese) {
    Interfaccia().maiuscole = accese;
}
bool Accese() {
    return Interfaccia().maiuscole;
}
}  // namespace Maiuscole

void InstallaFiltroMaiuscole() {
    auto& filtro = Interfaccia().filtroMaiuscole;
    if (!filtro) {
        filtro = std::make_unique<FiltroCapsLock>();
        QCoreApplication::instance()->installEventFilter(filtro.get());
    }
}

GestoreTasti::GestoreTasti(QWidget* campo) : QObject(campo) {
    campo->installEventFilter(this);
}

bool GestoreTasti::Seguito() const {
    return isSignalConnected(QMetaMethod::fromSignal(&GestoreTasti::KeyUp));
}

bool GestoreTasti::eventFilter(QObject* oggetto, QEvent* evento) {
    if (inoltro_ || !oggetto->isWidgetType()) {
        return false;
    }
    if (evento->type() == QEvent::KeyPress) {
        return TastoPremuto(static_cast<QWidget*>(oggetto), static_cast<QKeyEvent*>(evento));
    }
    if (evento->type() == QEvent::InputMethod) {
        return Composto(static_cast<QWidget*>(oggetto), static_cast<QInputMethodEvent*>(evento));
    }
    return false;
}

// A character composed with a dead key (an accent, then the letter) comes from the input method,
// not as a key: it is changed and followed by the key-up handler all the same.
bool GestoreTasti::Composto(QWidget* campo, QInputMethodEvent* e) {
    if (e->commitString().isEmpty() || (!trasforma_ && !Seguito())) {
        return false;
    }
    QString testo = Maiuscole::Accese() ? e->commitString().toUpper() : e->commitString();
    if (trasforma_) {
        testo = trasforma_(testo);
    }
    QInputMethodEvent sostituto(e->preeditString(), e->attributes());
    sostituto.setCommitString(testo, e->replacementStart(), e->replacementLength());
    QPointer<QWidget> vivo(campo);
    inoltro_ = true;
    QCoreApplication::sendEvent(campo, &sostituto);
    inoltro_ = false;
    if (vivo && campo->hasFocus()) {
        emit KeyUp(Qt::Key_unknown);
    }
    return true;
}

bool GestoreTasti::TastoPremuto(QWidget* campo, QKeyEvent* e) {
    QPointer<QWidget> vivo(campo);
    // A field that holds one blank only, as most fields start, takes the first text typed or
    // pasted in its place, so that no name begins with a blank.
    auto* riga = qobject_cast<QLineEdit*>(campo);
    if (riga != nullptr && riga->text() == QLatin1String(" ") && ScriveTesto(*e)) {
        riga->selectAll();
    }
    QString testo = TestoConMaiuscole(*e);
    if (trasforma_ && !testo.isEmpty() && testo.at(0).isPrint()) {
        testo = trasforma_(testo);
    }
    if (ProduceCarattere(*e)) {
        QChar carattere = testo.isEmpty() ? QChar() : testo.at(0);
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            carattere = kInvio;
        }
        emit KeyPress(carattere);
        if (!vivo) {
            return true;
        }
    }
    if (testo == e->text() && !Seguito()) {
        return false;  // the key goes on to this field as usual
    }
    // The key acts on the field here and now, with its upper-cased text, so that the key-up
    // handler follows it at once: a real release may come only after the next key has acted.
    QKeyEvent sostituto(e->type(), e->key(), e->modifiers(), e->nativeScanCode(),
                        e->nativeVirtualKey(), e->nativeModifiers(), testo, e->isAutoRepeat(),
                        e->count());
    inoltro_ = true;
    QCoreApplication::sendEvent(campo, &sostituto);
    inoltro_ = false;
    // As a release would, it goes to the field only while that keeps the focus (Tab moves it).
    if (vivo && campo->hasFocus()) {
        emit KeyUp(static_cast<Qt::Key>(e->key()));
    }
    return true;
}

}  // namespace nodrel

#include "tastiera.moc"
