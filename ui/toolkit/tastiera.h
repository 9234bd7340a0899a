#pragma once

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

// Key codes as the key handlers see them (Enter is 13).
inline constexpr int kTastoInvio = 13;
inline constexpr int kTastoBackspace = 8;
inline constexpr int kTastoSu = 38;
inline constexpr int kTastoGiu = 40;
int CodiceTasto(const QKeyEvent& evento);

// Watches one field's keys:
//  - the character handler runs before the key acts, with the character's code; the key then
//    acts on that same field, even when the handler moved the focus or showed a message;
//  - the key-up handler runs once for each key pressed, right after it acted and before the next
//    key does, while the field still has the focus. Real releases are not used: typed fast, the
//    next key is pressed before the last is released.
//  - a field holding one blank only takes the first text typed in its place.
class GestoreTasti : public QObject {
    Q_OBJECT

public:
    using SuCarattere = std::function<void(int codice)>;
    using SuRilascio = std::function<void(int codiceTasto, int maiuscolo)>;

    explicit GestoreTasti(QWidget* campo, SuCarattere carattere = {}, SuRilascio rilascio = {});

    // Changes the text each key (or composed character) gives before it acts on the field.
    using Trasformazione = std::function<QString(const QString& testo)>;
    void Trasforma(Trasformazione trasforma) { trasforma_ = std::move(trasforma); }

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    bool TastoPremuto(QWidget* campo, QKeyEvent* evento);
    bool Composto(QWidget* campo, QInputMethodEvent* evento);

    SuCarattere carattere_;
    SuRilascio rilascio_;
    Trasformazione trasforma_;
    bool inoltro_ = false;
};

}  // namespace nodrel
