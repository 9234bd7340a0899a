#include "fogli/fogli.h"

#include <quazip.h>
#include <quazipfile.h>

#include <QDate>
#include <QFileInfo>
#include <QSet>
#include <QXmlStreamReader>
#include <algorithm>

namespace nodrel {

namespace {

// Past this many cells a repeated empty run is the sheet's blank margin, not data.
constexpr int kCelleMassime = 1024;

// An entry of the archive, whole: the small parts of a workbook (its list of sheets, its
// styles, its shared strings) are read into memory; the sheet itself is streamed.
bool Voce(QuaZip& zip, const QString& nome, QByteArray& dati) {
    if (!zip.setCurrentFile(nome)) {
        return false;
    }
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    dati = file.readAll();
    return true;
}

// The text of an element and of all within it (rich text's runs, ODF's spaces and tabs), the
// reader left on its end.
QString TestoDi(QXmlStreamReader& xml) {
    QString testo;
    int profondita = 1;
    while (profondita > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++profondita;
            if (xml.name() == QLatin1String("s")) {  // ODF: blanks
                testo += QString(std::max(1, xml.attributes().value("text:c").toInt()), u' ');
            } else if (xml.name() == QLatin1String("tab")) {
                testo += u'\t';
            } else if (xml.name() == QLatin1String("rPh")) {  // phonetic hints, not the text
                xml.skipCurrentElement();
                --profondita;
            }
        } else if (xml.isEndElement()) {
            --profondita;
        } else if (xml.isCharacters()) {
            testo += xml.text();
        }
    }
    return testo;
}

// "C12" -> 2: the column of a cell's reference.
int ColonnaDi(QStringView riferimento) {
    int colonna = 0;
    for (QChar c : riferimento) {
        if (c < u'A' || c > u'Z') {
            break;
        }
        colonna = colonna * 26 + (c.unicode() - u'A' + 1);
    }
    return colonna - 1;
}

std::string Utf8(const QString& testo) {
    return testo.toStdString();
}

// Spreadsheets keep a date as a number of days with a date format; the built-in formats 14-22
// and any format of the file's own that writes days, months or years.
QSet<int> StiliData(QuaZip& zip) {
    QByteArray dati;
    QSet<int> stili;
    if (!Voce(zip, QStringLiteral("xl/styles.xml"), dati)) {
        return stili;
    }
    QSet<int> formati;
    for (int i = 14; i <= 22; ++i) {
        formati.insert(i);
    }
    QXmlStreamReader xml(dati);
    bool celle = false;
    int indice = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("numFmt")) {
            const QString codice = xml.attributes().value("formatCode").toString().toLower();
            if (codice.contains(u'd') || codice.contains(u'y')) {
                formati.insert(xml.attributes().value("numFmtId").toInt());
            }
        } else if (xml.isStartElement() && xml.name() == QLatin1String("cellXfs")) {
            celle = true;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
            celle = false;
        } else if (celle && xml.isStartElement() && xml.name() == QLatin1String("xf")) {
            if (formati.contains(xml.attributes().value("numFmtId").toInt())) {
                stili.insert(indice);
            }
            ++indice;
        }
    }
    return stili;
}

// The entry of the first sheet, from the workbook's list and its relations.
QString PrimoFoglio(QuaZip& zip) {
    QByteArray dati;
    QString id;
    if (Voce(zip, QStringLiteral("xl/workbook.xml"), dati)) {
        QXmlStreamReader xml(dati);
        while (!xml.atEnd() && id.isEmpty()) {
            if (xml.readNextStartElement() && xml.name() == QLatin1String("sheet")) {
                for (const QXmlStreamAttribute& a : xml.attributes()) {
                    if (a.name() == QLatin1String("id")) {
                        id = a.value().toString();
                    }
                }
            }
        }
    }
    if (!id.isEmpty() && Voce(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), dati)) {
        QXmlStreamReader xml(dati);
        while (!xml.atEnd()) {
            if (xml.readNextStartElement() && xml.name() == QLatin1String("Relationship") &&
                xml.attributes().value("Id") == id) {
                QString destinazione = xml.attributes().value("Target").toString();
                return destinazione.startsWith(u'/') ? destinazione.mid(1)
                                                     : QStringLiteral("xl/") + destinazione;
            }
        }
    }
    return QStringLiteral("xl/worksheets/sheet1.xml");
}

// Opens the sheet `nome` of the file for reading into `file`, or says why it cannot.
bool ApriFoglio(QuaZip& zip, const QString& nome, QuaZipFile& file, QString& errore) {
    if (!zip.setCurrentFile(nome)) {
        errore = QStringLiteral("il foglio non si trova nel file");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        errore = QStringLiteral("il foglio non si può leggere");
        return false;
    }
    return true;
}

