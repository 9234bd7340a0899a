// Whether a typed code is a code at all: its shape, its date fields and its check character.

#include <array>

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

constexpr std::size_t kLunghezzaPersonale = 16;
constexpr std::size_t kLunghezzaNumerica = 11;

// Positions (from 0) where an omocode may put a letter in place of a digit.
constexpr std::array<bool, kLunghezzaPersonale> kCifra = {false, false, false, false, false, false,
                                                          true,  true,  false, true,  true,  false,
                                                          true,  true,  true,  false};

// The values of A..Z and 0..9 at odd positions (counted from 1); at even positions a letter is
// worth its place in the alphabet and a digit itself.
constexpr std::array<int, 26> kDispariLettere = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                                                 20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};
constexpr std::array<int, 10> kDispariCifre = {1, 0, 5, 7, 9, 13, 15, 17, 19, 21};

bool Lettera(char16_t c) {
    return c >= u'A' && c <= u'Z';
}
bool Cifra(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The check letter of fifteen upper-case letters and digits.
char16_t Controllo(const char16_t* c) {
    int totale = 0;
    for (std::size_t i = 0; i < 15; ++i) {
        const bool lettera = Lettera(c[i]);
        const int indice = lettera ? c[i] - u'A' : c[i] - u'0';
        if (i % 2 == 0) {
            totale += lettera ? kDispariLettere[static_cast<std::size_t>(indice)]
                              : kDispariCifre[static_cast<std::size_t>(indice)];
        } else {
            totale += indice;
        }
    }
    return static_cast<char16_t>(u'A' + totale % 26);
}

int Numero(char16_t decine, char16_t unita) {
    return CifraOmocodice(decine) * 10 + CifraOmocodice(unita);
}

Esame EsaminaPersonale(const char16_t* c) {
    Esame e;
    for (std::size_t i = 0; i < kLunghezzaPersonale; ++i) {
        const bool buono =
            kCifra[i] ? Cifra(c[i]) || kOmocodici.find(c[i]) != kOmocodici.npos : Lettera(c[i]);
        if (!buono) {
            e.difetto = Difetto::Carattere;
            e.posizione = static_cast<int>(i) + 1;
            return e;
        }
        e.omocodico = e.omocodico || (kCifra[i] && !Cifra(c[i]));
    }
    if (kLettereMese.find(c[8]) == kLettereMese.npos) {
        e.difetto = Difetto::Mese;
        return e;
    }
    // A woman's day is raised by 40.
    const int giorno = Numero(c[9], c[10]);
    if (!((giorno >= 1 && giorno <= 31) || (giorno >= 41 && giorno <= 71))) {
        e.difetto = Difetto::Giorno;
        return e;
    }
    const char16_t atteso = Controllo(c);
    if (c[15] != atteso) {
        e.difetto = Difetto::Controllo;
        e.atteso = atteso;
    }
    return e;
}

// Eleven digits: the last is the check digit of the first ten (the Luhn rule).
Esame EsaminaNumerico(const char16_t* c) {
    Esame e;
    e.numerico = true;
    for (std::size_t i = 0; i < kLunghezzaNumerica; ++i) {
        if (!Cifra(c[i])) {
            e.difetto = Difetto::Carattere;
            e.posizione = static_cast<int>(i) + 1;
            return e;
        }
    }
    int totale = 0;
    for (std::size_t i = 0; i < 10; ++i) {
        const int cifra = c[i] - u'0';
        const int doppio = cifra * 2;
        totale += i % 2 == 0 ? cifra : doppio > 9 ? doppio - 9 : doppio;
    }
    const auto atteso = static_cast<char16_t>(u'0' + (10 - totale % 10) % 10);
    if (c[10] != atteso) {
        e.difetto = Difetto::Controllo;
        e.atteso = atteso;
    }
    return e;
}

}  // namespace

int CifraOmocodice(char16_t c) {
    if (Cifra(c)) {
        return c - u'0';
    }
    const auto p = kOmocodici.find(c);
    return p == kOmocodici.npos ? -1 : static_cast<int>(p);
}

Esame EsaminaCodice(std::u16string_view codice) {
    // Blanks removed and letters upper-cased into a buffer one longer than the longest code, so
    // that a longer text is known to be one without being copied.
    std::array<char16_t, kLunghezzaPersonale + 1> c{};
    std::size_t n = 0;
    for (char16_t x : codice) {
        if (x == u' ') {
            continue;
        }
        if (n == c.size()) {
            break;
        }
        c[n++] = x >= u'a' && x <= u'z' ? static_cast<char16_t>(x - u'a' + u'A') : x;
    }
    if (n == kLunghezzaPersonale) {
        return EsaminaPersonale(c.data());
    }
    // Eleven characters starting with a digit are a numeric code; any other length is no code.
    if (n == kLunghezzaNumerica && Cifra(c[0])) {
        return EsaminaNumerico(c.data());
    }
    Esame e;
    e.difetto = Difetto::Lunghezza;
    return e;
}

std::u16string CodiceNormale(std::u16string_view codice) {
    std::u16string risultato;
    risultato.reserve(codice.size());
    for (char16_t x : codice) {
        if (x != u' ') {
            risultato += x >= u'a' && x <= u'z' ? static_cast<char16_t>(x - u'a' + u'A') : x;
        }
    }
    return risultato;
}

std::u16string SenzaOmocodia(std::u16string codice) {
    for (std::size_t i = 0; i < codice.size() && i < kLunghezzaPersonale; ++i) {
        if (kCifra[i] && !Cifra(codice[i])) {
            const int cifra = CifraOmocodice(codice[i]);
            if (cifra >= 0) {
                codice[i] = static_cast<char16_t>(u'0' + cifra);
            }
        }
    }
    return codice;
}

}  // namespace NODREL1
