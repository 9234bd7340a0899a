#pragma once

// Words read and written as runs of bits, for tables packed to the bit (CodiciVisti).

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace nodrel {

inline std::uint64_t Basso(std::uint64_t x, unsigned bit) {
    return bit >= 64 ? x : x & ((std::uint64_t{1} << bit) - 1);
}

// `bit` (at most 64) bits from bit `p` on.
inline std::uint64_t Leggi(const std::uint64_t* w, std::uint64_t p, unsigned bit) {
    const std::uint64_t i = p >> 6;
    const unsigned s = p & 63;
    std::uint64_t v = w[i] >> s;
    if (s + bit > 64) {
        v |= w[i + 1] << (64 - s);
    }
    return Basso(v, bit);
}

inline void Scrivi(std::uint64_t* w, std::uint64_t p, unsigned bit, std::uint64_t v) {
    const std::uint64_t i = p >> 6;
    const unsigned s = p & 63;
    const std::uint64_t m = Basso(~std::uint64_t{0}, bit);
    v &= m;
    w[i] = (w[i] & ~(m << s)) | (v << s);
    if (s + bit > 64) {
        w[i + 1] = (w[i + 1] & ~(m >> (64 - s))) | (v >> (64 - s));
    }
}

inline void CopiaBit(std::uint64_t* a, std::uint64_t pa, const std::uint64_t* da, std::uint64_t pda,
                     std::uint64_t bit) {
    for (std::uint64_t fatti = 0; fatti < bit; fatti += 64) {
        const auto n = static_cast<unsigned>(std::min<std::uint64_t>(64, bit - fatti));
        Scrivi(a, pa + fatti, n, Leggi(da, pda + fatti, n));
    }
}

// `n` bytes moved up, from `da` to `a` not below it, the last first: they may overlap. A word at a
// time, since a bucket is a few words and a call for each costs more than the copy.
inline void InAlto(unsigned char* a, const unsigned char* da, std::size_t n) {
    while (n >= 8) {
        n -= 8;
        std::uint64_t x;
        std::memcpy(&x, da + n, 8);
        std::memcpy(a + n, &x, 8);
    }
    while (n > 0) {
        --n;
        a[n] = da[n];
    }
}

// Which of the `n` tags from bit `p` on are `t`, a bit each.
inline std::uint64_t Etichette(const std::uint64_t* w, std::uint64_t p, unsigned n,
                               std::uint64_t t) {
    constexpr std::uint64_t kUno = 0x0101010101010101u;
    constexpr std::uint64_t kAlto = 0x8080808080808080u;
    std::uint64_t esito = 0;
    for (unsigned k = 0; k < n; k += 8) {
        const unsigned q = std::min(8u, n - k);
        const std::uint64_t x = Leggi(w, p + 8 * k, 8 * q) ^ (t * kUno);
        // Every byte of x that is nought, and maybe some above one: those are only looked at.
        std::uint64_t z = Basso((x - kUno) & ~x & kAlto, 8 * q);
        for (; z != 0; z &= z - 1) {
            esito |= std::uint64_t{1} << (k + static_cast<unsigned>(std::countr_zero(z)) / 8);
        }
    }
    return esito;
}

}  // namespace nodrel
