// Spreadsheets read as they are: the first sheet's rows through the same checks as a text list.

#include <gtest/gtest.h>
#include <quazip.h>
#include <quazipfile.h>

#include <QTemporaryDir>
#include <utility>

#include "fogli/fogli.h"
#include "lists/esecuzione.h"
#include "lists/scrittura.h"

namespace {

void Scrivi(const QString& percorso,
            std::initializer_list<std::pair<const char*, const char*>> voci) {
    QuaZip zip(percorso);
    ASSERT_TRUE(zip.open(QuaZip::mdCreate));
    for (const auto& [nome, testo] : voci) {
        QuaZipFile file(&zip);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(nome))));
        file.write(testo);
        file.close();
    }
    zip.close();
}

// The rows a sheet's list comes to, through the lists' one driver, as the command line runs it.
std::string Verifica(const QString& percorso, const NODREL1::Registro& registro) {
    nodrel::RegistroAtteso atteso(
        std::shared_ptr<const NODREL1::Registro>(&registro, [](const auto*) {}));
    std::string out;
    nodrel::UscitaCsv csv(
        nodrel::UscitaCsv::Compito::Verifica, [&out](std::string_view t) { out += t; }, &atteso);
    nodrel::Esecuzione esecuzione({&atteso});
    const nodrel::EsitoEsecuzione esito =
        esecuzione.Esegui(nodrel::Sorgente::File(QFile::encodeName(percorso).toStdString()), csv);
    if (esito.tipo == nodrel::EsitoEsecuzione::Tipo::Illeggibile) {
        return esito.perche;
    }
    csv.Svuota();
    return out.substr(nodrel::kIntestazioneVerifica.size()) +
           nodrel::TestoRiepilogo(esecuzione.Totali());
}

TEST(Fogli, TheFirstSheetOfAnXlsxOrAnOds) {
    QTemporaryDir cartella;
    const QString xlsx = cartella.filePath("elenco.XLSX");
    const QString ods = cartella.filePath("elenco.ods");
    // A title, a header, a person with the code and one without; the date as a day number.
    Scrivi(
        xlsx,
        {{"xl/workbook.xml",
          "<workbook xmlns:r=\"r\"><sheets><sheet name=\"Dipendenti\" sheetId=\"1\" "
          "r:id=\"rId7\"/><sheet name=\"Altro\" sheetId=\"2\" r:id=\"rId8\"/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships><Relationship Id=\"rId8\" Target=\"worksheets/sheet1.xml\"/>"
          "<Relationship Id=\"rId7\" Target=\"worksheets/sheet2.xml\"/></Relationships>"},
         {"xl/styles.xml",
          "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>"
          "</cellXfs></styleSheet>"},
         {"xl/sharedStrings.xml",
          "<sst><si><t>Elenco dipendenti 2024</t></si><si><r><t>Cog</t></r><r><t>nome</t></r>"
          "</si><si><t>ROSSI</t></si><si><t>Codice fiscale</t></si></sst>"},
         {"xl/worksheets/sheet1.xml", "<worksheet><sheetData/></worksheet>"},
         {"xl/worksheets/sheet2.xml",
          "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"
          "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>1</v></c><c r=\"B3\" t=\"inlineStr\"><is><t>Nome"
          "</t></is></c><c r=\"C3\" t=\"str\"><v>Sesso</v></c><c r=\"D3\" t=\"str\"><v>Nato "
          "il</v></c><c r=\"E3\" t=\"str\"><v>Comune</v></c><c r=\"F3\" t=\"str\"><v>Prov</v>"
          "</c><c r=\"G3\" t=\"s\"><v>3</v></c></row>"
          "<row r=\"4\"><c r=\"A4\" t=\"s\"><v>2</v></c><c r=\"B4\" t=\"str\"><v>MARIO</v></c>"
          "<c r=\"C4\" t=\"str\"><v>M</v></c><c r=\"D4\" s=\"1\"><v>29221</v></c><c r=\"E4\" "
          "t=\"str\"><v>ROMA</v></c><c r=\"G4\" t=\"str\"><v>RSSMRA80A01H501U</v></c></row>"
          "<row r=\"6\"><c r=\"A6\" t=\"s\"><v>2</v></c><c r=\"B6\" t=\"str\"><v>MARIO</v></c>"
          "<c r=\"C6\" t=\"str\"><v>M</v></c><c r=\"D6\" s=\"1\"><v>29221</v></c><c r=\"E6\" "
          "t=\"str\"><v>ROMA</v></c></row></sheetData></worksheet>"}});
    // Rows and cells repeated, as ODF writes empty ones; only the first sheet counts.
    Scrivi(ods,
           {{"content.xml",
             "<office:document-content xmlns:office=\"o\" xmlns:table=\"t\" xmlns:text=\"x\">"
             "<office:body><office:spreadsheet><table:table>"
             "<table:table-row><table:table-cell><text:p>cf</text:p></table:table-cell>"
             "<table:table-cell><text:p>data nascita</text:p></table:table-cell></table:table-row>"
             "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
             "table:number-columns-repeated=\"1024\"/></table:table-row>"
             "<table:table-row><table:table-cell><text:p>RSSMRA80A01H50<text:s "
             "text:c=\"2\"/>1U</text:p></table:table-cell><table:table-cell "
             "office:date-value=\"1980-01-01\"><text:p>01/01/80</text:p></table:table-cell>"
             "<table:table-cell table:number-columns-repeated=\"1000\"/></table:table-row>"
             "</table:table><table:table><table:table-row><table:table-cell><text:p>J</text:p>"
             "</table:table-cell></table:table-row></table:table>"
             "</office:spreadsheet></office:body></office:document-content>"}});
    const NODREL1::Registro roma({{u"H501", u"ROMA", u"RM", u"1871-01-01", u"9999-12-31"}});
    EXPECT_TRUE(nodrel::Foglio(xlsx));
    EXPECT_EQ(Verifica(xlsx, roma),
              "4;RSSMRA80A01H501U;CORRETTO;\n"
              "6;RSSMRA80A01H501U;CORRETTO;codice calcolato, duplicato della riga 4\n"
              "2 codici: 2 corretti, 1 duplicato, 1 calcolato");
    EXPECT_EQ(Verifica(ods, roma), "4;RSSMRA80A01H50  1U;CORRETTO;\n1 codice: 1 corretto");
    const QString rotto = cartella.filePath("rotto.xlsx");
    QFile(rotto).open(QIODevice::WriteOnly);
    EXPECT_EQ(Verifica(rotto, roma), "non è un foglio .xlsx o .ods");
}

}  // namespace
