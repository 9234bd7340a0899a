#include "lists/sistema.h"

#include <cerrno>

namespace nodrel {

std::string PercheSistema(int errore) {
    switch (errore) {
        case ENOENT:
            return "il file non esiste";
        case EACCES:
        case EPERM:
            return "permesso negato";
        case EISDIR:
            return "è una cartella";
        case ENOSPC:
            return "il disco è pieno";
        case EPIPE:
            return "l'uscita è stata chiusa";
        case EIO:
            return "errore di lettura o scrittura del disco";
        default:
            return "errore di sistema " + std::to_string(errore);
    }
}

}  // namespace nodrel
