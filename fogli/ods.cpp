// OpenDocument spreadsheets: content.xml of an .ods, or the whole of a flat .fods. A cell is
// read by its value and value type; its paragraphs give the text of a string, and the digits a
// format of noughts shows; a comment (an annotation) and hidden text are no part of it. Rows
// and cells repeated are counted, so that a sheet's empty margin of a million rows costs
// nothing.

#include <quazip.h>
#include <quazipfile.h>

#include <QFile>
#include <algorithm>
#include <cmath>

#include "fogli/interno.h"
#include "fogli/xml.h"

namespace nodrel {

namespace {

using E = xml::Scanner::Evento;

constexpr std::string_view kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kTable = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr std::string_view kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";

// A sheet's rows cannot be more than this; a repeat past it is a damaged file.
constexpr std::uint64_t kRighe = std::uint64_t{1} << 32;

// The names the document's root binds to the three namespaces read here.
struct Nomi {
    explicit Nomi(const xml::Scanner& radice) {
        auto o = [&](std::string_view n) {
            return xml::Nome(xml::Qualificato(radice.Prefisso(kOffice), "office", n));
        };
        auto t = [&](std::string_view n) {
            return xml::Nome(xml::Qualificato(radice.Prefisso(kTable), "table", n));
        };
        auto x = [&](std::string_view n) {
            return xml::Nome(xml::Qualificato(radice.Prefisso(kText), "text", n));
        };
        spreadsheet = o("spreadsheet"), annotation = o("annotation");
        valueType = o("value-type"), value = o("value"), dateValue = o("date-value");
        timeValue = o("time-value"), booleanValue = o("boolean-value"),
        stringValue = o("string-value");
        table = t("table"), tableRow = t("table-row"), tableCell = t("table-cell");
        coveredCell = t("covered-table-cell"), name = t("name");
        rowsRepeated = t("number-rows-repeated"), columnsRepeated = t("number-columns-repeated");
        p = x("p"), h = x("h"), s = x("s"), c = x("c"), tab = x("tab"), lineBreak = x("line-break");
        hiddenText = x("hidden-text"), hiddenParagraph = x("hidden-paragraph"), note = x("note");
        rubyText = x("ruby-text");
    }
    xml::Nome spreadsheet, annotation, valueType, value, dateValue, timeValue, booleanValue,
        stringValue, table, tableRow, tableCell, coveredCell, name, rowsRepeated, columnsRepeated,
        p, h, s, c, tab, lineBreak, hiddenText, hiddenParagraph, note, rubyText;
};

std::uint64_t Volte(std::optional<std::string_view> testo) {
    double n = 0;
    return testo && celle::LeggiNumero(*testo, n) && n >= 1
               ? static_cast<std::uint64_t>(std::min(n, 1e12))
               : 1;
}

class Ods final : public Cartella::Lettore {
public:
    Ods(const QString& percorso, bool piatto) : percorso_(percorso), piatto_(piatto) {}

    bool Apri(QStringList& fogli, QString& errore) override {
        // The names of the sheets, from a reading of the document that stops at nothing.
        return Scorri(
            SIZE_MAX,
            [&fogli](const xml::Scanner& x, const Nomi& n) {
                fogli.append(
                    QString::fromStdString(xml::Decodificato(x.Attributo(n.name).value_or(""))));
            },
            nullptr, errore);
    }

    bool Leggi(std::size_t foglio, const RigaFoglio& riga, QString& errore) override {
        return Scorri(foglio, nullptr, &riga, errore);
    }

private:
    using Visto = std::function<void(const xml::Scanner&, const Nomi&)>;
    // Reads the document: each sheet to `visto`, and the rows of sheet `foglio` to `riga`.
    bool Scorri(std::size_t foglio, const Visto& visto, const RigaFoglio* riga, QString& errore);
    // The rows of the sheet whose start the scanner is on; false when `riga` wants no more.
    bool Righe(xml::Scanner& x, const Nomi& n, const RigaFoglio& riga);
    // The text of a cell's paragraphs, the reader on the cell's end.
    bool Testo(xml::Scanner& x, const Nomi& n, std::string& out);

