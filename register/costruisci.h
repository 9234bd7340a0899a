#pragma once

// Turns the official lists of municipalities and of foreign states (CSV, as ANPR publishes them),
// with the ceased states and the common names of places kept beside them, into the register file
// that the program opens.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nodrel {

// A place under one name over a span of time: one name of one period as read from a list, or,
// after RigheRegistro, one row of the register.
struct RigaComune {
    std::string codice;     // COMU_COD
    std::string nome;       // COMU_DESCR
    std::string provincia;  // COMU_PROV; "EE" for a foreign state
    std::string dal;        // COMU_DAL, YYYY-MM-DD
    std::string al;         // COMU_AL, YYYY-MM-DD; 9999-12-31 while in force
    // Not the place's official Italian name: a name in a second official language or the common
    // name of a state. Such rows come after the official name's, so a code is found under that.
    bool altroNome = false;
};

// A fault in a list or in writing the register. `File()` is the file it was found in and
// `Riga()` the line; either is empty or 0 when the fault belongs to none.
class ErroreCostruzione : public std::runtime_error {
public:
    ErroreCostruzione(std::string file, long riga, const std::string& messaggio)
        : std::runtime_error(messaggio), file_(std::move(file)), riga_(riga) {}
    ErroreCostruzione(long riga, const std::string& messaggio)
        : ErroreCostruzione(std::string(), riga, messaggio) {}
    const std::string& File() const noexcept { return file_; }
    long Riga() const noexcept { return riga_; }

private:
    std::string file_;
    long riga_;
};

// The readers of the two lists. Each finds its columns by name in the header line (order free,
// other columns ignored), takes RFC 4180 quoting, UTF-8 with or without a byte-order mark and LF
// or CRLF, and stops at the first malformed record with its line number.
//
// The municipality archive gives one entry per name of each period: the Italian name
// (DENOMTRASLITTERATA) and the second-language one (ALTRADENOMTRASLITTERATA) where there is one.
// Periods without a cadastral code ("ND") are left out: no fiscal code can carry them.
std::vector<RigaComune> LeggiArchivioComuni(std::string_view csv);
// The table of foreign states gives one entry per state that has a code (CODAT), province "EE",
// its DD/MM/YYYY dates written as YYYY-MM-DD. The list of ceased states has the same columns and
// is read the same way, except that it may hold no state.
std::vector<RigaComune> LeggiStatiEsteri(std::string_view csv);

// The list of common names (NOME, the name people use; DENOMINAZIONE, the official name of a
// state in `stati` or of an Italian municipality in `comuni`): CINA for REPUBBLICA POPOLARE
// CINESE, REGGIO EMILIA for REGGIO NELL'EMILIA. A state's name becomes an entry under every code
// and period of that state, a municipality's under every period of its code. A name must differ
// from every name in `stati` and in `comuni`, without regard to case, and appear once, and a
// municipality's name must be of one code: otherwise one typed name would lead to two places.
std::vector<RigaComune> LeggiNomiComuni(std::string_view csv, const std::vector<RigaComune>& stati,
                                        const std::vector<RigaComune>& comuni,
                                        bool soloNoti = false);

// The register's rows from the entries of the lists: one per code, name and span of time without
// a gap (a municipality suppressed in 1928 and restored in 1947 has two), from the span's
// earliest start to its latest end, with the province of its latest period. They come in
// the order they are to be written: the latest end first, then official names before the others,
// then by code. Seeks break ties by row number, so among equal names the one in force today is
// found first, and a code is found under its official name of today.
std::vector<RigaComune> RigheRegistro(std::vector<RigaComune> voci);

// The optional lists, read when they lie beside the table of foreign states under these names.
inline constexpr std::string_view kStatiCessati = "stati_esteri_cessati.csv";
inline constexpr std::string_view kNomiComuniStati = "stati_nomi_comuni.csv";

// What a build takes besides the two lists of ANPR.
struct OpzioniCostruzione {
    // Where the ceased states and the common names are looked for; empty: beside the table of
    // foreign states.
    std::filesystem::path cartellaListe;
    // The day the lists were published, YYYY-MM-DD (or YYYY-MM, the first of the month), kept in
    // the register for DataRegistro (register/scelta.h); empty: the later of the days the two
    // lists were last modified, which for files as downloaded is no earlier than their release.
    std::string rilascio;
    // A common name whose place the lists do not have is left out rather than an error: the
    // lists of a later release may have renamed or merged it, and the update must not fail on
    // the program's own short list.
    bool nomiSoloNoti = false;
};

// Writes the register from the list files. The file appears only complete: it is built beside
// the target under another name and renamed at the end, so a failed build leaves no file of
// either name (an earlier register at `registro` stays as it was).
void CostruisciRegistro(const std::filesystem::path& archivioComuni,
                        const std::filesystem::path& statiEsteri,
                        const std::filesystem::path& registro,
                        const OpzioniCostruzione& opzioni = {});

}  // namespace nodrel
