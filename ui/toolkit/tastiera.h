#pragma once

#include <QChar>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QInputMethodEvent;
class QKeyEvent;
class QWidget;

namespace nodrel {

// Enter, as the character handlers receive it.
inline constexpr QChar kInvio = u'\r';

// Watches one field's keys:
//  - KeyPress comes before the key acts, with the character it gives (kInvio for Enter); the
//    key then acts on that same field, even when a handler moved the focus or showed a message,
//    unless the handler called Scarta or Devia;
//  - KeyUp comes once for each key pressed, right after it acted and before the next key does,
//    while the field still has the focus; a character composed with a dead key comes as
//    Qt::Key_unknown. Real releases are not used: typed fast, the next key is pressed before the
//    last is released.
//  - a field holding one blank only takes the first text typed in its place.
class GestoreTasti : public QObject {
    Q_OBJECT

public:
    explicit GestoreTasti(QWidget* campo);

    // Changes the text each key (or composed character) gives before it acts on the field.
    using Trasformazione = std::function<QString(const QString& testo)>;
    void Trasforma(Trasformazione trasforma) { trasforma_ = std::move(trasforma); }

    // Letters typed, composed, pasted or set show in upper case, whatever the keyboard's Caps
    // Lock.
    void SempreMaiuscole();

    // From a KeyPress handler: the key being handled acts on nothing, or on `campo` alone, as if
    // typed there.
    void Scarta();
    void Devia(QWidget* campo);

signals:
    void KeyPress(QChar carattere);
    void KeyUp(Qt::Key tasto);

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    bool TastoPremuto(QWidget* campo, QKeyEvent* evento);
    bool Composto(QWidget* campo, QInputMethodEvent* evento);
    // Whether a handler listens to KeyUp: a key nobody follows goes on to the field untouched.
    bool Seguito() const;

    QString Trasformato(const QString& testo) const;

    Trasformazione trasforma_;
    bool maiuscole_ = false;
    bool inoltro_ = false;
    bool preso_ = false;         // a handler took the key
    QPointer<QWidget> deviato_;  // and where it sent it
};

}  // namespace nodrel
