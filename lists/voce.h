#pragma once

// What a list's row comes to once judged, and the counts of a whole list.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/nodrel1.h"

namespace nodrel {

// The person's columns of a list, in the order of VoceElenco::persona and FormaElenco::persona.
enum class ColonnaPersona : std::uint8_t { Cognome, Nome, Sesso, Data, Comune, Provincia };
inline constexpr std::size_t kColonnePersona = 6;

// The municipality of a right personal code, as far as the register tells it.
enum class Luogo : std::uint8_t {
    Noto,        // known (or not looked up: no register)
    Ignoto,      // the register does not know it
    NonInVigore  // known, but not in force on the date of birth in either century the year's
                 // two digits allow
};

// One row of a list that holds a code, or the person to compose one for. Its texts are UTF-8 and
// valid while the row is handed over.
struct VoceElenco {
    std::uint64_t riga = 0;         // the row's number, from 1
    std::string_view codice;        // as given (or composed)
    NODREL1::Esame esame;           // right or wrong, and why
    std::uint64_t duplicatoDi = 0;  // a right code that came first on this row, or 0
    Luogo luogo = Luogo::Noto;      // of a right personal code
    bool calcolato = false;         // the row had no code: it was composed from its person
    std::string_view rifiuto;       // why its person could not be composed, or empty
    std::span<const std::string_view> celle;  // every cell of the row as read
    // The person's cells, empty where the list has no such column.
    std::array<std::string_view, kColonnePersona> persona;
    bool nonCorrisponde = false;  // right, but not the code of the person beside it
    std::string_view differenze;  // then the groups that differ and what they should be
    // Where the row begins in the list's bytes as read (before any conversion to UTF-8), from the
    // first byte the reading was given; 0 for a spreadsheet's.
    std::uint64_t posto = 0;
    // What the person's cells leave untold: "sesso mancante", "comune omonimo: indicare la
    // provincia", a cell that cannot be read; each a note beside a right code.
    std::string_view note;

    std::string_view Persona(ColonnaPersona c) const {
        return persona[static_cast<std::size_t>(c)];
    }
    bool Corretto() const { return esame.Corretto() && rifiuto.empty(); }
};

struct Riepilogo {
    std::uint64_t codici = 0;
    std::uint64_t corretti = 0;
    std::uint64_t errati = 0;
    std::uint64_t duplicati = 0;          // counted among the right ones too
    std::uint64_t calcolati = 0;          // likewise
    std::uint64_t nonCorrispondenti = 0;  // right, but not their person's

    Riepilogo& operator+=(const Riepilogo& r) {
        codici += r.codici;
        corretti += r.corretti;
        errati += r.errati;
        duplicati += r.duplicati;
        calcolati += r.calcolati;
        nonCorrispondenti += r.nonCorrispondenti;
        return *this;
    }
};

}  // namespace nodrel

namespace nodrel {

class CodeVerifica;
class CodeDecodifica;

// Where the rows of a list go, in their order, as they are judged.
class Destinazione {
public:
    virtual ~Destinazione() = default;
    virtual void Voce(const VoceElenco& voce) = 0;
    // The tails of verification's CSV lines, when this destination writes those lines: a
    // reading may then write runs of plain rows itself, as Voce would have, and hand the text of
    // each run to Righe in its place among the rows.
    virtual const CodeVerifica* Code() const { return nullptr; }
    // The same for decoding's lines; asked on the reading's own thread.
    virtual CodeDecodifica* Decodifiche() { return nullptr; }
    virtual void Righe(std::string_view) {}
    // The same lines for a destination that keeps rows rather than text: they are of rows one
    // after the other from the one numbered `primo`, and, when it asks for them (Posti), each
    // row's place (as VoceElenco::posto).
    virtual bool Posti() const { return false; }
    virtual void Semplici(std::string_view testo, std::uint64_t /*primo*/,
                          std::span<const std::uint64_t> /*posti*/) {
        Righe(testo);
    }
};

}  // namespace nodrel
