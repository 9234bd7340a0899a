#pragma once

// Codes judged as a list judges them, by the million: from the bytes as read, with a number for
// each right code that tells a duplicate, and the outcome in four bytes rather than an Esame,
// which a caller by the million would build and copy through memory.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/nodrel1.h"

namespace NODREL1 {

inline constexpr std::size_t kLunghezzaPersonale = 16;
inline constexpr std::size_t kLunghezzaNumerica = 11;
inline constexpr std::u16string_view kLettereMese = u"ABCDEHLMPRST";
// The days of each month, February's 29 whenever a code's two digits of the year may allow it.
inline constexpr std::array<unsigned char, 12> kGiorniMese = {31, 29, 31, 30, 31, 30,
                                                              31, 31, 30, 31, 30, 31};

// A typed code with blanks removed and letters upper-cased, as far as the rules need it: one
// character more than the longest code, so that a longer text is known to be one without
// being copied. `n` counts every character.
struct CodiceCompatto {
    std::array<char16_t, kLunghezzaPersonale + 1> c{};
    std::size_t n = 0;
    void Aggiungi(char16_t x);
};
CodiceCompatto Compatta(std::u16string_view codice);
// The same from UTF-8 bytes as read from a file; text that is no UTF-8 counts as U+FFFD.
CodiceCompatto Compatta(std::string_view utf8);
Esame Esamina(const CodiceCompatto& codice);
// EsaminaCodice(codice).Corretto(), for a caller that needs no more and so does not have the
// whole outcome built.
bool CodiceCorretto(std::u16string_view codice);

// One number for each right code, the same for a code and its omocodes: the check character
// follows from the rest and is left out. Never 0. Numeric codes have the top bit.
std::uint64_t Chiave(const CodiceCompatto& codice, bool numerico);
// Which of the seven digits of a personal code are written as letters: with the shared key, it
// tells an omocode from its base code.
std::uint8_t Omocodia(const char16_t* sedici);
std::uint8_t Omocodia(const char* sedici);

// The municipality and the date a right personal code's key holds: the municipality as its
// letter's place times 1000 plus its three digits (0 to 25,999), the date as the year's two
// digits times 2600, plus the month letter's place in the alphabet times 100, plus the day
// (over 40 for a woman).
inline std::uint32_t ComuneDellaChiave(std::uint64_t chiave) {
    return static_cast<std::uint32_t>((chiave - 1) % 26000);
}
inline std::uint32_t DataDellaChiave(std::uint64_t chiave) {
    return static_cast<std::uint32_t>((chiave - 1) / 26000 % 2600000);
}
inline constexpr std::uint32_t kComuni = 26000;
// The municipality's cadastral code, from its number.
std::array<char16_t, 4> CatastaleDi(std::uint32_t comune);
// The day a date number stands for: the year's two digits, the month (1 to 12, 0 for a letter
// that is no month) and the day of the month (a woman's less 40).
struct GiornoDelCodice {
    std::uint32_t anno;
    std::uint32_t mese;
    std::uint32_t giorno;
};
inline GiornoDelCodice GiornoDi(std::uint32_t data) {
    // The month letter's place in the alphabet, as the month's number.
    constexpr std::array<std::uint8_t, 26> kMese = [] {
        std::array<std::uint8_t, 26> m{};
        for (std::size_t k = 0; k < kLettereMese.size(); ++k) {
            m[static_cast<std::size_t>(kLettereMese[k] - u'A')] = static_cast<std::uint8_t>(k + 1);
        }
        return m;
    }();
    const std::uint32_t giorno = data % 100;
    return {data / 2600 % 100, kMese[data / 100 % 26], giorno > 40 ? giorno - 40 : giorno};
}

// The outcome of sixteen bytes judged as they stand.
class Giudizio {
public:
    constexpr explicit Giudizio(std::uint32_t valore) : valore_(valore) {}
    constexpr NODREL1::Difetto Tipo() const {
        return static_cast<NODREL1::Difetto>(valore_ & 0xFF);
    }
    // Difetto::Controllo: the check letter the code should end with.
    constexpr char16_t Atteso() const { return static_cast<char16_t>(valore_ >> 8 & 0xFF); }
    constexpr bool Omocodico() const { return (valore_ & kOmocodico) != 0; }
    // Difetto::Carattere: the position, from 1, of the first byte its place does not take.
    constexpr int Posizione() const { return static_cast<int>(valore_ >> 24); }
    constexpr bool Corretto() const { return Tipo() == NODREL1::Difetto::Nessuno; }
    // The whole outcome, for a caller that wants it.
    Esame InEsame() const;

    static constexpr std::uint32_t kOmocodico = 1u << 16;

private:
    std::uint32_t valore_;
};

// Sixteen bytes judged as they stand, as most lines of a list can be: no copy needed. `chiave`
// receives the key of a right code. Difetto::Carattere says only that the bytes are not sixteen
// capitals and digits in their places (small letters and blanks included): such a text needs
// Compatta and Esamina.
Giudizio GiudicaPersonale(const unsigned char* codice, std::uint64_t& chiave);
// The same with the key's municipality and date (ComuneDellaChiave, DataDellaChiave) in place of
// the key, for a caller that needs only those.
Giudizio GiudicaPersonale(const unsigned char* codice, std::uint32_t& comune, std::uint32_t& data);

// Decoding from the same bytes, for a caller by the million that writes the fields itself
// rather than have DatiCodice's strings built. How many of a right code's three surname or
// given-name letters (Gruppo::Cognome, Gruppo::Nome) decoding shows: a trailing filler X is left
// out wherever the letters without it give the same group again (FOX is the surname FO).
std::size_t LettereDecodificate(Gruppo gruppo, const char* tre);
// The century, 19 or 20, in which decoding reads the year of a right personal code with this
// municipality and date (ComuneDellaChiave, DataDellaChiave): the one that puts the day latest
// without passing `oggi`. Every decoding asks it, with the register it has (or null).
unsigned SecoloDecodificato(std::uint32_t comune, std::uint32_t data, const Registro* registro,
                            std::chrono::year_month_day oggi);

// Composition from bytes, for a list's people by the million. The letter group of a surname
// (or, with `nome`, of a given name) into `tre`, as composition reads it; false when the text
// holds a byte past ASCII, which only the UTF-16 reading knows, or no letter at all.
bool GruppoAscii(std::string_view testo, bool nome, char* tre);
// The check character that the first fifteen characters, capitals and digits, call for.
char CarattereControllo(const char* quindici);

// Why a code is wrong, as a short Italian phrase ("mese non valido", "carattere di controllo
// errato (atteso U)"); empty for a right code. The one text of it, for verification's message
// and for the lists.
std::u16string Motivo(const Esame& esame);

}  // namespace NODREL1
