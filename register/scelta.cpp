#include "register/scelta.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

namespace nodrel {

QString FileRegistro(const QString& cartella) {
    return cartella + QStringLiteral("/Comuni.mdb");
}

QString CartellaUtente() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QDate DataRegistro(const QString& file) {
    // The builder keeps the day as YYYYMMDD in the header's user version, four bytes big-endian
    // at offset 60 of SQLite's file format: read without SQLite, so that the information window,
    // which has no SQLite, can tell it too.
    QFile f(file);
    // Only a plain file: a pipe in its place would keep the reading waiting.
    if (!QFileInfo(file).isFile() || !f.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray intestazione = f.read(64);
    if (intestazione.size() < 64 ||
        !intestazione.startsWith(QByteArrayLiteral("SQLite format 3\0"))) {
        return {};
    }
    quint32 n = 0;
    for (int i = 60; i < 64; ++i) {
        n = n << 8 | static_cast<quint8>(intestazione.at(i));
    }
    return QDate(static_cast<int>(n / 10000), static_cast<int>(n / 100 % 100),
                 static_cast<int>(n % 100));
}

RegistroInUso SceltaRegistro(const QString& cartellaProgramma) {
    RegistroInUso installato{FileRegistro(cartellaProgramma), {}, false};
    installato.data = DataRegistro(installato.file);
    const QString cartella = CartellaUtente();
    if (cartella.isEmpty()) {
        return installato;
    }
    RegistroInUso proprio{FileRegistro(cartella), {}, true};
    proprio.data = DataRegistro(proprio.file);
    // A register of unknown date is never taken for a newer one; a missing installed one gives
    // way to any of the user's.
    const bool preferito = QFileInfo(proprio.file).isFile() &&
                           (!QFileInfo::exists(installato.file) ||
                            (proprio.data.isValid() &&
                             (!installato.data.isValid() || proprio.data > installato.data)));
    return preferito ? proprio : installato;
}

QString MeseRilascio(const QDate& data) {
    return QLocale(QLocale::Italian, QLocale::Italy).toString(data, QStringLiteral("MMMM yyyy"));
}

QString DescrizioneRegistro(const RegistroInUso& registro) {
    const QString data =
        registro.data.isValid() ? MeseRilascio(registro.data) + QStringLiteral(", ") : QString();
    return QStringLiteral("Elenco dei comuni: ANPR, ") + data + QStringLiteral("CC BY 4.0") +
           (registro.utente ? QStringLiteral(" (aggiornato dall'utente)")
                            : QStringLiteral(" (installato con il programma)"));
}

}  // namespace nodrel
