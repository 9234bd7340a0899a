// Excel 2007-365 workbooks (Office Open XML): a ZIP of XML parts, found through their
// relationships. The sheet streams through the scanner; the shared strings are kept in one
// buffer, since a sheet of a million different codes has a million of them.

#include <quazip.h>
#include <quazipfile.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>

#include "engine/testo.h"
#include "fogli/interno.h"
#include "fogli/xml.h"

namespace nodrel {

namespace {

constexpr std::string_view kPrincipale =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr std::string_view kPrincipaleStretto = "http://purl.oclc.org/ooxml/spreadsheetml/main";
constexpr std::string_view kRelazioni =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::string_view kRelazioniStrette =
    "http://purl.oclc.org/ooxml/officeDocument/relationships";
// Beyond this a row number read as a double is no longer exact.
constexpr double kRigheXlsx = 9007199254740992.0;

// The names of a part's elements under the prefix its root gives the spreadsheet namespace.
struct Nomi {
    explicit Nomi(const xml::Scanner& radice) {
        std::optional<std::string_view> p = radice.Prefisso(kPrincipale);
        if (!p) {
            p = radice.Prefisso(kPrincipaleStretto);
        }
        // Without a declaration, the root's own prefix.
        const std::string_view nome = radice.Nome();
        const std::size_t due = nome.find(':');
        const std::string_view usato = p                               ? *p
                                       : due == std::string_view::npos ? std::string_view()
                                                                       : nome.substr(0, due);
        auto q = [usato](std::string_view nome) {
            return xml::Nome(xml::Qualificato(usato, "", nome));
        };
        row = q("row"), c = q("c"), v = q("v"), is = q("is"), t = q("t"), rPh = q("rPh");
        f = q("f"), si = q("si"), sheetData = q("sheetData"), sheet = q("sheet");
        numFmt = q("numFmt"), cellXfs = q("cellXfs"), xf = q("xf"), workbookPr = q("workbookPr");
    }
    xml::Nome row, c, v, is, t, rPh, f, si, sheetData, sheet, numFmt, cellXfs, xf, workbookPr;
};

int Intero(std::optional<std::string_view> testo, int altrimenti) {
    double n = 0;
    return testo && celle::LeggiNumero(*testo, n) && n >= 0 && n < 1e9 ? static_cast<int>(n)
                                                                       : altrimenti;
}

// "C12" -> 2, the column of a cell's reference; -1 when it has none.
long Colonna(std::string_view riferimento) {
    long colonna = 0;
    std::size_t i = 0;
    for (; i < riferimento.size() && i < 4; ++i) {
        const char c = static_cast<char>(riferimento[i] & ~0x20);
        if (c < 'A' || c > 'Z') {
            break;
        }
        colonna = colonna * 26 + (c - 'A' + 1);
    }
    return i == 0 ? -1 : colonna - 1;
}

// The _xHHHH_ escapes with which the format keeps characters XML cannot hold.
void TogliEscape(std::string& testo, std::size_t da) {
    if (testo.find("_x", da) == std::string::npos) {
        return;
    }
    std::string fatto;
    std::size_t i = da;
    for (;;) {
        const std::size_t p = testo.find("_x", i);
        if (p == std::string::npos || p + 7 > testo.size()) {
            break;
        }
        unsigned codice = 0;
        const auto [q, ec] =
            std::from_chars(testo.data() + p + 2, testo.data() + p + 6, codice, 16);
        if (ec != std::errc() || q != testo.data() + p + 6 || testo[p + 6] != '_') {
            fatto.append(testo, i, p + 2 - i);
            i = p + 2;
            continue;
        }
        fatto.append(testo, i, p - i);
        NODREL1::AggiungiUtf8(fatto, codice >= 0xD800 && codice <= 0xDFFF ? 0xFFFD : codice);
        i = p + 7;
    }
    fatto.append(testo, i);
    testo.replace(da, std::string::npos, fatto);
}

class Xlsx final : public Cartella::Lettore {
public:
    explicit Xlsx(const QString& percorso) : zip_(percorso) {}

    bool Apri(QStringList& fogli, QString& errore) override;
    bool Leggi(std::size_t foglio, const RigaFoglio& riga, QString& errore) override;

private:
    bool Voce(const QString& nome, QuaZipFile& file);
    std::optional<std::string> Tutta(const QString& nome);
    static std::map<std::string, std::string> Relazioni(const std::string& testo, const QString& di,
                                                        std::map<std::string, std::string>* tipi);
    void Stili(const std::string& testo);
    bool Condivisi(QString& errore);
    void Valore(std::string_view tipo, const celle::Stile& stile, std::string& valore,
                std::string& out) const;

