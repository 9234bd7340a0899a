// Workbooks read as the suites that wrote them show them: every sheet of every file of
// tests/elenchi against its answers, and what those files do not hold, written here.

#include <gtest/gtest.h>
#include <quazip.h>
#include <quazipfile.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <utility>

#include "fogli/fogli.h"

namespace {

using nodrel::Formato;

// The sheets as the answers write them: "foglio", a tab, its name; then a line a row, its
// number and its cells tab-separated, \t \n \r \\ escaped.
std::string Celle(const QString& percorso, QString& errore) {
    nodrel::Cartella cartella;
    if (!cartella.Apri(percorso, errore)) {
        return {};
    }
    std::string out;
    for (std::size_t i = 0; i < static_cast<std::size_t>(cartella.Fogli().size()); ++i) {
        out += "foglio\t" + cartella.Fogli()[static_cast<qsizetype>(i)].toStdString() + "\n";
        const bool letto = cartella.Leggi(
            i,
            [&out](std::uint64_t riga, std::span<const std::string_view> celle) {
                out += std::to_string(riga);
                for (std::string_view c : celle) {
                    out += '\t';
                    for (char x : c) {
                        out += x == '\t'   ? std::string("\\t")
                               : x == '\n' ? std::string("\\n")
                               : x == '\r' ? std::string("\\r")
                               : x == '\\' ? std::string("\\\\")
                                           : std::string(1, x);
                    }
                }
                out += '\n';
                return true;
            },
            errore);
        if (!letto) {
            return {};
        }
    }
    return out;
}

std::string Leggi(const QString& percorso) {
    QFile file(percorso);
    file.open(QIODevice::ReadOnly);
    return file.readAll().toStdString();
}

TEST(Fogli, EverySheetOfTheListsAsTheirSuiteShowsThem) {
    const QDir elenchi(QStringLiteral(NODREL_ELENCHI));
    int fogli = 0, testi = 0;
    QDirIterator i(elenchi.path(), {QStringLiteral("*.celle")}, QDir::Files,
                   QDirIterator::Subdirectories);
    while (i.hasNext()) {
        const QString risposte = i.next();
        const QString file = risposte.chopped(6);
        SCOPED_TRACE(elenchi.relativeFilePath(file).toStdString());
        const Formato formato = nodrel::TipoDiFile(file).formato;
        const QString estensione = QFileInfo(file).suffix();
        if (estensione == QLatin1String("csv") || estensione == QLatin1String("txt")) {
            EXPECT_EQ(formato, Formato::Testo);
            ++testi;
            continue;
        }
        const Formato atteso = estensione == QLatin1String("xlsx")   ? Formato::Xlsx
                               : estensione == QLatin1String("ods")  ? Formato::Ods
                               : estensione == QLatin1String("fods") ? Formato::Fods
                                                                     : Formato::Xls;
        EXPECT_EQ(formato, atteso);
        QString errore;
        EXPECT_EQ(Celle(file, errore), Leggi(risposte));
        EXPECT_EQ(errore, QString());
        ++fogli;
    }
    EXPECT_EQ(fogli, 19);
    EXPECT_EQ(testi, 8);
}

TEST(Fogli, WhatIsNoListIsToldFromItsContent) {
    const QDir non(QStringLiteral(NODREL_ELENCHI "/non_elenchi"));
    const std::pair<QString, const char*> file[] = {
        {non.filePath("elenco.pdf"), "non è un elenco: un documento PDF"},
        {non.filePath("elenco.png"), "non è un elenco: un'immagine"},
        {non.filePath("lettera.docx"), "non è un elenco: un documento di Word"},
        {non.filePath("lettera.odt"), "non è un elenco: un documento di testo"},
        {QStringLiteral("/proc/self/exe"), "non è un elenco: un programma"},
    };
    for (const auto& [percorso, motivo] : file) {
        SCOPED_TRACE(percorso.toStdString());
        const nodrel::Tipo tipo = nodrel::TipoDiFile(percorso);
        EXPECT_EQ(tipo.formato, Formato::NessunElenco);
        EXPECT_EQ(tipo.motivo.toStdString(), motivo);
        nodrel::Cartella cartella;
        QString errore;
        EXPECT_FALSE(cartella.Apri(percorso, errore));
        EXPECT_EQ(errore.toStdString(), motivo);
    }
    // From a stream's first bytes: a code may begin with MZ, a list may be UTF-16 without a
    // mark; a ZIP or compound file needs the whole file.
    const std::pair<std::string_view, Formato> inizi[] = {
        {"MZZGNN80A01H501X\n", Formato::Testo},
        {std::string_view("R\0S\0S\0\n\0", 8), Formato::Testo},
        {"BM;RSSMRA80A01H501U\n", Formato::Testo},
        {std::string_view("\x7F"
                          "ELF\2\1\1\0",
                          8),
         Formato::NessunElenco},
        {std::string_view("RSS\0\0\0\x01\x02 garbage", 16), Formato::NessunElenco},
        {"PK\x03\x04\x14\0\0\0\x08\0", Formato::Contenitore},
        {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", Formato::Contenitore},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?><office:document xmlns:office=\"o\" "
         "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">",
         Formato::Fods},
        {"<!DOCTYPE html><html><body>elenco</body></html>", Formato::NessunElenco},
    };
    for (const auto& [inizio, formato] : inizi) {
        EXPECT_EQ(nodrel::TipoDaInizio(inizio).formato, formato) << inizio;
    }
}

void Zip(const QString& percorso, std::initializer_list<std::pair<const char*, std::string>> voci) {
    QuaZip zip(percorso);
    ASSERT_TRUE(zip.open(QuaZip::mdCreate));
    for (const auto& [nome, testo] : voci) {
        QuaZipFile file(&zip);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(nome))));
        file.write(testo.data(), static_cast<qint64>(testo.size()));
        file.close();
    }
    zip.close();
}

