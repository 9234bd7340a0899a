#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QMenu;

namespace nodrel {

class Form2;

// A person as the main window showed it when the code was composed or decoded.
struct PersonaRecente {
    QString codice;
    QString cognome;
    QString nome;
    QString sesso;
    QString comune;
    QString provincia;
    QString data;
    QString catastale;  // Text8, so that the same municipality is chosen again
};

inline constexpr int kMassimoRecenti = 50;

// The people last composed or decoded, the latest first, as the user's settings keep them.
QList<PersonaRecente> PersoneRecenti();
// Puts a person first; an earlier entry with the same code goes, and the oldest past the 50th.
void RicordaPersona(const PersonaRecente& persona);
void DimenticaPersone();

// The main window's menu "&Recenti" (Ctrl+R opens it): the people last composed or decoded, each
// filling the window's fields as they were, and "Cancella cronologia". Read from the settings
// each time it opens, so that two programs open at once show the same people.
class Recenti : public QObject {
    Q_OBJECT

public:
    Recenti(Form2* finestra, QMenu* menu);

    // The window's fields, after a code was composed or decoded.
    void Ricorda();
    void Scegli(const PersonaRecente& persona);

private:
    void Riempi();

    Form2* finestra_;
    QMenu* menu_;
};

}  // namespace nodrel