    QuaZip zip_;
    std::vector<QString> parti_;  // each sheet's part
    QString condivisi_, stili_;
    bool dal1904_ = false;
    std::vector<celle::Stile> diStile_;
    bool letti_ = false;
    std::string testi_;                // the shared strings, one after the other
    std::vector<std::uint32_t> dove_;  // where each begins in testi_, and where the last ends
};

bool Xlsx::Voce(const QString& nome, QuaZipFile& file) {
    return zip_.setCurrentFile(nome, QuaZip::csInsensitive) && file.open(QIODevice::ReadOnly);
}

std::optional<std::string> Xlsx::Tutta(const QString& nome) {
    QuaZipFile file(&zip_);
    if (!Voce(nome, file)) {
        return std::nullopt;
    }
    const QByteArray dati = file.readAll();
    return std::string(dati.constData(), static_cast<std::size_t>(dati.size()));
}

xml::Fonte DaTesto(const std::string& testo) {
    return [&testo, fatto = std::size_t{0}](char* dati, std::int64_t n) mutable -> std::int64_t {
        const std::size_t quanto = std::min(static_cast<std::size_t>(n), testo.size() - fatto);
        std::memcpy(dati, testo.data() + fatto, quanto);
        fatto += quanto;
        return static_cast<std::int64_t>(quanto);
    };
}

// A part's path from a relationship's target, which is relative to the part that names it
// ("worksheets/sheet1.xml" from xl/workbook.xml) or absolute ("/xl/worksheets/sheet1.xml").
QString Percorso(const QString& di, const QString& destinazione) {
    QStringList parti;
    if (!destinazione.startsWith(u'/')) {
        parti = di.split(u'/');
        parti.removeLast();
    }
    for (const QString& p : destinazione.split(u'/', Qt::SkipEmptyParts)) {
        if (p == QLatin1String("..")) {
            if (!parti.isEmpty()) {
                parti.removeLast();
            }
        } else if (p != QLatin1String(".")) {
            parti.append(p);
        }
    }
    return parti.join(u'/');
}

// The relationships of a part: Id -> the path of the part it leads to; by type, the last word
// of the type ("styles") -> the path, in `tipi`.
std::map<std::string, std::string> Xlsx::Relazioni(const std::string& testo, const QString& di,
                                                   std::map<std::string, std::string>* tipi) {
    std::map<std::string, std::string> id;
    xml::Scanner x(DaTesto(testo));
    for (auto e = x.Avanti(); e != xml::Scanner::Evento::Fine && e != xml::Scanner::Evento::Errore;
         e = x.Avanti()) {
        if (e != xml::Scanner::Evento::Apertura ||
            x.Nome().substr(x.Nome().find(':') + 1) != "Relationship") {
            continue;
        }
        const auto target = x.Attributo("Target");
        if (!target || x.Attributo("TargetMode") == "External") {
            continue;
        }
        const std::string percorso =
            Percorso(di, QString::fromStdString(xml::Decodificato(*target))).toStdString();
        if (const auto i = x.Attributo("Id")) {
            id[xml::Decodificato(*i)] = percorso;
        }
        if (const auto t = x.Attributo("Type"); t && tipi != nullptr) {
            (*tipi)[std::string(t->substr(t->rfind('/') + 1))] = percorso;
        }
    }
    return id;
}

void Xlsx::Stili(const std::string& testo) {
    xml::Scanner x(DaTesto(testo));
    x.Radice();
    const Nomi n(x);
    std::map<int, celle::Stile> formati;
    bool celle = false;
    for (auto e = x.Avanti(); e != xml::Scanner::Evento::Fine && e != xml::Scanner::Evento::Errore;
         e = x.Avanti()) {
        if (e == xml::Scanner::Evento::Apertura && x.Nome() == n.numFmt) {
            formati[Intero(x.Attributo("numFmtId"), -1)] =
                celle::DalCodice(xml::Decodificato(x.Attributo("formatCode").value_or("")));
        } else if (x.Nome() == n.cellXfs) {
            celle = e == xml::Scanner::Evento::Apertura && !x.Vuoto();
        } else if (celle && e == xml::Scanner::Evento::Apertura && x.Nome() == n.xf) {
            const int id = Intero(x.Attributo("numFmtId"), 0);
            const auto f = formati.find(id);
            diStile_.push_back(f != formati.end() ? f->second : celle::Predefinito(id));
        }
    }
}

bool Xlsx::Apri(QStringList& fogli, QString& errore) {
    if (!zip_.open(QuaZip::mdUnzip)) {
        errore = QStringLiteral("il file è danneggiato");
        return false;
    }
    std::map<std::string, std::string> tipi;
    QString libro = QStringLiteral("xl/workbook.xml");
    if (const auto radice = Tutta(QStringLiteral("_rels/.rels"))) {
        Relazioni(*radice, QString(), &tipi);
        if (const auto t = tipi.find("officeDocument"); t != tipi.end()) {
            libro = QString::fromStdString(t->second);
        }
    }
    const auto testo = Tutta(libro);
    if (!testo) {
        errore = QStringLiteral("il file non contiene fogli");
        return false;
    }
    const int barra = libro.lastIndexOf(u'/');
    const QString relazioni = libro.left(barra + 1) + QStringLiteral("_rels/") +
                              libro.mid(barra + 1) + QStringLiteral(".rels");
    tipi.clear();
    const auto rel = Tutta(relazioni);
    const std::map<std::string, std::string> id =
        rel ? Relazioni(*rel, libro, &tipi) : std::map<std::string, std::string>();
    auto tipo = [&](const char* nome, const char* solito) {
        const auto t = tipi.find(nome);
        return t != tipi.end() ? QString::fromStdString(t->second) : QLatin1String(solito);
    };
    condivisi_ = tipo("sharedStrings", "xl/sharedStrings.xml");
    stili_ = tipo("styles", "xl/styles.xml");

    xml::Scanner x(DaTesto(*testo));
    auto e = x.Radice();
    const Nomi n(x);
    std::optional<std::string_view> p = x.Prefisso(kRelazioni);
    if (!p) {
        p = x.Prefisso(kRelazioniStrette);
    }
    const std::string rid = xml::Qualificato(p, "r", "id");
    for (; e != xml::Scanner::Evento::Fine && e != xml::Scanner::Evento::Errore; e = x.Avanti()) {
        if (e != xml::Scanner::Evento::Apertura) {
            continue;
        }
        if (x.Nome() == n.workbookPr) {
            const auto d = x.Attributo("date1904");
            dal1904_ = d == "1" || d == "true";
        } else if (x.Nome() == n.sheet) {
            const auto r = id.find(xml::Decodificato(x.Attributo(rid).value_or("")));
            fogli.append(
                QString::fromStdString(xml::Decodificato(x.Attributo("name").value_or(""))));
            parti_.push_back(
                r != id.end() ? QString::fromStdString(r->second)
                              : QStringLiteral("xl/worksheets/sheet%1.xml").arg(parti_.size() + 1));
        }
    }
    if (e == xml::Scanner::Evento::Errore || fogli.isEmpty()) {
        errore = e == xml::Scanner::Evento::Errore ? QStringLiteral("il foglio è danneggiato")
                                                   : QStringLiteral("il file non contiene fogli");
        return false;
    }
    if (const auto s = Tutta(stili_)) {
        Stili(*s);
    }
    return true;
}

bool Xlsx::Condivisi(QString& errore) {
    letti_ = true;
    dove_.assign(1, 0);
    QuaZipFile file(&zip_);
    if (!Voce(condivisi_, file)) {
        return true;  // a workbook with no text has none
    }
    Anticipo anticipo(file);
    xml::Scanner x([&anticipo](char* dati, std::int64_t n) { return anticipo.Leggi(dati, n); });
    auto e = x.Radice();
    const Nomi n(x);
    // The text of each <si>: of its <t>, directly or in runs, not of phonetic hints.
    bool testo = false;
    std::size_t inizio = 0;
    for (; e != xml::Scanner::Evento::Fine && e != xml::Scanner::Evento::Errore; e = x.Avanti()) {
        if (e == xml::Scanner::Evento::Testo) {
            if (testo) {
                if (x.Cdata()) {
                    testi_.append(x.Testo());
                } else {
                    xml::Decodifica(x.Testo(), testi_);
                }
            }
        } else if (x.Nome() == n.t) {
            testo = e == xml::Scanner::Evento::Apertura && !x.Vuoto();
        } else if (e == xml::Scanner::Evento::Apertura && x.Nome() == n.rPh) {
            x.Salta();
        } else if (x.Nome() == n.si && e == xml::Scanner::Evento::Apertura) {
            inizio = testi_.size();
            if (x.Vuoto()) {
                dove_.push_back(static_cast<std::uint32_t>(testi_.size()));
            }
        } else if (x.Nome() == n.si) {
            TogliEscape(testi_, inizio);
            if (testi_.size() > UINT32_MAX) {
                errore = QStringLiteral("il foglio è troppo grande");
                return false;
            }
            dove_.push_back(static_cast<std::uint32_t>(testi_.size()));
        }
    }
    if (e == xml::Scanner::Evento::Errore) {
        errore = QStringLiteral("il foglio è danneggiato");
        return false;
    }
    testi_.shrink_to_fit();
    return true;
}

// A cell's value as the suite shows it, from its type, its style and the text of its <v> (or
// of its inline string).
void Xlsx::Valore(std::string_view tipo, const celle::Stile& stile, std::string& valore,
                  std::string& out) const {
    double v = 0;
    if (tipo == "b") {
        out += valore == "1" || valore == "true" ? "VERO" : "FALSO";
    } else if (tipo == "str" || tipo == "e" || tipo == "inlineStr") {
        TogliEscape(valore, 0);
        out += valore;
    } else if (tipo == "d") {
        if (!celle::DaIso(valore, out)) {
            out += valore;
        }
    } else if (celle::LeggiNumero(valore, v)) {
        celle::Mostra(v, stile, dal1904_, out);
    } else {
        out += valore;
    }
}

bool Xlsx::Leggi(std::size_t foglio, const RigaFoglio& consegna, QString& errore) {
    if (foglio >= parti_.size()) {
        errore = QStringLiteral("il foglio non si trova nel file");
        return false;
    }
    if (!letti_ && !Condivisi(errore)) {
        return false;
    }
    QuaZipFile file(&zip_);
    if (!Voce(parti_[foglio], file)) {
        errore = QStringLiteral("il foglio non si trova nel file");
        return false;
    }
    using E = xml::Scanner::Evento;
    std::optional<Anticipo> anticipo(std::in_place, file);
    xml::Scanner x([&anticipo](char* dati, std::int64_t n) { return anticipo->Leggi(dati, n); });
    auto e = x.Radice();
    const Nomi n(x);
    Riga riga;
    std::uint64_t numero = 0;
    long colonna = -1;
    // The cell being read: its type and style, and the text of its value, which is taken from
    // <v>, or from the <t> of an inline string, and from nothing else (an XML writer's blanks
    // between the elements are no part of it).
    std::string tipo;  // a copy: the scanner's buffer moves as it reads on
    celle::Stile stile;
    std::string valore;
    bool inValore = false, inLinea = false;
    for (; e != E::Fine && e != E::Errore; e = x.Avanti()) {
        if (e == E::Testo) {
            if (inValore) {
                x.Cdata() ? void(valore.append(x.Testo())) : xml::Decodifica(x.Testo(), valore);
            }
            continue;
        }
        const std::string_view nome = x.Nome();
        if (e == E::Apertura) {
            if (nome == n.c) {
                const auto r = x.Attributo("r");
                const long c = r ? Colonna(*r) : -1;
                colonna = c >= 0 ? c : colonna + 1;
                tipo.assign(x.Attributo("t").value_or(std::string_view()));
                const auto s = static_cast<std::size_t>(Intero(x.Attributo("s"), 0));
                stile = s < diStile_.size() ? diStile_[s] : celle::Stile();
                valore.clear();
                inLinea = false;
            } else if (nome == n.v) {
                inValore = !x.Vuoto();
            } else if (nome == n.is) {
                inLinea = !x.Vuoto();
            } else if (nome == n.t && inLinea) {
                inValore = !x.Vuoto();
            } else if (nome == n.rPh || nome == n.f) {
                if (!x.Salta()) {
                    break;
                }
            } else if (nome == n.row) {
                double r = 0;
                // A row's own number when it is one a sheet can have, else the next.
                numero = celle::LeggiNumero(x.Attributo("r").value_or(""), r) && r >= 1 &&
                                 r <= kRigheXlsx
                             ? static_cast<std::uint64_t>(r)
                             : numero + 1;
                colonna = -1;
                riga.Svuota();
            }
            continue;
        }
        if (nome == n.v || nome == n.t) {
            inValore = false;
        } else if (nome == n.is) {
            inLinea = false;
        } else if (nome == n.c) {
            const auto col = static_cast<std::size_t>(colonna);
            double i = 0;
            if (tipo != "s") {
                Valore(tipo, stile, valore, riga.Inizia());
                riga.Metti(col);
            } else if (celle::LeggiNumero(valore, i) && i >= 0 &&
                       i + 1 < static_cast<double>(dove_.size())) {
                const auto k = static_cast<std::size_t>(i);
                riga.Metti(col,
                           std::string_view(testi_.data() + dove_[k], dove_[k + 1] - dove_[k]));
            }
        } else if (nome == n.row) {
            numero = std::max<std::uint64_t>(numero, 1);  // a </row> that no <row> opened
            if (!riga.Consegna(numero, consegna)) {
                return true;
            }
            riga.Svuota();
        } else if (nome == n.sheetData) {
            return true;  // what follows is no cell
        }
    }
    anticipo.reset();  // the file is its reader's until then
    if (e == E::Errore || file.getZipError() != UNZ_OK) {
        errore = QStringLiteral("il foglio è danneggiato");
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<Cartella::Lettore> LettoreXlsx(const QString& percorso) {
    return std::make_unique<Xlsx>(percorso);
}

}  // namespace nodrel
