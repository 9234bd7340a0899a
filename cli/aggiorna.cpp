// The command line's update of the register of municipalities.

#include "cli/aggiorna.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "register/aggiorna.h"

namespace nodrel {

int AggiornaComuni(const QStringList& file) {
    const Aggiornamento esito = AggiornaRegistro(file, QCoreApplication::applicationDirPath());
    if (!esito.fatto) {
        std::fprintf(stderr, "nodrel: elenco dei comuni non aggiornato: %s\n",
                     esito.perche.toLocal8Bit().constData());
        return 1;
    }
    std::printf("nodrel: elenco dei comuni aggiornato (ANPR, %s): %s\n",
                MeseRilascio(esito.inUso.data).toLocal8Bit().constData(),
                QDir::toNativeSeparators(esito.inUso.file).toLocal8Bit().constData());
    return 0;
}

}  // namespace nodrel