bool LeggiXlsx(QuaZip& zip, const RigaFoglio& consegna, QString& errore) {
    std::vector<QString> condivisi;
    QByteArray dati;
    if (Voce(zip, QStringLiteral("xl/sharedStrings.xml"), dati)) {
        QXmlStreamReader xml(dati);
        while (!xml.atEnd()) {
            if (xml.readNextStartElement() && xml.name() == QLatin1String("si")) {
                condivisi.push_back(TestoDi(xml));
            }
        }
    }
    dati.clear();
    const QSet<int> date = StiliData(zip);
    QuaZipFile file(&zip);
    if (!ApriFoglio(zip, PrimoFoglio(zip), file, errore)) {
        return false;
    }
    QXmlStreamReader xml(&file);
    std::vector<std::string> celle;
    std::uint64_t riga = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("row")) {
            const std::uint64_t r = xml.attributes().value("r").toULongLong();
            riga = r != 0 ? r : riga + 1;
            celle.clear();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes a = xml.attributes();
            const int colonna =
                a.hasAttribute("r") ? ColonnaDi(a.value("r")) : static_cast<int>(celle.size());
            const QString tipo = a.value("t").toString();
            const bool data = date.contains(a.value("s").toInt());
            QString valore;
            while (!xml.atEnd() && !(xml.isEndElement() && xml.name() == QLatin1String("c"))) {
                xml.readNext();
                if (xml.isStartElement() &&
                    (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("is"))) {
                    valore = TestoDi(xml);
                }
            }
            if (tipo == QLatin1String("s")) {
                const auto i = valore.toULongLong();
                valore = i < condivisi.size() ? condivisi[i] : QString();
            } else if (data && tipo.isEmpty() && !valore.isEmpty()) {
                // Days from 30 December 1899, as spreadsheets count them.
                valore = QDate(1899, 12, 30)
                             .addDays(static_cast<qint64>(valore.toDouble()))
                             .toString(Qt::ISODate);
            }
            if (colonna >= 0 && colonna < kCelleMassime) {
                celle.resize(std::max(celle.size(), static_cast<std::size_t>(colonna) + 1));
                celle[static_cast<std::size_t>(colonna)] = Utf8(valore);
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            if (!celle.empty() && !consegna(riga, celle)) {
                return true;
            }
        }
    }
    if (xml.hasError()) {
        errore = QStringLiteral("il foglio è danneggiato");
        return false;
    }
    return true;
}

bool LeggiOds(QuaZip& zip, const RigaFoglio& consegna, QString& errore) {
    QuaZipFile file(&zip);
    if (!ApriFoglio(zip, QStringLiteral("content.xml"), file, errore)) {
        return false;
    }
    QXmlStreamReader xml(&file);
    std::vector<std::string> celle;
    std::uint64_t riga = 0;
    int ripetute = 1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("table")) {
            break;  // the first sheet only
        }
        if (xml.isStartElement() && xml.name() == QLatin1String("table-row")) {
            ripetute = std::max(1, xml.attributes().value("table:number-rows-repeated").toInt());
            celle.clear();
        } else if (xml.isStartElement() && (xml.name() == QLatin1String("table-cell") ||
                                            xml.name() == QLatin1String("covered-table-cell"))) {
            const QXmlStreamAttributes a = xml.attributes();
            const int volte = std::max(1, a.value("table:number-columns-repeated").toInt());
            QString valore = a.value("office:date-value").left(10).toString();
            const QString testo = TestoDi(xml);
            if (valore.isEmpty()) {
                valore = testo;
            }
            // Empty cells repeated to the sheet's edge are left out.
            if (!valore.isEmpty()) {
                for (int i = 0; i < volte && celle.size() < kCelleMassime; ++i) {
                    celle.push_back(Utf8(valore));
                }
            } else if (celle.size() + static_cast<std::size_t>(volte) < kCelleMassime) {
                celle.resize(celle.size() + static_cast<std::size_t>(volte));
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("table-row")) {
            while (!celle.empty() && celle.back().empty()) {
                celle.pop_back();
            }
            if (celle.empty()) {
                riga += static_cast<std::uint64_t>(ripetute);
                continue;
            }
            for (int i = 0; i < ripetute; ++i) {
                if (!consegna(++riga, celle)) {
                    return true;
                }
            }
        }
    }
    if (xml.hasError()) {
        errore = QStringLiteral("il foglio è danneggiato");
        return false;
    }
    return true;
}

}  // namespace

bool Foglio(const QString& percorso) {
    const QString estensione = QFileInfo(percorso).suffix().toLower();
    return estensione == QLatin1String("xlsx") || estensione == QLatin1String("ods");
}

bool LeggiFoglio(const QString& percorso, const RigaFoglio& riga, QString& errore) {
    if (!QFileInfo::exists(percorso)) {
        errore = QStringLiteral("il file non esiste");
        return false;
    }
    QuaZip zip(percorso);
    if (!zip.open(QuaZip::mdUnzip)) {
        errore = QStringLiteral("non è un foglio .xlsx o .ods");
        return false;
    }
    if (zip.setCurrentFile(QStringLiteral("content.xml"))) {
        return LeggiOds(zip, riga, errore);
    }
    if (zip.setCurrentFile(QStringLiteral("xl/workbook.xml"))) {
        return LeggiXlsx(zip, riga, errore);
    }
    errore = QStringLiteral("non è un foglio .xlsx o .ods");
    return false;
}

}  // namespace nodrel
