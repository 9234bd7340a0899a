#pragma once

// The one driver of a list run, for the command line and the window alike: the list read from a
// file, a stream, bytes in memory or a spreadsheet; a file read twice (the first reading only
// marks the codes, so that no table of them all is kept); each block of the text read ahead on
// a thread of its own while the one before is judged; the register read on another meanwhile;
// the rows handed to their destination in order, progress told, a request to stop heeded
// between blocks.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

#include "lists/lettura.h"
#include "lists/registro_atteso.h"
#include "lists/voce.h"

namespace nodrel {

// Where a run's list comes from.
struct Sorgente {
    enum class Tipo { File, Flusso, Memoria };
    Tipo tipo = Tipo::Memoria;
    std::string percorso;         // File: its name as the system takes it
    std::FILE* flusso = nullptr;  // Flusso: read from where it stands, twice (a pipe copied first)
    std::string testo;            // Memoria: the bytes

    static Sorgente File(std::string percorso) { return {Tipo::File, std::move(percorso), {}, {}}; }
    static Sorgente Flusso(std::FILE* flusso) { return {Tipo::Flusso, {}, flusso, {}}; }
    static Sorgente Memoria(std::string testo) { return {Tipo::Memoria, {}, {}, std::move(testo)}; }
};

// What a run tells as it goes, besides its rows.
class Osservatore {
public:
    virtual ~Osservatore() = default;
    // A failure the user should know of that does not stop the run (the register could not be
    // opened: the municipalities go unchecked), in Italian.
    virtual void Avviso(std::string_view) {}
    // `letti` bytes of `totale` (0 when not known) read in reading `lettura` of `letture`.
    virtual void Avanzamento(std::uint64_t, std::uint64_t, int, int) {}
};

struct EsitoEsecuzione {
    enum class Tipo {
        Fatto,
        Interrotto,   // stopped on request: the rows handed so far stand
        Illeggibile,  // the list could not be read (or no further): `perche` says why
        Cambiato,     // a file changed between its two readings: the rows before the change stand
    };
    Tipo tipo = Tipo::Fatto;
    std::string perche;  // in Italian
    bool letto = false;  // any byte of the list came in the reading that hands the rows
};

class Esecuzione {
public:
    struct Impostazioni {
        RegistroAtteso* registro = nullptr;
        std::chrono::year_month_day oggi = NODREL1::Oggi();
        bool soloPersone = false;  // every row is a person to compose a code for
        bool parallelo = true;     // two threads where the rows allow it
    };

    explicit Esecuzione(Impostazioni impostazioni);

    EsitoEsecuzione Esegui(const Sorgente& sorgente, Destinazione& destinazione,
                           std::stop_token fermo = {}, Osservatore* osservatore = nullptr);

    const Riepilogo& Totali() const { return lettura_->Totali(); }
    const FormaElenco& Forma() const { return lettura_->Forma(); }
    Codifica::Tipo Conversione() const { return lettura_->Conversione(); }
    // The sheet read, when the workbook has more than one; else empty. UTF-8.
    const std::string& Foglio() const { return foglio_; }

private:
    // `senzaNome`: a stream with no name (standard input), told a spreadsheet by its first bytes.
    EsitoEsecuzione DaFlusso(std::FILE* in, Destinazione& destinazione, std::stop_token fermo,
                             Osservatore* osservatore, bool senzaNome);
    EsitoEsecuzione DaFoglio(const std::string& percorso, Destinazione& destinazione,
                             std::stop_token fermo);

    Impostazioni impostazioni_;
    std::unique_ptr<Lettura> lettura_;
    std::string foglio_;
};

}  // namespace nodrel
