#include "ui/info/start.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "ui/info/form1.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/stato.h"

namespace nodrel {

namespace {

// Qt's own texts, such as the printer dialog and the fields' context menus, in Italian like
// the rest of the program; without the translations installed they stay in English. Only the
// main window and what it opens show any, so they are loaded when it first is, and the
// information window comes up without reading them.
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

// The two windows know nothing of each other: the information window's OK leads to the main
// window, and the main window's "&Informazioni" back to the information window, through the
// connections made here whenever either is loaded.
void MostraInformazioni();

void MostraPrincipale() {
    CaricaTraduzioni();
    const Form2* caricata = Form2::Istanza();
    Form2* principale = Form2::Mostra();
    if (principale != caricata) {
        QObject::connect(principale, &Form2::InformazioniRichieste, principale,
                         &MostraInformazioni);
    }
    // A main window that waits for its print preview keeps its focus until the preview is left.
    if (principale->Anteprima() == nullptr) {
        principale->Text2->setFocus();
    }
}

void MostraInformazioni() {
    const Form1* caricata = Form1::Istanza();
    Form1* informazioni = Form1::Mostra();
    if (informazioni != caricata) {
        QObject::connect(informazioni, &Form1::PrincipaleRichiesta, informazioni,
                         &MostraPrincipale);
    }
}

}  // namespace

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

void startProgram(const QStringList& elenchi) {
    QApplication::setApplicationName(kTitoloApplicazione);
    QApplication::setWindowIcon(IconaProgramma());
    // Dates, month names and numbers in Italian whatever the system's.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    if (elenchi.isEmpty()) {
        MostraInformazioni();
        return;
    }
    // Lists named on the command line are what the user came for: straight to them.
    MostraPrincipale();
    Form2::Istanza()->VerificaElenchi(elenchi);
}

}  // namespace nodrel
