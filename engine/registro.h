#pragma once

#include <memory>
#include <string>

namespace NODREL1 {

// A cursor on the municipality table: choose an order, seek one key, read the current record.
// Every failure is raised as an Errore.
class Recordset {
public:
    virtual ~Recordset() = default;

    // Chooses the order ("COMU_DESCR" or "COMU_COD") that the next seek uses.
    virtual void SetIndex(const std::u16string& nome) = 0;
    // Stands on the first record, in the current order, whose key compares with `chiave` as
    // `confronto` (">=" or "=") says; otherwise sets the not-found flags.
    virtual void Seek(const std::u16string& confronto, const std::u16string& chiave) = 0;
    virtual bool Eof() const = 0;
    virtual bool NoMatch() const = 0;
    // The current record's value of a column, as text.
    virtual std::u16string Field(const std::u16string& colonna) const = 0;
};

class Database {
public:
    virtual ~Database() = default;
    virtual std::shared_ptr<Recordset> OpenRecordset(const std::u16string& tabella) = 0;
};

// The open register: set by the main window's start-up, kept until the program ends.
extern std::shared_ptr<Database> DbComuni;
extern std::shared_ptr<Recordset> RsComuni;

// The two lookups. Each returns true when the cursor stands on a record found; an unopened
// register raises an Errore.
bool CercaPerNome(const std::u16string& testo);  // first name, in name order, >= testo
bool CercaPerCodice(const std::u16string& codice);

}  // namespace NODREL1
