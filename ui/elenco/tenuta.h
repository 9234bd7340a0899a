#pragma once

// How the list window's table keeps a row: in eight bytes, with what does not fit kept aside.
// Shared by the table (modello.cpp) and the gathering of rows on the run's thread (raccolta.cpp).

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "engine/nodrel1.h"
#include "engine/testo.h"
#include "ui/elenco/modello.h"

namespace nodrel::tenuta {

// A row in eight bytes: its place in the list (up to a terabyte), its outcome, the rows skipped
// before it (blank ones, titles) and its reason's number. What does not fit is kept aside, the
// skip then kEccezione.
inline constexpr std::uint64_t kPostoMassimo = (std::uint64_t{1} << 40) - 1;
inline constexpr std::uint64_t kSaltoMassimo = 14;
inline constexpr std::uint64_t kEccezione = 15;
// A reason's number is one of the run's (Raccolta) or, bit 31 on, one of the table's own for
// plain rows' lines; a row keeps it in 16 bits, the table's with bit 15 on.
inline constexpr std::uint32_t kMotivoMassimo = 0x7FFF;
inline constexpr std::uint32_t kSemplici = 1u << 31;
inline constexpr std::uint64_t kDaLeggere = 3;  // the outcome of a row whose line the table reads

inline std::uint64_t Posto(std::uint64_t r) {
    return r & kPostoMassimo;
}
inline ModelloElenco::Esito EsitoDi(std::uint64_t r) {
    return static_cast<ModelloElenco::Esito>(r >> 40 & 3);
}
inline bool Duplicato(std::uint64_t r) {
    return (r >> 42 & 1) != 0;
}
inline bool Calcolato(std::uint64_t r) {
    return (r >> 43 & 1) != 0;
}
inline std::uint64_t Salto(std::uint64_t r) {
    return r >> 44 & 15;
}
inline std::uint32_t NumeroMotivo(std::uint64_t r) {
    const auto n = static_cast<std::uint32_t>(r >> 48);
    return (n & 0x8000) != 0 ? kSemplici | (n & 0x7FFF) : n;
}
inline std::uint64_t CampoMotivo(std::uint32_t n) {
    return (n & kSemplici) != 0 ? 0x8000 | (n & 0x7FFF) : n;
}

// A few bits of a row's cells, which its text read again must give: another row in its place
// (the file written over) is told by them, whatever its size and times say.
inline std::uint16_t Impronta(std::span<const std::string_view> celle) {
    std::uint64_t h = 0x9E3779B97F4A7C15u * (celle.size() + 1);
    for (std::string_view c : celle) {
        std::size_t i = 0;
        for (; i + 8 <= c.size(); i += 8) {
            std::uint64_t w;
            std::memcpy(&w, c.data() + i, 8);
            h = (h ^ w) * 0xFF51AFD7ED558CCDu;
            h ^= h >> 32;
        }
        std::uint64_t w = 0;
        for (; i < c.size(); ++i) {
            w = w << 8 | static_cast<unsigned char>(c[i]);
        }
        h = (h ^ w ^ (std::uint64_t{c.size()} << 56)) * 0xC4CEB9FE1A85EC53u;
        h ^= h >> 29;
    }
    return static_cast<std::uint16_t>(h >> 48);
}

// A composed code in eight bytes: its eight letters and seven digits in their places, the check
// letter left out (it is computed again); false for text of another shape.
inline constexpr std::array<int, 8> kLettere = {0, 1, 2, 3, 4, 5, 8, 11};
inline constexpr std::array<int, 7> kCifre = {6, 7, 9, 10, 12, 13, 14};
inline constexpr std::uint64_t kNessunCodice = ~std::uint64_t{0};

inline std::u16string Controllo(std::string_view quindici) {
    return NODREL1::CarattereControllo(NODREL1::Utf16(quindici));
}

inline bool Impacca(std::string_view c, std::uint64_t& k) {
    if (c.size() != NODREL1::kLunghezzaPersonale) {
        return false;
    }
    std::uint64_t lettere = 0;
    std::uint64_t cifre = 0;
    for (int i : kLettere) {
        const char x = c[static_cast<std::size_t>(i)];
        if (x < 'A' || x > 'Z') {
            return false;
        }
        lettere = lettere * 26 + static_cast<std::uint64_t>(x - 'A');
    }
    for (int i : kCifre) {
        const char x = c[static_cast<std::size_t>(i)];
        if (x < '0' || x > '9') {
            return false;
        }
        cifre = cifre * 10 + static_cast<std::uint64_t>(x - '0');
    }
    k = lettere * 10'000'000 + cifre;
    return NODREL1::Utf16(c.substr(15)) == Controllo(c.substr(0, 15));
}

inline void Spacca(std::uint64_t k, std::string& c) {
    c.assign(15, ' ');
    std::uint64_t cifre = k % 10'000'000;
    std::uint64_t lettere = k / 10'000'000;
    for (auto i = kCifre.rbegin(); i != kCifre.rend(); ++i) {
        c[static_cast<std::size_t>(*i)] = static_cast<char>('0' + cifre % 10);
        cifre /= 10;
    }
    for (auto i = kLettere.rbegin(); i != kLettere.rend(); ++i) {
        c[static_cast<std::size_t>(*i)] = static_cast<char>('A' + lettere % 26);
        lettere /= 26;
    }
    c += NODREL1::Utf8(Controllo(c));
}

inline void AggiungiNumero(std::string& out, std::uint64_t n) {
    do {
        const auto sette = static_cast<char>(n & 0x7F);
        n >>= 7;
        out += static_cast<char>(sette | (n != 0 ? 0x80 : 0));
    } while (n != 0);
}

inline std::uint64_t LeggiNumero(const char*& p) {
    std::uint64_t n = 0;
    for (int spostamento = 0;; spostamento += 7) {
        const auto b = static_cast<unsigned char>(*p++);
        n |= std::uint64_t{b & 0x7Fu} << spostamento;
        if ((b & 0x80) == 0) {
            return n;
        }
    }
}

}  // namespace nodrel::tenuta
