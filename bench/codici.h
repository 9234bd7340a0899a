#pragma once

// Files of generated codes for the benchmarks of whole lists: eight right codes in ten, one an
// omocode, one with a wrong check letter; all different, or drawn again and again from a smaller
// set so that most rows are duplicates.

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace misura {

// Values of A..Z then 0..9 at odd positions; at even ones a letter is its place, a digit itself.
inline constexpr std::array<int, 36> kDispari = {1,  0,  5,  7, 9, 13, 15, 17, 19, 21, 2,  4,
                                                 18, 20, 11, 3, 6, 8,  12, 14, 16, 10, 22, 25,
                                                 24, 23, 1,  0, 5, 7,  9,  13, 15, 17, 19, 21};

inline char Controllo(const char* c) {
    int totale = 0;
    for (int i = 0; i < 15; ++i) {
        const int indice = c[i] >= 'A' ? c[i] - 'A' : 26 + (c[i] - '0');
        totale += i % 2 == 0 ? kDispari[static_cast<std::size_t>(indice)]
                             : (c[i] >= 'A' ? c[i] - 'A' : c[i] - '0');
    }
    return static_cast<char>('A' + totale % 26);
}

// The `n`-th code of the set, its line end after it.
inline void Codice(std::uint64_t n, char (&c)[17]) {
    // SplitMix64 of the number: a code of its own for each, without a generator's state.
    std::uint64_t x = n * 0x9E3779B97F4A7C15u + 20261207;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    x ^= x >> 31;
    for (int i = 0; i < 6; ++i) {
        c[i] = static_cast<char>('A' + (x >> (5 * i)) % 26);
    }
    std::snprintf(c + 6, 11, "%02d%c%02d%c%03d", static_cast<int>(n % 100), "ABCDEHLMPRST"[n % 12],
                  static_cast<int>(1 + (x >> 32) % 31 + (n % 2) * 40),
                  "ABCDEFGHILMZ"[(x >> 40) % 12], static_cast<int>(n / 100 % 1000));
    if (n % 10 == 1) {
        c[14] = "LMNPQRSTUV"[c[14] - '0'];
    }
    c[15] = Controllo(c);
    if (n % 10 == 2) {
        c[15] = c[15] == 'Z' ? 'A' : static_cast<char>(c[15] + 1);
    }
    c[16] = '\n';
}

// Writes `righe` codes to `p`, drawn from `diversi` codes (all different when they are as many
// as the rows), and puts them on the disk, so that no timed run shares the machine with the
// writing.
inline void ScriviCodici(const std::filesystem::path& p, std::int64_t righe, std::int64_t diversi) {
    std::mt19937_64 caso(7);
    std::ofstream out(p, std::ios::binary);
    std::string testo;
    char c[17];
    for (std::int64_t r = 0; r < righe; ++r) {
        Codice(diversi >= righe ? static_cast<std::uint64_t>(r)
                                : caso() % static_cast<std::uint64_t>(diversi),
               c);
        testo.append(c, 17);
        if (testo.size() >= (1 << 24)) {
            out << testo;
            testo.clear();
        }
    }
    out << testo;
    out.close();
    if (const int fd = open(p.c_str(), O_RDONLY); fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace misura
