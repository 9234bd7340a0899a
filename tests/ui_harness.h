#pragma once

// Drives the windows as a user would: keys go to the widget that has the focus, and every
// message box the program opens is answered with OK and remembered.

#include <QString>
#include <QStringList>
#include <Qt>

#include <ostream>

class QWidget;

// GoogleTest shows a QString as text, not as its bytes.
inline void PrintTo(const QString& testo, std::ostream* os) {
    *os << '"' << testo.toStdString() << '"';
}

namespace nodrel {
class Form2;
}

namespace prova {

// Closes every window, forgets the engine's state and starts the program afresh, with the
// register looked for in `cartella` (the tests' own directory when empty).
void Avvia(const QString& cartella = {}, const QStringList& elenchi = {});
// Starts the program and presses "OK" in the information window.
nodrel::Form2* ApriPrincipale(const QString& cartella = {});
// Closes every window and lets the deleted ones go.
void ChiudiTutto();

// Runs queued events, deferred deletions included.
void Elabora();

// One key pressed and released, each delivered to whichever widget has the focus at that
// moment, like the keyboard does.
void Premi(Qt::Key tasto, Qt::KeyboardModifiers modificatori = Qt::NoModifier);
// Types a text one character at a time.
void Scrivi(const QString& testo);
// Types a text as a fast typist does: each key goes down before the one before it comes up
// (press A, press B, release A, ...), and a capital is typed with Shift round it. "\r" is Enter.
void Sovrapponi(const QString& testo);
void Invio();

QWidget* Fuoco();
QString NomeFuoco();

// The message boxes shown since the last call, answered with OK.
QStringList Messaggi();
// The message boxes shown since the last call that were not modal, titled "Nodrel", without an
// icon and with an OK button only; each as its text and what was wrong with it.
QStringList MessaggiIrregolari();

// Chooses the municipality of a cadastral code as Down and Up do: Text6, Text8 and the
// completion's state, the record the user's choice. Text5 is the caller's.
void ScegliComune(nodrel::Form2* finestra, const char16_t* codice);

// Clicks a widget (a toolbar picture, a button) in its middle.
void Clicca(QWidget* controllo);
// Triggers a menu item of the main window by its name.
void Menu(nodrel::Form2* finestra, const char* voce);

}  // namespace prova
