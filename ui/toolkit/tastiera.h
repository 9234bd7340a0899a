#pragma once

#include <QObject>
#include <functional>

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
int CodiceTasto(const QKeyEvent& evento);

// Watches one field's keys:
//  - the character handler runs before the key acts, with the character's code; the key then
//    acts on that same field, even when the handler moved the focus or showed a message;
//  - the key-up handler runs once for each key pressed, right after it acted and before the next
//    key does, while the field still has the focus. Real releases are not used: typed fast, the
//    next key is pressed before the last is released.
//  - a field holding one blank only takes the first text typed in its place.
class GestoreTasti : public QObject {
public:
    using SuCarattere = std::function<void(int codice)>;
    using SuRilascio = std::function<void(int codiceTasto, int maiuscolo)>;

    explicit GestoreTasti(QWidget* campo, SuCarattere carattere = {}, SuRilascio rilascio = {});

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    bool TastoPremuto(QWidget* campo, QKeyEvent* evento);

    SuCarattere carattere_;
    SuRilascio rilascio_;
    bool inoltro_ = false;
};

}  // namespace nodrel
