#pragma once

// The user's own register, made from newer lists of ANPR without root: the window's "Aggiorna
// elenco comuni..." and the command line's --aggiorna-comuni.

#include <QString>
#include <QStringList>
#include <memory>

#include "engine/registro.h"
#include "register/scelta.h"

namespace nodrel {

struct Aggiornamento {
    bool fatto = false;
    // Why nothing changed: a list that fails is named with its line, as the build tool names it.
    QString perche;
    // What the window tells the user: the register now in use, or why nothing changed and the
    // register that stays in use.
    QString messaggio;
    // The register in use afterwards, and when one was made, its rows read.
    RegistroInUso inUso;
    std::shared_ptr<const NODREL1::Registro> registro;
};

// Makes the user's own register (CartellaUtente) from the archive of municipalities and the
// table of foreign states of ANPR, as downloaded, in either order, or from the zip that holds
// them. The lists are checked as the build tool checks them, with the ceased states and the
// common names of states that lie beside the program in `cartellaProgramma`. Lists that fail, or
// that are no newer than the register installed, leave everything as it was.
Aggiornamento AggiornaRegistro(const QStringList& file, const QString& cartellaProgramma);

}  // namespace nodrel
