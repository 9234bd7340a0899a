#pragma once

#include <QChar>
#include <QObject>
#include <QString>
#include <functional>

class QInputMethodEvent;
class QKeyEvent;
class QWidget;

namespace nodrel {

// The program's own Caps Lock: while it is on, letters typed into the fields that a
// GestoreTasti watches arrive in upper case. The desktop's Caps Lock is left alone.
namespace Maiuscole {
void Attiva();
void Imposta(bool accese);
bool Accese();
}  // namespace Maiuscole

// Lets the Caps Lock key toggle the program's Caps Lock in whichever window has the focus; once,
// at start-up.
void InstallaFiltroMaiuscole();

// Enter, as the character handlers receive it.
inline constexpr QChar kInvio = u'\r';

// Watches one field's keys:
//  - KeyPress comes before the key acts, with the character it gives (kInvio for Enter, upper
//    case under the program's Caps Lock); the key then acts on that same field, even when a
//    handler moved the focus or showed a message;
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

    Trasformazione trasforma_;
    bool inoltro_ = false;
};

}  // namespace nodrel
