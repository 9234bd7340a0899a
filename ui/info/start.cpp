#include "ui/info/start.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "ui/info/form1.h"
#include "ui/toolkit/messaggi.h"

namespace nodrel {

namespace {

// Qt's own texts, such as the printer dialog and the fields' context menus, in Italian like
// the rest of the program; without the translations installed they stay in English.
void CaricaTraduzioni() {
    static bool caricate = false;
    if (caricate) {
        return;
    }
    caricate = true;
    auto* traduzioni = new QTranslator(QCoreApplication::instance());
    if (traduzioni->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(traduzioni);
    }
}

}  // namespace

void startProgram() {
    QApplication::setApplicationName(kTitoloApplicazione);
    QApplication::setWindowIcon(QIcon(":/nodrel/icon.svg"));
    CaricaTraduzioni();
    Form1::Mostra();
}

}  // namespace nodrel
