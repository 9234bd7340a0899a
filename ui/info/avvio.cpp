#include "ui/info/avvio.h"

#include <QApplication>
#include <QLocale>

#include "register/scelta.h"
#include "ui/info/form1.h"
#include "ui/toolkit/aspetto.h"
#include "ui/toolkit/messaggi.h"

namespace nodrel {

void LocaleDiSistemaItaliano() {
    // Qt reads the system's locale from the environment once, on first use. Read here under an
    // Italian LC_ALL, which is then put back before the QApplication hands the environment to
    // the C library, so that no other part of the program sees the change.
    const bool impostata = qEnvironmentVariableIsSet("LC_ALL");
    const QByteArray prima = qgetenv("LC_ALL");
    qputenv("LC_ALL", "it_IT.UTF-8");
    (void)QLocale::system();
    if (impostata) {
        qputenv("LC_ALL", prima);
    } else {
        qunsetenv("LC_ALL");
    }
}

void PreparaApplicazione() {
    // Also the name of the user's data directory, where the user's own register lies.
    QApplication::setApplicationName(kNomeApplicazione);
    // Every window takes it from here, so its pictures are read once.
    QApplication::setWindowIcon(IconaProgramma());
    // Dates, month names and numbers in Italian whatever the system's.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
}

void MostraInformazioni(void (*principale)()) {
    const Form1* caricata = Form1::Istanza();
    Form1* informazioni = Form1::Mostra();
    if (informazioni != caricata) {
        QObject::connect(informazioni, &Form1::PrincipaleRichiesta, informazioni, principale);
    }
}

}  // namespace nodrel
