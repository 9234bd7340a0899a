#include "lists/filtro.h"

#include <bit>
#include <cstring>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace nodrel {

void FiltroCodici::Dimensiona(std::uint64_t codici) {
    // A word of 64 bits for every eight codes at least, so that fewer than one in a hundred
    // is marked by the bits of others.
    bit_ = 10;
    while ((std::uint64_t{1} << bit_) * 8 < codici && bit_ < 36) {
        ++bit_;
    }
    parole_.reset();
    const std::size_t byte = (std::size_t{1} << bit_) * sizeof(std::uint64_t);
#ifdef MAP_ANONYMOUS
    // Pages of the system's, nought already: each is filled in when a code first marks it, by
    // the thread that marks it, rather than all of them by this one before the reading.
    constexpr std::size_t kPagina = std::size_t{1} << 21;
    void* p =
        mmap(nullptr, byte + kPagina, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p != MAP_FAILED) {
        const auto inizio = (reinterpret_cast<std::uintptr_t>(p) + kPagina - 1) & ~(kPagina - 1);
#ifdef MADV_HUGEPAGE
        // Every code reaches a word anywhere in the filter: large pages spare the processor a
        // walk of the page tables for most of them.
        madvise(reinterpret_cast<void*>(inizio), byte, MADV_HUGEPAGE);
#endif
        parole_ = {reinterpret_cast<std::uint64_t*>(inizio), Libera{p, byte + kPagina}};
        return;
    }
#endif
    parole_ = {new std::uint64_t[byte / sizeof(std::uint64_t)](), Libera{nullptr, 0}};
}

void FiltroCodici::Libera::operator()(std::uint64_t* parole) const {
#ifdef MAP_ANONYMOUS
    if (inizio != nullptr) {
        munmap(inizio, byte);
        return;
    }
#endif
    delete[] parole;
}

std::uint64_t ImprontaCodice(const char* sedici) {
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

bool FiltroCodici::Segna(std::uint64_t h) {
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

void FiltroCodici::Anticipa(std::uint64_t h) const {
    __builtin_prefetch(&parole_[static_cast<std::size_t>(h >> (64 - bit_))]);
}

Candidati::Candidati(const std::vector<std::uint64_t>& impronte) {
    // A word for every code at least, two bits of it set, as the table's own.
    bit_ = 6;
    while ((std::size_t{1} << bit_) < impronte.size() && bit_ < 34) {
        ++bit_;
    }
    parole_.assign(std::size_t{1} << bit_, 0);
    for (const std::uint64_t impronta : impronte) {
        const std::uint64_t h = Bit(impronta);
        parole_[h >> (64 - bit_)] |=
            (std::uint64_t{1} << (h & 63)) | (std::uint64_t{1} << (h >> 6 & 63));
    }
}

}  // namespace nodrel
