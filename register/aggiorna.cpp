#include "register/aggiorna.h"

#include <quazip.h>
#include <quazipfile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <string_view>
#include <vector>

#include "engine/errore.h"
#include "register/comuni.h"
#include "register/costruisci.h"

namespace nodrel {

namespace {

// Far more than either list of ANPR holds (2.5 MB): an entry that unpacks to more is no list.
constexpr qint64 kVoceMassima = 256 << 20;

// One list as the user gave it: the file on disk (a zip's entry unpacked into a folder of ours),
// the name the user knows it by, and the day it dates from.
struct Lista {
    QString file;
    QString nome;
    QDate data;
};

std::filesystem::path Percorso(const QString& file) {
    return std::filesystem::path(file.toStdU16String());
}

bool Zip(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.read(4) == QByteArrayLiteral("PK\x03\x04");
}

// The CSV entries of a zip, unpacked under names of ours: an entry's own path is never used, so
// none can write outside the folder. Each dates from the day the zip gives it.
bool Scompatta(const QString& file, const QString& cartella, std::vector<Lista>& liste,
               QString& errore) {
    QuaZip zip(file);
    if (!zip.open(QuaZip::mdUnzip)) {
        errore =
            QDir::toNativeSeparators(file) + QStringLiteral(": non è un archivio zip leggibile");
        return false;
    }
    for (bool altra = zip.goToFirstFile(); altra; altra = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info) || info.name.endsWith(u'/') ||
            !info.name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
            continue;
        }
        const QString nome = QDir::toNativeSeparators(file) + u'/' + info.name;
        QuaZipFile voce(&zip);
        QFile uscita(cartella + QStringLiteral("/lista%1.csv").arg(liste.size()));
        if (!voce.open(QIODevice::ReadOnly) || !uscita.open(QIODevice::WriteOnly)) {
            errore = nome + QStringLiteral(": impossibile estrarre il file");
            return false;
        }
        qint64 scritti = 0;
        while (!voce.atEnd()) {
            const QByteArray pezzo = voce.read(1 << 20);
            scritti += pezzo.size();
            if (pezzo.isEmpty() || scritti > kVoceMassima || uscita.write(pezzo) != pezzo.size()) {
                errore = nome + (scritti > kVoceMassima
                                     ? QStringLiteral(": il file è troppo grande per un elenco")
                                     : QStringLiteral(": impossibile estrarre il file"));
                return false;
            }
        }
        // An entry without a date of its own dates from the zip.
        liste.push_back({uscita.fileName(), nome,
                         info.dateTime.isValid() ? info.dateTime.date()
                                                 : QFileInfo(file).lastModified().toUTC().date()});
    }
    return true;
}

// Which list a file is, by the columns of its first line: CODCATASTALE the archive, CODAT the
// table of foreign states; 0 for neither.
int Tipo(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray intestazione = f.readLine(64 << 10);
    return intestazione.contains("CODCATASTALE") ? 1 : intestazione.contains("CODAT") ? 2 : 0;
}

}  // namespace

