#pragma once

// Plain rows, sixteen letters or digits and a line end: most rows of a list of codes, which need
// no reading of cells and are found, judged and written where they lie.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "engine/esame.h"

namespace nodrel {

// Whether sixteen bytes are all letters or digits, at once: each byte is compared in a lane of
// its own (the compiler's vectors, SSE2 on x86-64), a byte above 0x7F being negative.
inline bool Alfanumerici(const char* sedici) {
    using Byte16 = signed char __attribute__((vector_size(16)));
    Byte16 x;
    std::memcpy(&x, sedici, sizeof x);
    const Byte16 minuscola = x | 0x20;
    const Byte16 buoni = ((x >= '0') & (x <= '9')) | ((minuscola >= 'a') & (minuscola <= 'z'));
    std::uint64_t parti[2];
    std::memcpy(parti, &buoni, sizeof parti);
    return (parti[0] & parti[1]) == ~std::uint64_t{0};
}

// Whether a plain line begins at `da` of `t`: sixteen letters or digits and a line end, which
// need no reading of cells. The last line of a piece is left to the full reading, which knows
// whether a line feed follows its carriage return.
inline bool RigaSemplice(std::string_view t, std::size_t da) {
    constexpr std::size_t n = NODREL1::kLunghezzaPersonale;
    return da + n + 1 < t.size() &&
           (t[da + n] == '\n' || (t[da + n] == '\r' && t[da + n + 1] == '\n')) &&
           Alfanumerici(t.data() + da);
}

// Where the line that begins at `da` of `t`, a plain one, ends.
inline std::size_t DopoRiga(std::string_view t, std::size_t da) {
    return da + NODREL1::kLunghezzaPersonale + 1 + (t[da + NODREL1::kLunghezzaPersonale] == '\r');
}

// The plain lines that open `t`, up to `righe` of them: where they end, and in `righe` how
// many they are.
inline std::size_t Semplici(std::string_view t, std::uint64_t& righe) {
    std::size_t fine = 0;
    std::uint64_t k = 0;
    for (; k < righe && RigaSemplice(t, fine); ++k) {
        fine = DopoRiga(t, fine);
    }
    righe = k;
    return fine;
}

// A piece's print, to tell whether the second reading of a file reads what the first did:
// four lanes, so that the multiplications overlap.
inline std::uint64_t ImprontaPezzo(std::string_view t) {
    constexpr std::uint64_t kPrimo = 0x9E3779B97F4A7C15u;
    std::uint64_t h[4] = {t.size(), 1, 2, 3};
    std::size_t i = 0;
    for (; i + 32 <= t.size(); i += 32) {
        for (std::size_t j = 0; j < 4; ++j) {
            std::uint64_t w;
            std::memcpy(&w, t.data() + i + 8 * j, 8);
            h[j] = std::rotl((h[j] ^ w) * kPrimo, 31);
        }
    }
    for (; i < t.size(); ++i) {
        h[0] = std::rotl((h[0] ^ static_cast<unsigned char>(t[i])) * kPrimo, 31);
    }
    std::uint64_t x = h[0];
    for (std::size_t j = 1; j < 4; ++j) {
        x = std::rotl((x ^ h[j]) * kPrimo, 31);
    }
    return x;
}

}  // namespace nodrel
