#include "ui/info/start.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "ui/info/avvio.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
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
// connections made whenever either is loaded.
void Informazioni();

void Principale() {
    MostraPrincipale({}, &Informazioni);
}

void Informazioni() {
    MostraInformazioni(&Principale);
}

}  // namespace

void MostraPrincipale(const QStringList& elenchi, void (*informazioni)()) {
    CaricaTraduzioni();
    const Form2* caricata = Form2::Istanza();
    Form2* principale = Form2::Mostra();
    if (principale != caricata) {
        QObject::connect(principale, &Form2::InformazioniRichieste, principale, informazioni);
    }
    // A main window that waits for its print preview keeps its focus until the preview is left.
    if (principale->Anteprima() == nullptr) {
        principale->Text2->setFocus();
    }
    if (!elenchi.isEmpty()) {
        principale->VerificaElenchi(elenchi);
    }
}

void startProgram(const QStringList& elenchi) {
    PreparaApplicazione();
    if (elenchi.isEmpty()) {
        Informazioni();
        return;
    }
    // Lists named on the command line are what the user came for: straight to them.
    MostraPrincipale(elenchi, &Informazioni);
}

}  // namespace nodrel
