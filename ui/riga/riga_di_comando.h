#pragma once

#include <optional>

namespace nodrel {

// Runs the command line's --verifica, --decodifica or --help and gives the exit status; nullopt
// when the arguments ask for the windows.
std::optional<int> RigaDiComando(int argc, char* argv[]);

}  // namespace nodrel