// What no suite here wrote, but other writers do: namespace prefixes, rich text, escapes, the
// 1904 calendar, rows and cells without their references, ODF's repeats to the sheet's edge.
TEST(Fogli, CellsOfOtherWriters) {
    QTemporaryDir cartella;
    const QString xlsx = cartella.filePath("elenco.xls");  // the name does not matter
    Zip(xlsx,
        {{"[Content_Types].xml", "<Types/>"},
         {"xl/workbook.xml",
          "<x:workbook xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
          "xmlns:rel=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
          "<x:workbookPr date1904=\"1\"/><x:sheets><x:sheet name=\"Dati &amp; co\" sheetId=\"1\" "
          "rel:id=\"rId7\"/></x:sheets></x:workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships><Relationship Id=\"rId7\" Target=\"/xl/fogli/uno.xml\"/>"
          "</Relationships>"},
         {"xl/styles.xml",
          "<x:styleSheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
          "<x:numFmts><x:numFmt numFmtId=\"200\" formatCode=\"[$-410]d\\ mmmm\\ yyyy\"/>"
          "<x:numFmt numFmtId=\"201\" formatCode=\"&quot;n. &quot;000000\"/></x:numFmts>"
          "<x:cellXfs><x:xf numFmtId=\"0\"/><x:xf numFmtId=\"200\"/><x:xf numFmtId=\"201\"/>"
          "<x:xf numFmtId=\"21\"/><x:xf numFmtId=\"11\"/></x:cellXfs></x:styleSheet>"},
         {"xl/sharedStrings.xml",
          "<x:sst xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">\n"
          " <x:si>\n  <x:r><x:t xml:space=\"preserve\">RSS </x:t></x:r>\n  <x:r><x:rPr/><x:t>MRA"
          "</x:t></x:r>\n  <x:rPh><x:t>ロッシ</x:t></x:rPh>\n </x:si>\n <x:si><x:t>riga_x000D_\n"
          "a capo _x005F_x0041_</x:t></x:si>\n</x:sst>"},
         {"xl/fogli/uno.xml",
          "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
          "<x:sheetData>\n<x:row>\n <x:c t=\"s\"><x:v>0</x:v></x:c>\n <x:c s=\"1\"><x:v>"
          "31047.5</x:v></x:c>\n <x:c s=\"2\"><x:v>42</x:v></x:c><x:c s=\"3\"><x:v>0.5</x:v>"
          "</x:c><x:c s=\"4\"><x:v>1234.5</x:v></x:c>\n</x:row>\n<x:row r=\"7\"><x:c r=\"C7\" "
          "t=\"inlineStr\"><x:is><x:t>&#160;A&lt;B&#x2009;</x:t></x:is></x:c><x:c r=\"XFE7\">"
          "<x:v>1</x:v></x:c><x:c r=\"D7\" t=\"s\"><x:v>1</x:v></x:c><x:c r=\"E7\" t=\"b\">"
          "<x:v>0</x:v></x:c><x:c r=\"F7\" t=\"e\"><x:f>1/0</x:f><x:v>#DIV/0!</x:v></x:c>"
          "</x:row><x:row r=\"8\"><x:c r=\"A8\" t=\"s\"><x:v>99</x:v></x:c></x:row>"
          "</x:sheetData><x:row r=\"9\"><x:c><x:v>1</x:v></x:c></x:row></x:worksheet>"}});
    const QString ods = cartella.filePath("elenco.csv");
    Zip(ods,
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
         {"content.xml",
          "<o:document-content xmlns:o=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
          "xmlns:t=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
          "xmlns:x=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><o:body><o:spreadsheet>"
          "<t:table t:name=\"Primo\"><t:table-header-rows><t:table-row><t:table-cell "
          "o:value-type=\"string\"><x:p>cf</x:p></t:table-cell></t:table-row>"
          "</t:table-header-rows><t:table-row t:number-rows-repeated=\"1048570\"><t:table-cell "
          "t:number-columns-repeated=\"16384\"/></t:table-row><t:table-row "
          "t:number-rows-repeated=\"2\"><t:table-cell o:value-type=\"string\" "
          "t:number-columns-repeated=\"2\"><o:annotation><x:p>nota</x:p></o:annotation><x:p>"
          "RSSMRA80A01H50<x:s x:c=\"2\"/>1U <x:span>\n  x</x:span><x:hidden-text "
          "x:string-value=\"h\">h</x:hidden-text></x:p><x:p>due</x:p></t:table-cell>"
          "<t:table-cell o:value-type=\"float\" o:value=\"1234567890\"><x:p>01234567890</x:p>"
          "</t:table-cell><t:table-cell o:value-type=\"date\" o:date-value=\"1980-01-01T10:00:00\">"
          "<x:p>1 gen 80</x:p></t:table-cell><t:table-cell o:value-type=\"time\" "
          "o:time-value=\"PT07H05M00S\"/><t:table-cell o:value-type=\"percentage\" "
          "o:value=\"0.125\"><x:p>12,50%</x:p></t:table-cell></t:table-row></t:table>"
          "<t:table t:name=\"Secondo\"/></o:spreadsheet></o:body></o:document-content>"}});
    QString errore;
    EXPECT_EQ(Celle(xlsx, errore),
              "foglio\tDati & co\n"
              "1\tRSS MRA\t01/01/1989\t000042\t12:00:00\t1234,5\n"
              "7\t\t\tA<B\triga\\r\\na capo _x0041_\tFALSO\t#DIV/0!\n");
    EXPECT_EQ(errore, QString());
    EXPECT_EQ(Celle(ods, errore),
              "foglio\tPrimo\n"
              "1\tcf\n"
              "1048572\tRSSMRA80A01H50  1U x\\ndue\tRSSMRA80A01H50  1U x\\ndue\t01234567890\t"
              "01/01/1980\t07:05:00\t0,125\n"
              "1048573\tRSSMRA80A01H50  1U x\\ndue\tRSSMRA80A01H50  1U x\\ndue\t01234567890\t"
              "01/01/1980\t07:05:00\t0,125\n"
              "foglio\tSecondo\n");
    EXPECT_EQ(errore, QString());

    // A sheet longer than the scanner's buffer: what a cell's tag said still holds after the
    // buffer moved on to read its value.
    std::string foglio = "<worksheet><sheetData>";
    for (int r = 1; r <= 40000; ++r) {
        foglio += "<row r=\"" + std::to_string(r) + "\"><c r=\"B" + std::to_string(r) +
                  "\" t=\"s\"" + std::string(static_cast<std::size_t>(r % 7), ' ') +
                  "><v>0</v></c></row>";
    }
    const QString lungo = cartella.filePath("lungo.xlsx");
    Zip(lungo, {{"xl/workbook.xml", "<workbook><sheets><sheet name=\"A\"/></sheets></workbook>"},
                {"xl/sharedStrings.xml", "<sst><si><t>RSSMRA80A01H501U</t></si></sst>"},
                {"xl/worksheets/sheet1.xml", foglio + "</sheetData></worksheet>"}});
    nodrel::Cartella grande;
    int giuste = 0;
    ASSERT_TRUE(grande.Apri(lungo, errore));
    EXPECT_TRUE(grande.Leggi(
        0,
        [&giuste](std::uint64_t, std::span<const std::string_view> celle) {
            giuste += celle.size() == 2 && celle[1] == "RSSMRA80A01H501U";
            return true;
        },
        errore));
    EXPECT_EQ(giuste, 40000);

    // A reading stopped by its callback is no failure; a sheet cut short is.
    nodrel::Cartella aperta;
    ASSERT_TRUE(aperta.Apri(ods, errore));
    int righe = 0;
    EXPECT_TRUE(aperta.Leggi(
        0, [&righe](std::uint64_t, std::span<const std::string_view>) { return ++righe < 2; },
        errore));
    EXPECT_EQ(righe, 2);
    EXPECT_FALSE(aperta.Leggi(
        2, [](auto, auto) { return true; }, errore));
    EXPECT_EQ(errore, QStringLiteral("il foglio non si trova nel file"));
    const QString rotto = cartella.filePath("rotto.xlsx");
    Zip(rotto, {{"xl/workbook.xml", "<workbook><sheets><sheet name=\"A\"/></sheets></workbook>"},
                {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row><c><v>1</v></c>"}});
    EXPECT_EQ(Celle(rotto, errore), "");
    EXPECT_EQ(errore, QStringLiteral("il foglio è danneggiato"));
}

}  // namespace
