#pragma once

// The rows of a list's text, as spreadsheets write CSV: quoted cells may hold the separator,
// doubled quotes and line ends; LF, CRLF or CR end a row. The text comes in pieces, and a row may
// begin in one and end in another. Rows are numbered as the spreadsheet that wrote them shows
// them: a line end within quotes is inside its cell, not a row of its own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nodrel {

// A row taken off the text: its bytes without the line end (its first kRigaMassima, which judge
// it), valid until the next row is taken, its number, and where it begins.
struct RigaLetta {
    std::string_view testo;
    std::uint64_t numero = 0;
    bool trattenuta = false;  // held from an earlier piece: `testo` is the reader's own
    std::uint64_t posto = 0;  // its first byte, counted in the text as LettoreRighe::Posto says
};

// A row split into its cells, with its number: what the layout is told from.
struct RigaDiCelle {
    std::uint64_t numero = 0;
    std::vector<std::string> celle;
};

class LettoreRighe {
public:
    static constexpr std::size_t kRigaMassima = 4096;

    // Where the reading of a row stands: a cell begun, within one, within quotes, or just past
    // a quote within them (a doubled quote, or the closing one).
    enum class Stato : std::uint8_t { Inizio, Campo, Dentro, Chiuso };

    void Separatore(char separatore) { separatore_ = separatore; }
    char Separatore() const { return separatore_; }

    // Takes the next whole row off the front of `testo`; false when the text ends within a row,
    // which is held for the next piece.
    bool Prossima(std::string_view& testo, RigaLetta& riga);
    // The text has ended: the row left without its line end, if there is one.
    bool Ultima(RigaLetta& riga);

    // Whether the next row begins at the front of the next piece, with no row held and no line
    // feed of a carriage return to skip: a caller may then take rows off the text itself, as
    // long as it says how many (Prese).
    bool Libero() const { return !inCorso_ && !saltaLF_; }
    // The same for the text at hand, a line feed that belongs to the last piece skipped.
    bool Libero(std::string_view& testo);
    void Prese(std::uint64_t righe) { numero_ += righe; }
    // The pieces that follow are the text from `testo` on, which is byte `posto` of the whole:
    // each row taken is told where it begins, so that it can be read again from there.
    void Posto(const char* testo, std::uint64_t posto) {
        base_ = testo;
        posto_ = posto;
    }
    // Where the row held for the next piece begins.
    std::uint64_t Inizio() const { return inizio_; }
    // The number of the last row taken, 0 before the first.
    std::uint64_t Numero() const { return numero_; }

    // Splits a row into its cells, without the blanks around them and the quotes of quoted ones
    // (a doubled quote inside stands for one). Quoted text goes to `pulito`.
    static void Celle(std::string_view riga, char separatore, std::string& pulito,
                      std::vector<std::string_view>& celle);
    // The separator of a list: of ; , tab |, the one found outside quotes on most of its rows.
    static char TrovaSeparatore(std::string_view testa);
    // The first rows of a text with a cell filled, at most `quante`; `fine` when the text is
    // all there is (a last row without its line end counts).
    static std::vector<RigaDiCelle> PrimeRighe(std::string_view testo, char separatore, bool fine,
                                               std::size_t quante);

private:
    void Trattieni(std::string_view parte);
    std::uint64_t Qui(const char* p) const {
        return posto_ +
               (reinterpret_cast<std::uintptr_t>(p) - reinterpret_cast<std::uintptr_t>(base_));
    }
    // The row held in resto_, now whole.
    RigaLetta Trattenuta();

    char separatore_ = 0;
    std::string resto_;            // a row begun in an earlier piece
    bool inCorso_ = false;         // resto_ holds one
    bool svuota_ = false;          // resto_ was handed over and goes at the next row
    Stato stato_ = Stato::Inizio;  // of the row in resto_
    bool saltaLF_ = false;         // a CR ended the last piece: an LF that follows belongs to it
    std::size_t lungo_ = 0;        // the bytes of the row in resto_, kept or not
    std::uint64_t numero_ = 0;
    const char* base_ = nullptr;  // byte posto_ of the text
    std::uint64_t posto_ = 0;
    std::uint64_t inizio_ = 0;  // of the row in resto_
};

}  // namespace nodrel
