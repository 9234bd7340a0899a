#pragma once

#include <QStringList>
#include <optional>

namespace nodrel {

// Runs what the command line asks for without any window (--verifica, --decodifica, --componi,
// --aggiorna-comuni, --help, --version, or a wrong use) and gives the exit status. nullopt when it
// asks for the windows; `elenchi` then holds the lists named on it, for the list window.
std::optional<int> RigaDiComando(int argc, char* argv[], QStringList& elenchi);

}  // namespace nodrel
