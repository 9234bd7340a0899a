// Workbooks from any bytes: the first byte says which part of which format the rest is (the
// first bytes of a file; a flat OpenDocument file; an .xlsx's sheet, shared strings or styles,
// beside parts that are right; the bytes of an .xls for what FreeXL leaves out). Whatever they
// are, every row handed has a number and cells without blanks around them, and no empty cell
// last.

#include <quazip.h>
#include <quazipfile.h>
#include <unistd.h>

#include <QFile>
#include <string>

#include "fogli/biff.h"
#include "fogli/fogli.h"
#include "ingresso.h"

namespace {

const char* kLibro =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheets>"
    "<sheet name=\"A\" sheetId=\"1\"/><sheet name=\"B\" sheetId=\"2\"/></sheets></workbook>";
const char* kFoglio =
    "<worksheet><sheetData><row r=\"1\"><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c><c "
    "t=\"s\"><v>7</v></c></row><row><c s=\"1\"><v>29221</v></c><c s=\"2\"><v>42.5</v></c><c "
    "s=\"3\"><v>0.25</v></c></row></sheetData></worksheet>";
const char* kCondivisi = "<sst><si><t>RSSMRA80A01H501U</t></si><si><t>ROSSI</t></si></sst>";
const char* kStili =
    "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"1\"/>"
    "</cellXfs></styleSheet>";

// The file the bytes make, in memory-backed temporary space.
QString Percorso(const char* estensione) {
    static const QString base = QStringLiteral("/dev/shm/nodrel-fuzz-fogli-%1").arg(getpid());
    return base + QLatin1String(estensione);
}

void Scrivi(const QString& percorso, std::string_view dati) {
    QFile file(percorso);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(dati.data(), static_cast<qint64>(dati.size()));
}

void Zip(const QString& percorso,
         std::initializer_list<std::pair<const char*, std::string_view>> voci) {
    QuaZip zip(percorso);
    zip.open(QuaZip::mdCreate);
    for (const auto& [nome, testo] : voci) {
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(nome)), nullptr, 0, 0);
        file.write(testo.data(), static_cast<qint64>(testo.size()));
        file.close();
    }
    zip.close();
}

void Leggi(const QString& percorso) {
    nodrel::Cartella cartella;
    QString errore;
    if (!cartella.Apri(percorso, errore)) {
        return;
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(cartella.Fogli().size()); ++i) {
        int righe = 0;
        cartella.Leggi(
            i,
            [&righe](std::uint64_t riga, std::span<const std::string_view> celle) {
                fuzz::Esigi(riga > 0, "rows are numbered from 1");
                fuzz::Esigi(!celle.empty() && !celle.back().empty(), "no empty cell last");
                for (std::string_view c : celle) {
                    const auto bianco = [](char x) {
                        return x == ' ' || x == '\t' || x == '\n' || x == '\r';
                    };
                    fuzz::Esigi(c.empty() || (!bianco(c.front()) && !bianco(c.back())),
                                "no blanks around a cell");
                }
                return ++righe < 100000;
            },
            errore);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    if (n == 0) {
        return 0;
    }
    const std::string_view resto(reinterpret_cast<const char*>(dati) + 1, n - 1);
    switch (dati[0] % 6) {
        case 0: {
            const nodrel::Tipo tipo = nodrel::TipoDaInizio(resto);
            fuzz::Esigi((tipo.formato == nodrel::Formato::NessunElenco) != tipo.motivo.isEmpty(),
                        "a reason for what is no list, and only for it");
            break;
        }
        case 1:
            Scrivi(Percorso(".fods"), resto);
            Leggi(Percorso(".fods"));
            break;
        case 2:
            Zip(Percorso(".xlsx"), {{"xl/workbook.xml", kLibro},
                                    {"xl/sharedStrings.xml", kCondivisi},
                                    {"xl/styles.xml", kStili},
                                    {"xl/worksheets/sheet1.xml", resto},
                                    {"xl/worksheets/sheet2.xml", kFoglio}});
            Leggi(Percorso(".xlsx"));
            break;
        case 3:
        case 4:
            Zip(Percorso(".xlsx"), {{"xl/workbook.xml", kLibro},
                                    {"xl/sharedStrings.xml", dati[0] % 6 == 3 ? resto : kCondivisi},
                                    {"xl/styles.xml", dati[0] % 6 == 4 ? resto : kStili},
                                    {"xl/worksheets/sheet1.xml", kFoglio}});
            Leggi(Percorso(".xlsx"));
            break;
        case 5: {
            nodrel::biff::Libro libro;
            nodrel::biff::Leggi(resto, libro);
            break;
        }
    }
    return 0;
}
