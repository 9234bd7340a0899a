#pragma once

#include <memory>
#include <string>
#include <vector>

namespace NODREL1 {

// One record of the municipality table: a cadastral code under one of its names, valid from
// `dal` to `al`. Dates are YYYY-MM-DD, so text order is time order.
struct Comune {
    std::u16string codice;     // COMU_COD
    std::u16string nome;       // COMU_DESCR
    std::u16string provincia;  // COMU_PROV
    std::u16string dal;        // COMU_DAL: first day under this name
    std::u16string al;         // COMU_AL: last day; 9999-12-31 while in force
};

// The table's two orders, named after their indexes: the names without regard to case, and the
// cadastral codes.
enum class Indice { COMU_DESCR, COMU_COD };
// How a seek compares the keys with the one it is given: the first key at or after it (">="),
// or the first equal to it ("=").
enum class Confronto { MaggioreOUguale, Uguale };

// A cursor on the municipality table: choose an order, seek one key, move to the neighbouring
// records, read the current record. Every failure is raised as an Errore.
//
// Name order is the names without regard to case; equal names, and a code's several records,
// come in the table's own order, which puts the record in force today first.
class Recordset {
public:
    virtual ~Recordset() = default;

    // Chooses the order that seeks and moves use.
    virtual void SetIndex(Indice indice) = 0;
    // Stands on the first record, in the current order, whose key compares with `chiave` as
    // `confronto` says; otherwise sets the not-found flags.
    virtual void Seek(Confronto confronto, const std::u16string& chiave) = 0;
    // Stand on the next or the previous record, in the current order, from the current one.
    // Past either end there is no current record and Eof() is true; without a current record
    // they raise an error. NoMatch() stays as the last seek left it.
    virtual void MoveNext() = 0;
    virtual void MovePrevious() = 0;
    virtual bool Eof() const = 0;
    virtual bool NoMatch() const = 0;
    // The current record's value of a column ("COMU_COD", "COMU_DESCR", "COMU_PROV",
    // "COMU_DAL" or "COMU_AL"), as text.
    virtual std::u16string Field(const std::u16string& colonna) const = 0;
    // The homonyms: every record whose name equals `nome` without regard to case, in name
    // order, from one indexed query. The current record and order stay as they are.
    virtual std::vector<Comune> Omonimi(const std::u16string& nome) = 0;
};

class Database {
public:
    virtual ~Database() = default;
    virtual std::shared_ptr<Recordset> OpenRecordset(const std::u16string& tabella) = 0;
};

// The open register: members of the module's state (StatoModulo, engine/nodrel1.h).
extern std::shared_ptr<Database>& DbComuni;
extern std::shared_ptr<Recordset>& RsComuni;

// The lookups on RsComuni; an unopened register raises an Errore. The first four return true
// when the cursor then stands on a record.
bool CercaPerNome(const std::u16string& testo);  // first name, in name order, >= testo
bool CercaPerCodice(const std::u16string& codice);
// The same on a cursor of its own (a list checked off the windows' thread opens one).
bool CercaPerCodice(Recordset& rs, const std::u16string& codice);
bool VaiAlSuccessivo();  // MoveNext in the order of the last lookup
bool VaiAlPrecedente();  // MovePrevious
std::vector<Comune> CercaOmonimi(const std::u16string& nome);  // Omonimi

}  // namespace NODREL1
