#pragma once

// Which register file the program opens: the one installed beside it, or the user's own, made
// from newer lists of ANPR (register/aggiorna.h). The windows and the command line choose here
// alike, and the information window and the guide say from here which one is in use.

#include <QDate>
#include <QString>

namespace nodrel {

// The name the user's data directory is named after, whichever part of the program asks: the
// windows give it to their application, the command line to its own.
inline constexpr char kNomeApplicazione[] = "Nodrel";

// The register file in a folder: the one place its name is given.
QString FileRegistro(const QString& cartella);

// The folder of the user's own register, in the user's data directory.
QString CartellaUtente();

// The day the lists of a register file were published, as the builder keeps it in the file;
// null for a file that is missing, is no database, or was built before the day was kept.
QDate DataRegistro(const QString& file);

struct RegistroInUso {
    QString file;
    QDate data;           // null when not known
    bool utente = false;  // the user's own, not the one installed with the program
};

// The register to open: the user's own while it is newer than the one beside the program (or
// that one is missing), else the one beside the program.
RegistroInUso SceltaRegistro(const QString& cartellaProgramma);

// The month and year of a release, as the user reads it: "ottobre 2023".
QString MeseRilascio(const QDate& data);

// "Elenco dei comuni: ANPR, ottobre 2023, CC BY 4.0", and which register it is.
QString DescrizioneRegistro(const RegistroInUso& registro);

}  // namespace nodrel
