#include "lists/parole.h"

#include <new>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace nodrel {

namespace {

// Below a page the words come from the heap, whose holes stay small.
constexpr std::size_t kPagine = 4096 / sizeof(std::uint64_t);

}  // namespace

Parole::Parole(std::size_t n, std::size_t riserva) : n_(n) {
#ifdef MAP_ANONYMOUS
    if (n >= kPagine) {
        void* p = mmap(nullptr, riserva * sizeof(std::uint64_t), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            throw std::bad_alloc();
        }
        p_ = static_cast<std::uint64_t*>(p);
        n_ = riserva;
        mappate_ = true;
#ifdef MADV_POPULATE_WRITE
        // The words asked for are written at once: their pages in one go cost far less than a
        // fault for each. The room beyond stays unmapped until the segment grows into it.
        madvise(p, n * sizeof(std::uint64_t), MADV_POPULATE_WRITE);
#endif
        return;
    }
#else
    static_cast<void>(riserva);
#endif
    p_ = new std::uint64_t[n]();
}

Parole::~Parole() {
#ifdef MAP_ANONYMOUS
    if (mappate_) {
        munmap(p_, n_ * sizeof(std::uint64_t));
        return;
    }
#endif
    delete[] p_;
}

}  // namespace nodrel
