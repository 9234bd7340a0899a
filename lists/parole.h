#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace nodrel {

// Zeroed words that go back to the system as soon as they are freed: a table that grows a
// segment at a time would otherwise leave the freed ones resident, in the heap's holes. A
// large one is mapped with room to grow in place, which costs nothing until it is written.
class Parole {
public:
    Parole() = default;
    // `n` words, and room for `riserva` when they are worth pages of their own.
    Parole(std::size_t n, std::size_t riserva);
    Parole(Parole&& p) noexcept
        : p_(std::exchange(p.p_, nullptr)),
          n_(std::exchange(p.n_, 0)),
          mappate_(std::exchange(p.mappate_, false)) {}
    Parole& operator=(Parole&& p) noexcept {
        std::swap(p_, p.p_);
        std::swap(n_, p.n_);
        std::swap(mappate_, p.mappate_);
        return *this;
    }
    ~Parole();
    std::uint64_t* data() { return p_; }
    const std::uint64_t* data() const { return p_; }
    std::size_t Capienza() const { return n_; }

private:
    std::uint64_t* p_ = nullptr;
    std::size_t n_ = 0;
    bool mappate_ = false;
};

}  // namespace nodrel
