#include "lists/foglio_risultati.h"

#include <quazip.h>
#include <quazipfile.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "engine/testo.h"
#include "lists/sistema.h"

// Written with the ZIP library the sheets are read with. libxlsxwriter was the first choice, but
// on Debian 12 it reaches its ZIP functions by name, and QuaZip, loaded in the same program,
// exports its own functions of those names with other arguments: the two cannot share a process.
// The workbook's parts are few and fixed, and the sheet is rows of inline strings.

namespace nodrel {

namespace {

// The rows a sheet takes, its header among them: a longer list goes on in another sheet.
constexpr std::uint32_t kRigheFoglio = 1048576;
// The rows that tell how wide each column is; and the widest, within reason.
constexpr std::size_t kRigheLarghezza = 1000;
constexpr std::size_t kLarghezzaMassima = 60;

constexpr std::string_view kTipi =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)";
constexpr std::string_view kRelazioni =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";
// Style 1 is the header's bold.
constexpr std::string_view kStili =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<fonts count="2"><font><sz val="11"/><name val="Calibri"/></font>)"
    R"(<font><b/><sz val="11"/><name val="Calibri"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill>)"
    R"(<fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="2"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1"/></cellXfs>)"
    R"(</styleSheet>)";

// A cell's column letters: A, ..., Z, AA, ...
std::string Colonna(std::size_t c) {
    std::string lettere;
    for (++c; c > 0; c = (c - 1) / 26) {
        lettere.insert(lettere.begin(), static_cast<char>('A' + (c - 1) % 26));
    }
    return lettere;
}

// Text as XML takes it: valid UTF-8, the markup's characters escaped, and no control character
// that XML 1.0 refuses.
void AggiungiTesto(std::string& xml, std::string_view testo) {
    const std::string valido =
        NODREL1::Utf8Valido(testo) ? std::string(testo) : NODREL1::Utf8(NODREL1::Utf16(testo));
    for (const char c : valido) {
        switch (c) {
            case '&':
                xml += "&amp;";
                break;
            case '<':
                xml += "&lt;";
                break;
            case '>':
                xml += "&gt;";
                break;
            case '"':
                xml += "&quot;";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                    xml += ' ';
                } else {
                    xml += c;
                }
        }
    }
}

}  // namespace

FoglioRisultati::FoglioRisultati(std::string percorso, std::vector<std::string> colonne)
    : percorso_(std::move(percorso)),
      provvisorio_(percorso_ + ".nodrel-tmp"),
      colonne_(std::move(colonne)),
      zip_(std::make_unique<QuaZip>(QString::fromLocal8Bit(provvisorio_.c_str()))),
      larghezze_(colonne_.size() + 1, 4) {
    larghezze_[0] = 6;
    for (std::size_t c = 0; c < colonne_.size(); ++c) {
        larghezze_[c + 1] = std::max(larghezze_[c + 1], NODREL1::ContaCaratteri(colonne_[c]));
    }
    zip_->setZip64Enabled(true);
    errno = 0;
    fallito_ = !zip_->open(QuaZip::mdCreate);
}

FoglioRisultati::~FoglioRisultati() {
    if (zip_ && zip_->isOpen()) {
        foglio_.reset();
        zip_->close();
        std::error_code ignorato;
        std::filesystem::remove(provvisorio_, ignorato);
    }
}

void FoglioRisultati::Riga(std::uint64_t numero, std::span<const std::string_view> celle) {
    if (fallito_) {
        return;
    }
    if (tenute_.size() < kRigheLarghezza && fogli_ == 0) {
        Riga_& r = tenute_.emplace_back(Riga_{numero, {}});
        for (std::size_t c = 0; c < celle.size() && c < colonne_.size(); ++c) {
            r.celle.emplace_back(celle[c]);
            larghezze_[c + 1] = std::max(larghezze_[c + 1], NODREL1::ContaCaratteri(celle[c]));
        }
        larghezze_[0] = std::max(larghezze_[0], std::to_string(numero).size());
        return;
    }
    Svuota();
    Scrivi(numero, celle);
}

void FoglioRisultati::Svuota() {
    if (fogli_ == 0) {
        IniziaFoglio();
        for (const Riga_& r : std::exchange(tenute_, {})) {
            const std::vector<std::string_view> celle(r.celle.begin(), r.celle.end());
            Scrivi(r.numero, celle);
        }
    }
}

