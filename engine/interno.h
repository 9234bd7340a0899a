#pragma once

// Helpers shared by the engine's sources; not part of its public interface.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/esame.h"

namespace NODREL1 {

// The letters that stand for 0 to 9 in an omocode.
inline constexpr std::u16string_view kOmocodici = u"LMNPQRSTUV";

// `lunghezza` characters from the 1-based position `inizio`, fewer or none past the end.
inline std::u16string Mid(std::u16string_view testo, std::size_t inizio, std::size_t lunghezza) {
    if (inizio == 0 || inizio > testo.size()) {
        return {};
    }
    return std::u16string(testo.substr(inizio - 1, lunghezza));
}

// The letter group of a surname (or, with `nome`, of a given name) into `gruppo`, which takes
// three characters; returns its length: 3, or 2 for a text without a letter.
std::size_t GruppoLettere(std::u16string_view testo, bool nome, char16_t* gruppo);

// The month number that characters 4 and 5 of a date start with, after leading blanks; 0 when
// they start with no digit.
int MeseDellaData(const std::u16string& data);

// What each character below 256 is worth to the rules of a code, looked up once per character
// without a branch: lists of codes are checked by the million.
struct Tabella {
    static constexpr unsigned char kLettera = 1;
    static constexpr unsigned char kCifra = 2;      // a digit, or a letter that may stand for one
    static constexpr unsigned char kOmocodice = 4;  // a letter that may stand for a digit

    unsigned char classe[256] = {};
    signed char cifra[256] = {};  // a digit's value, or the digit an omocode letter stands for
    bool mese[256] = {};
    signed char dispari[256] = {};  // value at odd positions (counted from 1) for the check
    signed char pari[256] = {};     // and at even ones

    constexpr Tabella() {
        // The values of A..Z and 0..9 at odd positions; at even positions a letter is worth its
        // place in the alphabet and a digit itself.
        constexpr signed char kDispariLettere[26] = {1,  0,  5,  7,  9,  13, 15, 17, 19,
                                                     21, 2,  4,  18, 20, 11, 3,  6,  8,
                                                     12, 14, 16, 10, 22, 25, 24, 23};
        constexpr signed char kDispariCifre[10] = {1, 0, 5, 7, 9, 13, 15, 17, 19, 21};
        // Any other character is worth -1 to the check, and a hyphen what the digit tables,
        // which it pads, give it.
        for (int i = 0; i < 256; ++i) {
            cifra[i] = -1;
            dispari[i] = -1;
            pari[i] = -1;
        }
        dispari[static_cast<unsigned char>('-')] = 2;
        pari[static_cast<unsigned char>('-')] = 10;
        for (int i = 0; i < 26; ++i) {
            classe['A' + i] = kLettera;
            dispari['A' + i] = kDispariLettere[i];
            pari['A' + i] = static_cast<signed char>(i);
        }
        for (int i = 0; i < 10; ++i) {
            const auto omocodice =
                static_cast<unsigned char>(kOmocodici[static_cast<std::size_t>(i)]);
            classe['0' + i] = kCifra;
            classe[omocodice] = kLettera | kCifra | kOmocodice;
            cifra['0' + i] = static_cast<signed char>(i);
            cifra[omocodice] = static_cast<signed char>(i);
            dispari['0' + i] = kDispariCifre[i];
            pari['0' + i] = static_cast<signed char>(i);
        }
        for (char16_t m : kLettereMese) {
            mese[m] = true;
        }
    }
};
inline constexpr Tabella kTabellaCodice;

// The check character's total over the first fifteen characters of `c`, `n` long: every
// position past the end is worth 1. Negative only for characters that no code holds.
template <class Carattere>
int TotaleControllo(const Carattere* c, std::size_t n) {
    int totale = 0;
    for (std::size_t i = 0; i < 15; ++i) {
        if (i >= n) {
            totale += 1;
        } else if (static_cast<std::uint32_t>(c[i]) >= 256) {
            totale -= 1;
        } else {
            const auto k = static_cast<unsigned char>(c[i]);
            totale += i % 2 == 0 ? kTabellaCodice.dispari[k] : kTabellaCodice.pari[k];
        }
    }
    return totale;
}

// The check letter of a total; none for a negative one, so that such a text never verifies.
inline std::optional<char16_t> LetteraControllo(int totale) {
    if (totale < 0) {
        return std::nullopt;
    }
    return static_cast<char16_t>(u'A' + totale % 26);
}

inline unsigned Classe(char16_t c) {
    return c < 256 ? kTabellaCodice.classe[c] : 0;
}
inline unsigned Classe(unsigned char c) {
    return kTabellaCodice.classe[c];
}

// The digit a date or municipality character of a code stands for (itself, or the digit of
// an omocode letter); -1 for anything else.
inline int CifraOmocodice(char16_t c) {
    return c < 256 ? kTabellaCodice.cifra[c] : -1;
}

// A code's letters are read in either case, as capitals.
inline char16_t MaiuscolaAscii(char16_t x) {
    return x >= u'a' && x <= u'z' ? static_cast<char16_t>(x - u'a' + u'A') : x;
}

}  // namespace NODREL1
