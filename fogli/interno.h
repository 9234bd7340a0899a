#pragma once

// What the readers of the formats share: the reader's interface, the cells as a suite shows
// them, a row being built.

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class QIODevice;

#include "fogli/fogli.h"

namespace nodrel {

class Cartella::Lettore {
public:
    virtual ~Lettore() = default;
    // Reads the list of sheets; false with the reason.
    virtual bool Apri(QStringList& fogli, QString& errore) = 0;
    virtual bool Leggi(std::size_t foglio, const RigaFoglio& riga, QString& errore) = 0;
};

std::unique_ptr<Cartella::Lettore> LettoreXlsx(const QString& percorso);
std::unique_ptr<Cartella::Lettore> LettoreOds(const QString& percorso, bool piatto);
std::unique_ptr<Cartella::Lettore> LettoreXls(const QString& percorso);

// Reads a device on a thread of its own, a few blocks ahead of the one who takes them: an
// entry of a ZIP is inflated while the block before is scanned. Leggi is an xml::Fonte.
class Anticipo {
public:
    explicit Anticipo(QIODevice& dispositivo);
    ~Anticipo();
    Anticipo(const Anticipo&) = delete;
    Anticipo& operator=(const Anticipo&) = delete;
    std::int64_t Leggi(char* dati, std::int64_t n);

private:
    static constexpr std::int64_t kNessuno = INT64_MIN;
    struct Blocco {
        std::vector<char> dati;
        std::int64_t esito = kNessuno;  // what the device's read gave: its length, 0 or -1
    };
    void Lavora();

    QIODevice& dispositivo_;
    std::mutex mutex_;
    std::condition_variable cambiato_;
    std::deque<Blocco> pronti_;
    std::vector<std::vector<char>> liberi_;
    bool fermo_ = false;
    Blocco corrente_;
    std::size_t letto_ = 0;
    std::thread lavoro_;
};

namespace celle {

// Columns past the last a suite has (XFD) are no data of a list.
inline constexpr std::size_t kColonne = 16384;

// A day counted as spreadsheets count them (from 30 December 1899, or from 1 January 1904)
// as GG/MM/AAAA, the time of day dropped; false for a number that is no date.
bool DaSeriale(double giorni, bool dal1904, std::string& out);
// AAAA-MM-GG, perhaps with a time after it, as GG/MM/AAAA; false when it is not one.
bool DaIso(std::string_view iso, std::string& out);
// The fraction of a day as HH:MM:SS.
void Ora(double giorni, std::string& out);
// ODF's duration PT12H30M00S as 12:30:00; false when it is not one.
bool DaDurata(std::string_view durata, std::string& out);
// An integer as its digits, at least `cifre` of them; another number as the General format
// shows it in Italian (1234,5).
void Numero(double valore, int cifre, std::string& out);
// What a number in a cell of a style is: a date, a time, or a number of so many digits at least.
struct Stile {
    enum class Genere : std::uint8_t { Numero, Data, Ora } genere = Genere::Numero;
    int cifre = 0;
};
// The style of a number format's code, as Excel writes it ("dd/mm/yyyy", "00000000000",
// "#,##0.00", "[$-410]d mmmm yyyy;@"), and of Excel's built-in formats by their number.
Stile DalCodice(std::string_view codice);
Stile Predefinito(int id);
// The number as a cell of the style shows it.
void Mostra(double valore, const Stile& stile, bool dal1904, std::string& out);

// A number written by a program ("29221", "1.5E-3"); false when it is none.
bool LeggiNumero(std::string_view testo, double& valore);
// Without the blanks of any kind around it (no-break and zero-width spaces included).
std::string_view Rifilato(std::string_view testo);

}  // namespace celle

// The cells of the row being read: text kept in one buffer, or views into text that stays
// (a table of shared strings), handed as one span when the row ends.
class Riga {
public:
    // The cell at `colonna` (from 0) is the text appended to Testo() since Inizia().
    std::string& Inizia() {
        inizio_ = testo_.size();
        return testo_;
    }
    void Metti(std::size_t colonna);
    // The cell at `colonna` is `fuori`, which outlives the row.
    void Metti(std::size_t colonna, std::string_view fuori);
    // The cell at `colonna` is also each of the `volte` - 1 after it.
    void Ripeti(std::size_t colonna, std::size_t volte);
    void Svuota();
    // Hands the row, if it has a value; false when `riga` wants no more.
    bool Consegna(std::uint64_t numero, const RigaFoglio& riga);

private:
    struct Posto {
        const char* fuori = nullptr;  // null: in testo_
        std::size_t inizio = 0, lunghezza = 0;
    };
    void Poni(std::size_t colonna, Posto posto);
    std::string testo_;
    std::size_t inizio_ = 0;
    std::vector<Posto> posti_;
    std::vector<std::string_view> viste_;
};

}  // namespace nodrel