Aggiornamento AggiornaRegistro(const QStringList& file, const QString& cartellaProgramma) {
    Aggiornamento esito;
    esito.inUso = SceltaRegistro(cartellaProgramma);
    const QString prima = QStringLiteral("ELENCO DEI COMUNI NON AGGIORNATO\n\n");
    const QString resta =
        QStringLiteral("\n\nNulla è cambiato.\n") + DescrizioneRegistro(esito.inUso);
    auto rifiuta = [&](const QString& perche) {
        esito.perche = perche;
        esito.messaggio = prima + perche + resta;
        return esito;
    };

    QTemporaryDir scompattati;
    std::vector<Lista> liste;
    for (const QString& f : file) {
        const QFileInfo info(f);
        if (!info.isFile()) {
            return rifiuta(QDir::toNativeSeparators(f) +
                           (info.exists() ? QStringLiteral(": non è un file")
                                          : QStringLiteral(": il file non esiste")));
        }
        if (Zip(f)) {
            QString errore;
            if (!scompattati.isValid() || !Scompatta(f, scompattati.path(), liste, errore)) {
                return rifiuta(errore.isEmpty() ? QStringLiteral("impossibile estrarre ") + f
                                                : errore);
            }
        } else {
            liste.push_back({f, QDir::toNativeSeparators(f), info.lastModified().toUTC().date()});
        }
    }
    // The two lists by their columns. Of two files, one that shows neither is the other list,
    // and two that show neither are taken in the order given: the builder then says what is
    // missing, and where.
    const Lista* archivio = nullptr;
    const Lista* stati = nullptr;
    for (const Lista& l : liste) {
        const int tipo = Tipo(l.file);
        if (tipo == 1 && archivio == nullptr) {
            archivio = &l;
        } else if (tipo == 2 && stati == nullptr) {
            stati = &l;
        }
    }
    if (liste.size() == 2) {
        if (archivio == nullptr) {
            archivio = stati == &liste[0] ? &liste[1] : &liste[0];
        }
        if (stati == nullptr) {
            stati = archivio == &liste[0] ? &liste[1] : &liste[0];
        }
    }
    if (archivio == nullptr || stati == nullptr) {
        return rifiuta(QStringLiteral(
            "Indicare i due file dell'ANPR, l'archivio dei comuni (ANPR_archivio_comuni.csv) e la "
            "tabella degli stati esteri (ANPR_tabella_stati_esteri.csv), o l'archivio zip che li "
            "contiene."));
    }

    const QDate data = std::max(archivio->data, stati->data);
    const RegistroInUso installato{FileRegistro(cartellaProgramma),
                                   DataRegistro(FileRegistro(cartellaProgramma)), false};
    if (installato.data.isValid() && data <= installato.data) {
        return rifiuta(QStringLiteral("I file indicati sono di ") + MeseRilascio(data) +
                       QStringLiteral(": non sono più recenti dell'elenco installato con il "
                                      "programma, di ") +
                       MeseRilascio(installato.data) + u'.');
    }
    // Without them the states that no longer exist, and the common names of states, would be
    // lost from the register without a word.
    for (std::string_view breve : {kStatiCessati, kNomiComuniStati}) {
        const QString lista =
            cartellaProgramma + u'/' + QString::fromUtf8(breve.data(), breve.size());
        if (!QFileInfo(lista).isFile()) {
            return rifiuta(QDir::toNativeSeparators(lista) +
                           QStringLiteral(": il file non esiste; reinstallare il programma"));
        }
    }

    const QString cartella = CartellaUtente();
    if (cartella.isEmpty() || !QDir().mkpath(cartella)) {
        return rifiuta(QStringLiteral("impossibile creare la cartella ") +
                       QDir::toNativeSeparators(cartella));
    }
    // Built and read under a name of its own, then put in place of the user's register at once:
    // until then the register in use, installed or the user's, stays as it was.
    const QString registro = FileRegistro(cartella);
    const QString nuovo = registro + QStringLiteral(".nuovo");
    std::error_code ec;
    try {
        OpzioniCostruzione opzioni;
        opzioni.cartellaListe = Percorso(cartellaProgramma);
        opzioni.rilascio = data.toString(Qt::ISODate).toStdString();
        opzioni.nomiSoloNoti = true;
        CostruisciRegistro(Percorso(archivio->file), Percorso(stati->file), Percorso(nuovo),
                           opzioni);
        esito.registro = ApriRegistro(nuovo.toStdU16String());
        std::filesystem::rename(Percorso(nuovo), Percorso(registro));
    } catch (const ErroreCostruzione& e) {
        std::filesystem::remove(Percorso(nuovo), ec);
        QString dove = QString::fromStdString(e.File());
        for (const Lista& l : liste) {
            if (Percorso(l.file).string() == e.File()) {
                dove = l.nome;
            }
        }
        if (dove.isEmpty() || dove == QString::fromStdString(Percorso(nuovo).string())) {
            dove = QDir::toNativeSeparators(registro);
        }
        return rifiuta(dove + (e.Riga() > 0 ? u':' + QString::number(e.Riga()) : QString()) +
                       QStringLiteral(": ") + QString::fromUtf8(e.what()));
    } catch (const NODREL1::Errore& e) {
        std::filesystem::remove(Percorso(nuovo), ec);
        return rifiuta(QDir::toNativeSeparators(registro) + QStringLiteral(": ") +
                       QString::fromStdU16String(e.Descrizione()));
    } catch (const std::exception& e) {
        std::filesystem::remove(Percorso(nuovo), ec);
        return rifiuta(QDir::toNativeSeparators(registro) + QStringLiteral(": ") +
                       QString::fromLocal8Bit(e.what()));
    }
    esito.fatto = true;
    esito.inUso = SceltaRegistro(cartellaProgramma);
    esito.messaggio =
        QStringLiteral("ELENCO DEI COMUNI AGGIORNATO\n\n") + DescrizioneRegistro(esito.inUso);
    return esito;
}

}  // namespace nodrel
