// Excel 97-2003 workbooks (BIFF in a compound file), read with FreeXL, which loads the whole
// workbook at once: such a file holds at most 65,536 rows a sheet.

#include <freexl.h>

#include <QFile>

#include "fogli/biff.h"
#include "fogli/interno.h"

namespace nodrel {

namespace {

QString Motivo(int codice) {
    switch (codice) {
        case FREEXL_FILE_NOT_FOUND:
            return QStringLiteral("il file non esiste");
        case FREEXL_INSUFFICIENT_MEMORY:
            return QStringLiteral("memoria insufficiente");
        case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
            return QStringLiteral("il file non contiene fogli");
        default:
            return QStringLiteral("il foglio è danneggiato");
    }
}

class Xls final : public Cartella::Lettore {
public:
    explicit Xls(const QString& percorso) : percorso_(percorso) {}
    ~Xls() override {
        if (libro_ != nullptr) {
            freexl_close(libro_);
        }
    }

    bool Apri(QStringList& fogli, QString& errore) override {
        const int esito = freexl_open(QFile::encodeName(percorso_).constData(), &libro_);
        if (esito != FREEXL_OK) {
            errore = Motivo(esito);
            return false;
        }
        unsigned int info = 0;
        if (freexl_get_info(libro_, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
            info == FREEXL_BIFF_OBFUSCATED) {
            errore = QStringLiteral("il file è protetto da password");
            return false;
        }
        unsigned int quanti = 0;
        if (freexl_get_info(libro_, FREEXL_BIFF_SHEET_COUNT, &quanti) != FREEXL_OK || quanti == 0) {
            errore = QStringLiteral("il file non contiene fogli");
            return false;
        }
        // What FreeXL leaves out, from the same bytes; without it, what FreeXL gives.
        QFile file(percorso_);
        const QByteArray dati = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        if (!biff::Leggi(std::string_view(dati.constData(), static_cast<std::size_t>(dati.size())),
                         altro_) ||
            altro_.fogli.size() != quanti) {
            altro_.fogli.clear();
        }
        for (unsigned int i = 0; i < quanti && i <= 0xFFFF; ++i) {
            const char* nome = nullptr;
            freexl_get_worksheet_name(libro_, static_cast<unsigned short>(i), &nome);
            fogli.append(QString::fromUtf8(nome != nullptr ? nome : ""));
        }
        return true;
    }

    bool Leggi(std::size_t foglio, const RigaFoglio& consegna, QString& errore) override {
        unsigned int righe = 0;
        unsigned short colonne = 0;
        if (foglio > 0xFFFF ||
            freexl_select_active_worksheet(libro_, static_cast<unsigned short>(foglio)) !=
                FREEXL_OK ||
            freexl_worksheet_dimensions(libro_, &righe, &colonne) != FREEXL_OK) {
            errore = QStringLiteral("il foglio non si trova nel file");
            return false;
        }
        const biff::Foglio* altro = foglio < altro_.fogli.size() ? &altro_.fogli[foglio] : nullptr;
        Riga riga;
        for (unsigned int r = 0; r < righe; ++r) {
            riga.Svuota();
            for (unsigned short c = 0; c < colonne; ++c) {
                FreeXL_CellValue v{};
                if (freexl_get_cell_value(libro_, r, c, &v) != FREEXL_OK) {
                    errore = QStringLiteral("il foglio è danneggiato");
                    return false;
                }
                const std::uint32_t dove = r << 16 | c;
                std::string& out = riga.Inizia();
                switch (v.type) {
                    case FREEXL_CELL_INT:
                    case FREEXL_CELL_DOUBLE: {
                        int cifre = 0;
                        if (altro != nullptr) {
                            const auto k = altro->cifre.find(dove);
                            cifre = k != altro->cifre.end() ? k->second : 0;
                        }
                        celle::Numero(
                            v.type == FREEXL_CELL_INT ? v.value.int_value : v.value.double_value,
                            cifre, out);
                        break;
                    }
                    case FREEXL_CELL_DATE:
                    case FREEXL_CELL_DATETIME:
                        if (!celle::DaIso(v.value.text_value, out)) {
                            out += v.value.text_value;
                        }
                        break;
                    case FREEXL_CELL_TEXT:
                    case FREEXL_CELL_SST_TEXT:
                    case FREEXL_CELL_TIME:
                        out += v.value.text_value != nullptr ? v.value.text_value : "";
                        break;
                    default:
                        if (altro == nullptr) {
                            continue;
                        }
                        if (const auto f = altro->formule.find(dove); f != altro->formule.end()) {
                            if (f->second.tipo == biff::Formula::Tipo::Numero) {
                                celle::Mostra(f->second.numero, f->second.stile, altro_.dal1904,
                                              out);
                            } else {
                                out += f->second.testo;
                            }
                        }
                        break;
                }
                riga.Metti(c);
            }
            if (!riga.Consegna(std::uint64_t{r} + 1, consegna)) {
                return true;
            }
        }
        return true;
    }

private:
    QString percorso_;
    const void* libro_ = nullptr;
    biff::Libro altro_;
};

}  // namespace

std::unique_ptr<Cartella::Lettore> LettoreXls(const QString& percorso) {
    return std::make_unique<Xls>(percorso);
}

}  // namespace nodrel