void FoglioRisultati::IniziaFoglio() {
    ++fogli_;
    righe_ = 1;
    foglio_ = std::make_unique<QuaZipFile>(zip_.get());
    const QString nome = QStringLiteral("xl/worksheets/sheet%1.xml").arg(fogli_);
    if (!foglio_->open(QIODevice::WriteOnly, QuaZipNewInfo(nome))) {
        fallito_ = true;
        return;
    }
    xml_ = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
           R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
           R"(<sheetViews><sheetView workbookViewId="0"><pane ySplit="1" topLeftCell="A2" )"
           R"(activePane="bottomLeft" state="frozen"/></sheetView></sheetViews><cols>)";
    for (std::size_t c = 0; c < larghezze_.size(); ++c) {
        xml_ += "<col min=\"" + std::to_string(c + 1) + "\" max=\"" + std::to_string(c + 1) +
                "\" width=\"" + std::to_string(std::min(larghezze_[c], kLarghezzaMassima) + 2) +
                "\" customWidth=\"1\"/>";
    }
    xml_ += R"(</cols><sheetData><row r="1">)";
    std::vector<std::string> intestazione{"Riga"};
    intestazione.insert(intestazione.end(), colonne_.begin(), colonne_.end());
    for (std::size_t c = 0; c < intestazione.size(); ++c) {
        xml_ += "<c r=\"" + Colonna(c) + "1\" s=\"1\" t=\"inlineStr\"><is><t>";
        AggiungiTesto(xml_, intestazione[c]);
        xml_ += "</t></is></c>";
    }
    xml_ += "</row>";
}

void FoglioRisultati::FinisciFoglio() {
    xml_ += "</sheetData></worksheet>";
    Versa();
    foglio_->close();
    fallito_ = fallito_ || foglio_->getZipError() != 0;
    foglio_.reset();
}

void FoglioRisultati::Scrivi(std::uint64_t numero, std::span<const std::string_view> celle) {
    if (fallito_) {
        return;
    }
    if (righe_ == kRigheFoglio) {
        FinisciFoglio();
        IniziaFoglio();
    }
    ++righe_;
    const std::string r = std::to_string(righe_);
    xml_ += "<row r=\"" + r + "\"><c r=\"A" + r + "\"><v>" + std::to_string(numero) + "</v></c>";
    for (std::size_t c = 0; c < celle.size() && c < colonne_.size(); ++c) {
        if (!celle[c].empty()) {
            xml_ += "<c r=\"" + Colonna(c + 1) + r +
                    "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">";
            AggiungiTesto(xml_, celle[c]);
            xml_ += "</t></is></c>";
        }
    }
    xml_ += "</row>";
    if (xml_.size() >= (1 << 20)) {
        Versa();
    }
}

void FoglioRisultati::Versa() {
    if (!fallito_ && !xml_.empty()) {
        fallito_ = foglio_->write(xml_.data(), static_cast<qint64>(xml_.size())) !=
                   static_cast<qint64>(xml_.size());
    }
    xml_.clear();
}

bool FoglioRisultati::Chiudi(std::string& perche) {
    if (!fallito_) {
        Svuota();
        FinisciFoglio();
    }
    std::string libro =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
        R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)";
    std::string relazioni =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    std::string tipi(kTipi);
    for (int k = 1; k <= fogli_; ++k) {
        const std::string n = std::to_string(k);
        libro += "<sheet name=\"Risultati" + (k == 1 ? std::string() : " (" + n + ")") +
                 "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        relazioni += "<Relationship Id=\"rId" + n +
                     "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships/worksheet\" Target=\"worksheets/sheet" +
                     n + ".xml\"/>";
        tipi += "<Override PartName=\"/xl/worksheets/sheet" + n +
                ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument."
                "spreadsheetml.worksheet+xml\"/>";
    }
    libro += "</sheets></workbook>";
    relazioni += "<Relationship Id=\"rId" + std::to_string(fogli_ + 1) +
                 "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                 "relationships/styles\" Target=\"styles.xml\"/></Relationships>";
    tipi += "</Types>";
    const std::pair<const char*, std::string_view> parti[] = {
        {"[Content_Types].xml", tipi},
        {"_rels/.rels", kRelazioni},
        {"xl/workbook.xml", libro},
        {"xl/_rels/workbook.xml.rels", relazioni},
        {"xl/styles.xml", kStili}};
    for (const auto& [nome, testo] : parti) {
        if (fallito_) {
            break;
        }
        QuaZipFile parte(zip_.get());
        fallito_ = !parte.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(nome))) ||
                   parte.write(testo.data(), static_cast<qint64>(testo.size())) !=
                       static_cast<qint64>(testo.size());
        parte.close();
        fallito_ = fallito_ || parte.getZipError() != 0;
    }
    const int errore = errno;
    zip_->close();
    fallito_ = fallito_ || zip_->getZipError() != 0;
    std::error_code e;
    if (fallito_) {
        perche = PercheSistema(errore != 0 ? errore : EIO);
        std::filesystem::remove(provvisorio_, e);
        return false;
    }
    std::filesystem::rename(provvisorio_, percorso_, e);
    if (e) {
        perche = PercheSistema(e.value());
        std::filesystem::remove(provvisorio_, e);
        return false;
    }
    return true;
}

}  // namespace nodrel
