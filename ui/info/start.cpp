#include "ui/info/start.h"

#include <QApplication>
#include <QIcon>

#include "ui/info/form1.h"
#include "ui/toolkit/messaggi.h"

namespace nodrel {

void startProgram() {
    QApplication::setApplicationName(kTitoloApplicazione);
    QApplication::setWindowIcon(QIcon(":/nodrel/icon.svg"));
    Form1::Mostra();
}

}  // namespace nodrel
