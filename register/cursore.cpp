#include "register/cursore.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/errore.h"
#include "engine/testo.h"
#include "register/schema.h"
#include "register/sqlite.h"

namespace nodrel {

namespace {

using NODREL1::Errore;
using NODREL1::Utf16;
using NODREL1::Utf8;

// The cursor's statements, one per order and use. INDEXED BY makes a missing or unusable index
// an error instead of a silent scan. Ties go by row number, the order the build tool wrote the
// rows in. A move is one seek past the row value (key, rowid) of the current record; SQLite
// takes a row value as an index range only with the collation on its right-hand side, and
// steps over the equal keys before the current row, a few homonyms at most.
struct Ordine {
    std::string_view seek[2];   // by Confronto: ">=", "="
    std::string_view muovi[2];  // next, previous
};
constexpr Ordine kOrdini[2] = {
    // by Indice
    {
        // COMU_DESCR
        {
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_DESCR WHERE COMU_DESCR COLLATE NOCASE >= ?1"
            " ORDER BY COMU_DESCR COLLATE NOCASE, rowid LIMIT 1",
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_DESCR WHERE COMU_DESCR COLLATE NOCASE = ?1"
            " ORDER BY COMU_DESCR COLLATE NOCASE, rowid LIMIT 1",
        },
        {
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_DESCR WHERE (COMU_DESCR, rowid) > (?1 COLLATE NOCASE, ?2)"
            " ORDER BY COMU_DESCR COLLATE NOCASE, rowid LIMIT 1",
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_DESCR WHERE (COMU_DESCR, rowid) < (?1 COLLATE NOCASE, ?2)"
            " ORDER BY COMU_DESCR COLLATE NOCASE DESC, rowid DESC LIMIT 1",
        },
    },
    {
        // COMU_COD
        {
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_COD WHERE COMU_COD COLLATE BINARY >= ?1"
            " ORDER BY COMU_COD COLLATE BINARY, rowid LIMIT 1",
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_COD WHERE COMU_COD COLLATE BINARY = ?1"
            " ORDER BY COMU_COD COLLATE BINARY, rowid LIMIT 1",
        },
        {
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_COD WHERE (COMU_COD, rowid) > (?1 COLLATE BINARY, ?2)"
            " ORDER BY COMU_COD COLLATE BINARY, rowid LIMIT 1",
            "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
            " FROM Comuni INDEXED BY COMU_COD WHERE (COMU_COD, rowid) < (?1 COLLATE BINARY, ?2)"
            " ORDER BY COMU_COD COLLATE BINARY DESC, rowid DESC LIMIT 1",
        },
    },
};

constexpr std::string_view kOmonimi =
    "SELECT rowid, COMU_COD, COMU_DESCR, COMU_PROV, COMU_DAL, COMU_AL"
    " FROM Comuni INDEXED BY COMU_DESCR WHERE COMU_DESCR COLLATE NOCASE = ?1"
    " ORDER BY COMU_DESCR COLLATE NOCASE, rowid";

class CursoreComuni final : public NODREL1::Recordset {
public:
    explicit CursoreComuni(Connessione db) : db_(std::move(db)) {
        for (int o = 0; o < 2; ++o) {
            for (int i = 0; i < 2; ++i) {
                seek_[o][i] = Prepara(db_.get(), kOrdini[o].seek[i], kContesto);
                muovi_[o][i] = Prepara(db_.get(), kOrdini[o].muovi[i], kContesto);
            }
        }
        omonimi_ = Prepara(db_.get(), kOmonimi, kContesto);
    }

    void SetIndex(NODREL1::Indice indice) override { indice_ = indice; }

    void Seek(NODREL1::Confronto confronto, const std::u16string& chiave) override {
        ControllaOrdine();
        record_.reset();
        noMatch_ = true;

        sqlite3_stmt* s = seek_[OrdineCorrente()][static_cast<int>(confronto)].get();
        sqlite3_reset(s);
        Lega(s, 1, Utf8(chiave));
        if (Passo(s, kContesto)) {
            record_ = Leggi(s);
            noMatch_ = false;
        }
        sqlite3_reset(s);
    }

