#include "ui/toolkit/tastiera.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPointer>
#include <QValidator>
#include <QWidget>
#include <algorithm>

namespace nodrel {

namespace {

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

// Catches what reaches the field other than by a key: a paste from the menu or the mouse, a
// drop, a text set. Keys are upper-cased before they act, so for them this changes nothing and
// the field keeps one undo step a key.
class SoloMaiuscole : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString& testo, int& posizione) const override {
        testo = testo.toUpper();
        posizione = std::min(posizione, static_cast<int>(testo.size()));
        return Acceptable;
    }
};

}  // namespace

GestoreTasti::GestoreTasti(QWidget* campo) : QObject(campo) {
    campo->installEventFilter(this);
}

void GestoreTasti::SempreMaiuscole() {
    maiuscole_ = true;
    if (auto* riga = qobject_cast<QLineEdit*>(parent())) {
        riga->setValidator(new SoloMaiuscole(riga));
    }
}

void GestoreTasti::Scarta() {
    preso_ = true;
    deviato_ = nullptr;
}

void GestoreTasti::Devia(QWidget* campo) {
    preso_ = true;
    deviato_ = campo;
}

QString GestoreTasti::Trasformato(const QString& testo) const {
    const QString lettere = maiuscole_ ? testo.toUpper() : testo;
    return trasforma_ ? trasforma_(lettere) : lettere;
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
    if (e->commitString().isEmpty() || (!trasforma_ && !maiuscole_ && !Seguito())) {
        return false;
    }
    const QString testo = Trasformato(e->commitString());
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
    QString testo = e->text();
    if (!testo.isEmpty() && testo.at(0).isPrint()) {
        testo = Trasformato(testo);
    }
    if (ProduceCarattere(*e)) {
        QChar carattere = testo.isEmpty() ? QChar() : testo.at(0);
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            carattere = kInvio;
        }
        preso_ = false;
        deviato_ = nullptr;
        emit KeyPress(carattere);
        if (!vivo) {
            return true;
        }
        if (preso_) {
            // Sent on as it came, so that the other field's own watcher sees it too.
            if (deviato_) {
                QKeyEvent deviata(e->type(), e->key(), e->modifiers(), e->nativeScanCode(),
                                  e->nativeVirtualKey(), e->nativeModifiers(), e->text(),
                                  e->isAutoRepeat(), e->count());
                QCoreApplication::sendEvent(deviato_, &deviata);
            }
            return true;
        }
    }
    const bool cambiato = testo != e->text();
    if (!cambiato && !Seguito()) {
        return false;  // the key goes on to this field as usual
    }
    // The key acts on the field here and now, with its changed text, so that the key-up
    // handler follows it at once: a real release may come only after the next key has acted.
    // A key whose text stays is handed on itself, through notify() as the window system's keys
    // are: it has had its shortcut check, which Qt gives again to any key sent by the program
    // (sendEvent() takes a user's key for one), and which costs as much as the key itself.
    inoltro_ = true;
    if (cambiato) {
        QKeyEvent sostituto(e->type(), e->key(), e->modifiers(), e->nativeScanCode(),
                            e->nativeVirtualKey(), e->nativeModifiers(), testo, e->isAutoRepeat(),
                            e->count());
        QCoreApplication::sendEvent(campo, &sostituto);
    } else {
        QCoreApplication::instance()->notify(campo, e);
        // Taken here, as a copy would be: the key is not handed on once more to the parents.
        e->accept();
    }
    inoltro_ = false;
    // As a release would, it goes to the field only while that keeps the focus (Tab moves it).
    if (vivo && campo->hasFocus()) {
        emit KeyUp(static_cast<Qt::Key>(e->key()));
    }
    return true;
}

}  // namespace nodrel

#include "tastiera.moc"
