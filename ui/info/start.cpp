#include "ui/info/start.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "ui/info/form1.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/stato.h"
#include "ui/toolkit/tastiera.h"

namespace nodrel {

namespace {

// Qt's own texts, such as the printer dialog and the fields' context menus, in Italian like
// the rest of the program; without the translations installed they stay in English.
void CaricaTraduzioni() {
    std::unique_ptr<QTranslator>& traduzioni = Interfaccia().traduzioni;
    if (traduzioni) {
        return;
    }
    traduzioni = std::make_unique<QTranslator>();
    if (traduzioni->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(traduzioni.get());
    }
}

}  // namespace

void startProgram() {
    QApplication::setApplicationName(kTitoloApplicazione);
    QApplication::setWindowIcon(QIcon(":/nodrel/icon.svg"));
    CaricaTraduzioni();
    InstallaFiltroMaiuscole();
    Form1::Mostra();
}

}  // namespace nodrel
