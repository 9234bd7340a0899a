#pragma once

// The codes of a list read twice, as a file can be, marked in the first reading: a few bits a
// code, so that the filter stays far smaller than a table of the codes. A code marked a second
// time may have been seen before (or shares its bits with others); only the right ones of those
// need the table in the second reading, which tells them by a bitmap of their prints.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace nodrel {

// What a code is marked by: its sixteen bytes as given, capitals and small letters alike (a
// numeric code's eleven, then noughts). Other bytes may share it with some other: that only
// makes a code that comes once look at the table. Inline, as all of the filter's marking: it runs
// on every row of a list.
inline std::uint64_t ImprontaCodice(const char* sedici) {
    // Bit 0x20 apart, a small letter is its capital; a digit or any other byte stays apart
    // from both.
    constexpr std::uint64_t kMaiuscole = ~0x2020202020202020u;
    std::uint64_t a, b;
    std::memcpy(&a, sedici, 8);
    std::memcpy(&b, sedici + 8, 8);
    a &= kMaiuscole;
    b &= kMaiuscole;
    std::uint64_t x = (a ^ std::rotl(b, 29)) * 0x9E3779B97F4A7C15u ^ b;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

class FiltroCodici {
public:
    void Dimensiona(std::uint64_t codici);
    // Marks a code by its print; true when all its bits were marked already.
    bool Segna(std::uint64_t impronta);
    // Asks the memory for the word of a print ahead of its Segna.
    void Anticipa(std::uint64_t impronta) const;
    bool Vuoto() const { return parole_ == nullptr; }

private:
    // Pages mapped for the filter (`byte` of them from `inizio`), or words of the heap.
    struct Libera {
        void* inizio;  // null for words of the heap
        std::size_t byte;
        void operator()(std::uint64_t* parole) const;
    };
    std::unique_ptr<std::uint64_t[], Libera> parole_;
    int bit_ = 0;
};

inline bool FiltroCodici::Segna(std::uint64_t h) {
    // The word from the top bits, six of its bits from the bottom ones: with five to eight codes
    // a word, six let through a fifth to a quarter fewer codes that came once than four did.
    std::uint64_t& parola = parole_[static_cast<std::size_t>(h >> (64 - bit_))];
    std::uint64_t bit = 0;
    for (int i = 0; i < 6; ++i) {
        bit |= std::uint64_t{1} << (h >> (6 * i) & 63);
    }
    const bool visto = (parola & bit) == bit;
    parola |= bit;
    return visto;
}

inline void FiltroCodici::Anticipa(std::uint64_t h) const {
    __builtin_prefetch(&parole_[static_cast<std::size_t>(h >> (64 - bit_))]);
}

// The prints of the codes the first reading kept, as a bitmap of two bits a print in words as
// many as the codes: false for nearly every other print, so that the second reading looks most
// plain lines up in neither the table nor their key.
class Candidati {
public:
    Candidati() = default;
    explicit Candidati(const std::vector<std::uint64_t>& impronte);
    bool Vuoto() const { return parole_.empty(); }
    // True for every print given, and for a few others; always true when empty.
    bool Forse(std::uint64_t impronta) const {
        if (parole_.empty()) {
            return true;
        }
        const std::uint64_t h = Bit(impronta);
        const std::uint64_t bit =
            (std::uint64_t{1} << (h & 63)) | (std::uint64_t{1} << (h >> 6 & 63));
        return (parole_[h >> (64 - bit_)] & bit) == bit;
    }
    void Anticipa(std::uint64_t impronta) const {
        if (!parole_.empty()) {
            __builtin_prefetch(&parole_[Bit(impronta) >> (64 - bit_)]);
        }
    }

private:
    // Other bits than those that chose the filter's word and its bits.
    static std::uint64_t Bit(std::uint64_t impronta) {
        return std::rotl(impronta * 0x9E3779B97F4A7C15u, 32);
    }
    std::vector<std::uint64_t> parole_;
    int bit_ = 0;
};

}  // namespace nodrel