    QString percorso_;
    bool piatto_;
};

bool Ods::Scorri(std::size_t foglio, const Visto& visto, const RigaFoglio* riga, QString& errore) {
    QuaZip zip(percorso_);
    QuaZipFile voce(&zip);
    QFile file(percorso_);
    QIODevice* dispositivo = &file;
    if (piatto_) {
        if (!file.open(QIODevice::ReadOnly)) {
            errore = file.errorString();
            return false;
        }
    } else {
        if (!zip.open(QuaZip::mdUnzip)) {
            errore = QStringLiteral("il file è danneggiato");
            return false;
        }
        if (!zip.setCurrentFile(QStringLiteral("content.xml"), QuaZip::csInsensitive) ||
            !voce.open(QIODevice::ReadOnly)) {
            errore = QStringLiteral("il file non contiene fogli");
            return false;
        }
        dispositivo = &voce;
    }
    xml::Scanner x(
        [dispositivo](char* dati, std::int64_t n) { return dispositivo->read(dati, n); });
    auto e = x.Radice();
    const Nomi n(x);
    // The sheets are the tables directly in <office:spreadsheet>; a chart's table, within an
    // object of a flat file, is none.
    std::size_t dentro = 0, fogli = 0;
    for (; e != E::Fine && e != E::Errore; e = x.Avanti()) {
        if (e != E::Apertura) {
            continue;
        }
        if (x.Nome() == n.spreadsheet && dentro == 0) {
            dentro = x.Profondita();
        } else if (x.Nome() == n.table && dentro != 0 && x.Profondita() == dentro + 1) {
            if (visto) {
                visto(x, n);
            }
            if (riga != nullptr && fogli == foglio) {
                if (Righe(x, n, *riga)) {
                    return true;
                }
                e = E::Errore;
                break;
            }
            ++fogli;
            if (!x.Salta()) {
                e = E::Errore;
                break;
            }
        }
    }
    if (e == E::Errore) {
        errore = QStringLiteral("il foglio è danneggiato");
        return false;
    }
    if (riga != nullptr) {
        errore = QStringLiteral("il foglio non si trova nel file");
        return false;
    }
    return true;
}

bool Ods::Righe(xml::Scanner& x, const Nomi& n, const RigaFoglio& consegna) {
    if (x.Vuoto()) {
        return true;
    }
    const std::size_t fuori = x.Profondita() - 1;
    Riga riga;
    std::uint64_t numero = 0, volte = 1;
    std::size_t colonna = 0;
    bool valori = false;
    std::string testo;
    for (auto e = x.Avanti(); e != E::Fine; e = x.Avanti()) {
        if (e == E::Errore) {
            return false;
        }
        if (e == E::Chiusura) {
            if (x.Profondita() == fuori) {
                return true;  // the table's end
            }
            if (x.Nome() == n.tableRow) {
                for (std::uint64_t i = 0; valori && i < volte; ++i) {
                    if (!riga.Consegna(numero + i + 1, consegna)) {
                        return true;
                    }
                }
                numero += volte;
            }
            continue;
        }
        if (e != E::Apertura) {
            continue;
        }
        if (x.Nome() == n.tableRow) {
            volte = Volte(x.Attributo(n.rowsRepeated));
            if (numero + volte > kRighe) {
                return true;  // no suite has such rows: the rest is no list
            }
            riga.Svuota();
            colonna = 0;
            valori = false;
            if (x.Vuoto()) {
                numero += volte;
            }
            continue;
        }
        if (x.Nome() != n.tableCell && x.Nome() != n.coveredCell) {
            continue;
        }
        const std::uint64_t ripetute = Volte(x.Attributo(n.columnsRepeated));
        // Copies: the scanner's buffer moves as the paragraphs are read.
        const std::string tipo(x.Attributo(n.valueType).value_or(""));
        const std::string_view chiave = tipo == "date"      ? n.dateValue
                                        : tipo == "time"    ? n.timeValue
                                        : tipo == "boolean" ? n.booleanValue
                                        : tipo == "string"  ? n.stringValue
                                                            : n.value;
        const std::optional<std::string_view> grezzo = x.Attributo(chiave);
        const bool conValore = grezzo.has_value();
        const std::string valore = xml::Decodificato(grezzo.value_or(""));
        testo.clear();
        if (!x.Vuoto() && !Testo(x, n, testo)) {
            return false;
        }
        std::string& out = riga.Inizia();
        double v = 0;
        if (tipo == "date" && celle::DaIso(valore, out)) {
        } else if (tipo == "time" && celle::DaDurata(valore, out)) {
        } else if (tipo == "boolean") {
            out += valore == "true" || valore == "1" ? "VERO" : "FALSO";
        } else if ((tipo == "float" || tipo == "percentage" || tipo == "currency") &&
                   celle::LeggiNumero(valore, v)) {
            // A format of noughts shows in the paragraph: its digits, when they are the value.
            const std::string_view mostrato = celle::Rifilato(testo);
            double m = 0;
            const bool cifre = std::all_of(mostrato.begin(), mostrato.end(),
                                           [](char c) { return c >= '0' && c <= '9'; }) &&
                               celle::LeggiNumero(mostrato, m) && m == v;
            celle::Numero(v, cifre ? static_cast<int>(mostrato.size()) : 0, out);
        } else if (tipo == "string" && conValore) {
            out += valore;
        } else {
            out += testo;
        }
        if (!celle::Rifilato(out).empty()) {
            valori = true;
            riga.Metti(colonna);
            riga.Ripeti(colonna, static_cast<std::size_t>(
                                     std::min<std::uint64_t>(ripetute, celle::kColonne)));
        }
        colonna =
            static_cast<std::size_t>(std::min<std::uint64_t>(colonna + ripetute, celle::kColonne));
    }
    return true;
}

bool Ods::Testo(xml::Scanner& x, const Nomi& n, std::string& out) {
    // ODF collapses the blanks of a paragraph's text (its own blanks are <text:s>); paragraphs
    // are lines.
    const std::size_t cella = x.Profondita();
    std::size_t paragrafi = 0, paragrafo = 0;
    bool bianco = false;
    std::string pezzo;
    for (auto e = x.Avanti(); e != E::Fine && e != E::Errore; e = x.Avanti()) {
        if (e == E::Chiusura) {
            if (x.Profondita() + 1 == cella) {
                return true;
            }
            if (x.Profondita() + 1 == paragrafo) {
                paragrafo = 0;
            }
            continue;
        }
        if (e == E::Testo) {
            if (paragrafo == 0) {
                continue;  // an XML writer's indentation between paragraphs
            }
            pezzo.clear();
            x.Cdata() ? void(pezzo.append(x.Testo())) : xml::Decodifica(x.Testo(), pezzo);
            for (char c : pezzo) {
                if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                    bianco = true;
                } else {
                    if (bianco) {
                        out += ' ';
                    }
                    bianco = false;
                    out += c;
                }
            }
            continue;
        }
        const std::string_view nome = x.Nome();
        if (paragrafo == 0) {
            if (x.Profondita() == cella + 1 && (nome == n.p || nome == n.h)) {
                if (paragrafi++ > 0) {
                    out += '\n';
                }
                paragrafo = x.Vuoto() ? 0 : x.Profondita();
                bianco = false;
            } else if (!x.Salta()) {
                return false;  // a comment, a shape: not the cell's text
            }
            continue;
        }
        // A blank before an element of the text's own is one blank; before a span it may
        // still merge with the span's blanks.
        if (bianco && (nome == n.s || nome == n.tab || nome == n.lineBreak)) {
            out += ' ';
            bianco = false;
        }
        if (nome == n.s) {
            out.append(
                static_cast<std::size_t>(std::min<std::uint64_t>(Volte(x.Attributo(n.c)), 1024)),
                ' ');
        } else if (nome == n.tab) {
            out += '\t';
        } else if (nome == n.lineBreak) {
            out += '\n';
        } else if (nome == n.annotation || nome == n.hiddenText || nome == n.hiddenParagraph ||
                   nome == n.note || nome == n.rubyText) {
            if (!x.Salta()) {
                return false;
            }
        }
    }
    return false;
}

}  // namespace

std::unique_ptr<Cartella::Lettore> LettoreOds(const QString& percorso, bool piatto) {
    return std::make_unique<Ods>(percorso, piatto);
}

}  // namespace nodrel
