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
