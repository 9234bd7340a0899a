#pragma once

// Checking a whole list of codes, one a line, as it is read: the engine of the command line's
// --verifica and --decodifica and of the window that checks a list.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/nodrel1.h"

namespace NODREL1 {

// One line of a list that holds a code.
struct VoceElenco {
    std::uint64_t riga = 0;          // its number in the text, from 1
    std::string_view codice;         // as given, UTF-8 bytes as read; valid during the callback
    Esame esame;                     // right or wrong, and why
    std::uint64_t duplicatoDi = 0;   // a right code that came first on this line, or 0
    bool comuneSconosciuto = false;  // a right personal code whose municipality the register
                                     // does not know
    bool comuneNonInVigore = false;  // or knows, but not in force on the date of birth in
                                     // either century the year's two digits allow
};

struct Riepilogo {
    std::uint64_t codici = 0;
    std::uint64_t corretti = 0;
    std::uint64_t errati = 0;
    std::uint64_t duplicati = 0;  // counted among the right ones too
};

// The right codes met so far, each with the line it came on first: an open-addressing table of
// 16 bytes a slot, kept at most 70 % full.
class CodiciVisti {
public:
    // The line `chiave` came on first; 0 when it is new, and it is recorded as seen on `riga`.
    std::uint64_t Registra(std::uint64_t chiave, std::uint64_t riga);
    // Asks the memory for the slot of `chiave` ahead of its Registra.
    void Anticipa(std::uint64_t chiave) const;
    // Makes room for `quanti` codes at once, instead of growing step by step.
    void Riserva(std::uint64_t quanti);

private:
    struct Posto {
        std::uint64_t chiave = 0;  // 0: free
        std::uint64_t riga = 0;
    };
    std::size_t Indice(std::uint64_t chiave) const;
    void Cresci(int bit);

    std::vector<Posto> posti_;
    std::size_t usati_ = 0;
    int bit_ = 0;
};

// Reads a text of codes handed in pieces as it comes, one code a line. A line is taken as it
// is, or by its first field when it holds a comma, semicolon or tab (a spreadsheet's column),
// without the blanks and quotes around it. Blank lines are skipped, and so is a first line
// without any digit, a header. Memory holds one line (its first 4096 bytes judge it) and the
// right codes seen, for the duplicates.
class ElencoCodici {
public:
    // Whether the register knows a cadastral code (a letter and three digits); without it no
    // municipality is looked up.
    using ComuneNoto = std::function<bool(std::u16string_view catastale)>;

    explicit ElencoCodici(ComuneNoto comuneNoto = {});
    // The municipalities are looked up in `registro` (which may be null), and whether they were
    // in force on the date of birth, a century not ahead of `oggi`.
    explicit ElencoCodici(const Registro* registro, std::chrono::year_month_day oggi = Oggi());

    // Judges the lines that `pezzo` completes and hands each that holds a code to `voce`.
    template <class F>
    void Leggi(std::string_view pezzo, F&& voce);
    // The text ends: judges a last line left without its newline.
    template <class F>
    void Fine(F&& voce);

    const Riepilogo& Totali() const { return totali_; }

    // A text of `byte` bytes is coming (a file's size): room is made for its codes at once.
    void Prevedi(std::uint64_t byte);

private:
    static constexpr std::size_t kRigaMassima = 4096;
    // Lines are judged a batch at a time, so that the memory fetches the slots of their codes
    // in the table of those seen all at once rather than one after the other.
    static constexpr std::size_t kLotto = 64;

    struct Riga {
        VoceElenco voce;
        std::uint64_t chiave = 0;  // of a right code
        bool codice = false;       // the line holds a code
    };

    // Takes up to kLotto complete lines off the front of `pezzo` and judges them.
    std::size_t Prepara(std::string_view& pezzo);
    // Judges one line, its end taken off.
    void Giudica(std::string_view riga, Riga& r);
    // What only the lines before it can tell: duplicates, counts; false when it holds no code.
    bool Completa(Riga& r);
    void Trattieni(std::string_view parte);

    // Whether municipality `i` of the key's numbering was in force on one of the days the rest
    // of the key can mean.
    bool InVigore(std::size_t i, std::uint64_t data) const;

    ComuneNoto comuneNoto_;
    std::array<std::int8_t, 26 * 1000> comuni_{};  // 0 not asked yet, 1 known, -1 not
    // With a register: the periods of each municipality asked, first and last day as YYYYMMDD
    // in pairs, periodi_[inizio_[i]] on, quanti_[i] of them.
    const Registro* registro_ = nullptr;
    std::uint32_t oggi_ = 0;
    std::vector<std::uint32_t> periodi_;
    std::vector<std::uint32_t> inizio_;
    std::vector<std::uint16_t> quanti_;
    CodiciVisti visti_;
    Riepilogo totali_;
    std::array<Riga, kLotto> lotto_;
    std::string resto_;  // a line begun in an earlier piece
    std::uint64_t numero_ = 0;
    bool primaRiga_ = true;
};

template <class F>
void ElencoCodici::Leggi(std::string_view pezzo, F&& voce) {
    if (!resto_.empty()) {
        const std::size_t fine = pezzo.find('\n');
        if (fine == std::string_view::npos) {
            Trattieni(pezzo);
            return;
        }
        Trattieni(pezzo.substr(0, fine));
        pezzo.remove_prefix(fine + 1);
        ++numero_;
        Giudica(resto_, lotto_[0]);
        if (Completa(lotto_[0])) {
            voce(static_cast<const VoceElenco&>(lotto_[0].voce));
        }
        resto_.clear();
    }
    for (;;) {
        const std::size_t n = Prepara(pezzo);
        for (std::size_t i = 0; i < n; ++i) {
            Completa(lotto_[i]);
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (lotto_[i].codice) {
                voce(static_cast<const VoceElenco&>(lotto_[i].voce));
            }
        }
        if (n < kLotto) {
            break;
        }
    }
    Trattieni(pezzo);
}

template <class F>
void ElencoCodici::Fine(F&& voce) {
    if (resto_.empty()) {
        return;
    }
    ++numero_;
    Giudica(resto_, lotto_[0]);
    if (Completa(lotto_[0])) {
        voce(static_cast<const VoceElenco&>(lotto_[0].voce));
    }
    resto_.clear();
}

// Why a code is wrong, or the notes on a right one, as a short Italian phrase ("mese non
// valido", "omocodico, duplicato della riga 3"); empty for a plain right code. UTF-8.
std::string Motivo(const VoceElenco& voce);

// CSV, separated by semicolons, UTF-8: a text field is quoted when it needs it, and bytes that
// are no UTF-8 text become U+FFFD.
inline constexpr std::string_view kIntestazioneVerifica = "riga;codice;esito;motivo\n";
inline constexpr std::string_view kIntestazioneDecodifica =
    "riga;codice;cognome;nome;sesso;data;comune;provincia;codice_catastale\n";
void ScriviVerifica(std::string& out, const VoceElenco& voce);
// The same line from what a table of results keeps of it.
void ScriviVerifica(std::string& out, std::uint64_t riga, std::string_view codice, bool corretto,
                    std::string_view motivo);
// What a code carries: `dati` is null for a code that carries nothing (a wrong one, or a
// numeric one); `comune` and `provincia` come from the register, empty when it has nothing.
void ScriviDecodifica(std::string& out, const VoceElenco& voce, const DatiCodice* dati,
                      std::u16string_view comune, std::u16string_view provincia);
// "N codici: C corretti, E errati, D duplicati"
std::string TestoRiepilogo(const Riepilogo& r);

}  // namespace NODREL1
