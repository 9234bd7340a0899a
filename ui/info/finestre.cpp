#include "ui/info/finestre.h"

#include <QtGlobal>

#include "cli/riga_di_comando.h"
#include "ui/info/start.h"

extern "C" Q_DECL_EXPORT const nodrel::Finestre* nodrel_finestre() {
    static const nodrel::Finestre finestre{&nodrel::RigaDiComando, &nodrel::MostraPrincipale};
    return &finestre;
}
