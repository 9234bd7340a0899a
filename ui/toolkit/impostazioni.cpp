#include "ui/toolkit/impostazioni.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

#include "ui/toolkit/messaggi.h"
#include "ui/toolkit/twips.h"

namespace nodrel {

namespace {

constexpr char kCartella[] = "dialoghi/cartella";
constexpr char kDialogo[] = "dialoghi/dimensione";

}  // namespace

Impostazioni::Impostazioni()
    : QSettings(QSettings::NativeFormat, QSettings::UserScope, kTitoloApplicazione,
                kTitoloApplicazione) {}

Impostazioni::~Impostazioni() {
    sync();
    // Recent people are personal data; the configuration directory may be readable by others.
    if (QFile::exists(fileName())) {
        QFile::setPermissions(fileName(), QFile::ReadOwner | QFile::WriteOwner);
    }
}

int EseguiDialogoFile(QFileDialog& dialogo) {
    {
        Impostazioni impostazioni;
        const QString cartella = impostazioni.value(kCartella).toString();
        if (!cartella.isEmpty() && QFileInfo(cartella).isDir()) {
            // The file the dialog proposes, if any, goes into that folder too.
            const QString proposto = QFileInfo(dialogo.selectedFiles().value(0)).fileName();
            dialogo.setDirectory(cartella);
            if (dialogo.acceptMode() == QFileDialog::AcceptSave && !proposto.isEmpty()) {
                dialogo.selectFile(proposto);
            }
        }
    }
    RipristinaDimensione(&dialogo, kDialogo, dialogo.sizeHint());
    const int esito = dialogo.exec();
    SalvaDimensione(&dialogo, kDialogo);
    if (esito == QDialog::Accepted && !dialogo.selectedFiles().isEmpty()) {
        Impostazioni().setValue(kCartella,
                                QFileInfo(dialogo.selectedFiles().constFirst()).absolutePath());
    }
    return esito;
}

void RipristinaDimensione(QWidget* finestra, const QString& chiave, QSize predefinita) {
    const QSize salvata = Impostazioni().value(chiave).toSize();
    finestra->resize(DentroLoSchermo(finestra, salvata.isValid() ? salvata : predefinita));
}

void SalvaDimensione(const QWidget* finestra, const QString& chiave) {
    // A maximised window keeps the size it had before.
    if (!finestra->isMaximized() && !finestra->isFullScreen()) {
        Impostazioni().setValue(chiave, finestra->size());
    }
}

}  // namespace nodrel
