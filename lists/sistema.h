#pragma once

// The system's reason for a failure, in Italian: its own texts follow the locale, often English.

#include <string>

namespace nodrel {

std::string PercheSistema(int errore);

}  // namespace nodrel
