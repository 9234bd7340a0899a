// The main window's commands for help and for the register: the guide, and the register of
// municipalities updated from newer lists of ANPR by the user, without root.

#include <QApplication>
#include <QFileDialog>
#include <QStandardPaths>

#include "register/aggiorna.h"
#include "ui/aiuto/form5.h"
#include "ui/elenco/form4.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/programma.h"

namespace nodrel {

void Form2::mnguida_Click() {
    // F1 in the list window opens the guide at the lists; anywhere else the guide opens as it
    // stands, at its top the first time.
    const bool elenco = qobject_cast<Form4*>(QApplication::activeWindow()) != nullptr;
    Form5::Mostra(this, elenco ? QString::fromLatin1(kGuidaElenchi) : QString());
}

void Form2::mnaggiorna_Click() {
    QFileDialog dialogo(this, QStringLiteral("Aggiorna elenco comuni: scegliere i due file "
                                             "dell'ANPR o lo zip che li contiene"));
    dialogo.setObjectName("DialogoAggiorna");
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setAcceptMode(QFileDialog::AcceptOpen);
    dialogo.setFileMode(QFileDialog::ExistingFiles);
    // Where a browser leaves what it downloads.
    dialogo.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    dialogo.setNameFilters(
        {QStringLiteral("File dell'ANPR (*.csv *.zip)"), QStringLiteral("Tutti i file (*)")});
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Aggiornamento esito = AggiornaRegistro(dialogo.selectedFiles(), CartellaProgramma());
    QApplication::restoreOverrideCursor();
    if (esito.fatto) {
        // The new register from now on, for the fields and for the lists checked next; the
        // municipality chosen is looked for in it, as the same record, or else chosen again.
        std::optional<NODREL1::Comune> scelto;
        if (completamento.scelto && modulo.registro) {
            scelto = (*modulo.registro)[*completamento.scelto];
        }
        modulo.registro = esito.registro;
        completamento.scelto.reset();
        if (scelto) {
            for (const NODREL1::Comune& c : modulo.registro->Omonimi(scelto->nome)) {
                if (c.codice == scelto->codice && !completamento.scelto) {
                    completamento.scelto = modulo.registro->PosizioneDi(c);
                }
            }
        }
        for (Form4* elenco : findChildren<Form4*>()) {
            elenco->ImpostaRegistro(modulo.registro);
        }
    }
    nodrel::MsgBox(this, esito.messaggio);
}

}  // namespace nodrel
