#pragma once

#include <QStringList>

namespace nodrel {

// nodrel --aggiorna-comuni ARCHIVIO STATI (or the zip that holds them): the user's own register
// made from newer lists of ANPR, as the window's "Aggiorna elenco comuni..." makes it. Gives the
// exit status: 0 made, 1 the lists refused (the line that failed on standard error), 2 a wrong
// use. A core application must exist.
int AggiornaComuni(const QStringList& file);

}  // namespace nodrel