    void MoveNext() override { Muovi(0); }
    void MovePrevious() override { Muovi(1); }

    bool Eof() const override { return !record_.has_value(); }
    bool NoMatch() const override { return noMatch_; }

    std::u16string Field(const std::u16string& colonna) const override {
        std::size_t i = 0;
        while (i < kColonne.size() && kColonne[i] != colonna) {
            ++i;
        }
        if (i == kColonne.size()) {
            throw Errore(NODREL1::kErrColonnaSconosciuta,
                         u"la tabella Comuni non ha la colonna " + colonna);
        }
        if (!record_) {
            throw Errore(NODREL1::kErrNessunRecordCorrente, u"nessun record corrente");
        }
        return Valore(record_->valori, i);
    }

    std::vector<NODREL1::Comune> Omonimi(const std::u16string& nome) override {
        sqlite3_stmt* s = omonimi_.get();
        sqlite3_reset(s);
        Lega(s, 1, Utf8(nome));
        std::vector<NODREL1::Comune> omonimi;
        while (Passo(s, kContesto)) {
            const Valori v = Leggi(s).valori;
            omonimi.push_back(
                {Valore(v, 0), Valore(v, 1), Valore(v, 2), Valore(v, 3), Valore(v, 4)});
        }
        sqlite3_reset(s);
        return omonimi;
    }

private:
    // Values as stored, converted only when read: the moves start from the stored keys.
    using Valori = std::array<std::optional<std::string>, kColonne.size()>;

    struct Record {
        sqlite3_int64 rowid = 0;
        Valori valori;
    };

    // The record a statement stands on; its columns are rowid and then kColonne.
    static Record Leggi(sqlite3_stmt* s) {
        Record r;
        r.rowid = sqlite3_column_int64(s, 0);
        for (std::size_t i = 0; i < kColonne.size(); ++i) {
            const int colonna = 1 + static_cast<int>(i);
            if (sqlite3_column_type(s, colonna) != SQLITE_NULL) {
                r.valori[i] = std::string(Testo(s, colonna));
            }
        }
        return r;
    }

    static std::u16string Valore(const Valori& valori, std::size_t i) {
        if (!valori[i]) {
            throw Errore(NODREL1::kErrValoreMancante,
                         u"manca il valore della colonna " + std::u16string(kColonne[i]));
        }
        return Utf16(*valori[i]);
    }

    // The place of the current order in the tables of statements.
    int OrdineCorrente() const { return static_cast<int>(*indice_); }

    void ControllaOrdine() const {
        if (!indice_) {
            throw Errore(NODREL1::kErrNessunIndice, u"nessun indice scelto per la ricerca");
        }
    }

    void Muovi(int verso) {
        ControllaOrdine();
        if (!record_) {
            throw Errore(NODREL1::kErrNessunRecordCorrente, u"nessun record corrente");
        }
        sqlite3_stmt* s = muovi_[OrdineCorrente()][verso].get();
        sqlite3_reset(s);
        Lega(s, 1,
             record_->valori[*indice_ == NODREL1::Indice::COMU_DESCR ? kDescr : kCod].value_or(
                 std::string()));
        sqlite3_bind_int64(s, 2, record_->rowid);
        if (Passo(s, kContesto)) {
            record_ = Leggi(s);
        } else {
            record_.reset();
        }
        sqlite3_reset(s);
    }

    Connessione db_;
    Stmt seek_[2][2];
    Stmt muovi_[2][2];
    Stmt omonimi_;
    std::optional<NODREL1::Indice> indice_;
    std::optional<Record> record_;
    bool noMatch_ = false;
};

}  // namespace

std::shared_ptr<NODREL1::Recordset> ApriCursore(Connessione db) {
    return std::make_shared<CursoreComuni>(std::move(db));
}

}  // namespace nodrel
