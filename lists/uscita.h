#pragma once

// The buffers a list's CSV lines are put together in, shared by the writer and the threads
// that write runs of plain rows in place.

#include <cassert>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace nodrel {

// The parts of a line gathered on the stack and appended to the output at once: the output of
// a list of millions grows by one append a line, not one a part.
class Breve {
public:
    void operator+=(std::string_view t) { n_ += t.copy(b_ + n_, sizeof b_ - n_); }
    void operator+=(char c) {
        if (n_ < sizeof b_) {
            b_[n_++] = c;
        }
    }
    void Numero(std::uint64_t n) {
        n_ = static_cast<std::size_t>(std::to_chars(b_ + n_, b_ + sizeof b_, n).ptr - b_);
    }
    std::size_t size() const { return n_; }
    std::string_view Vista() const { return {b_, n_}; }
    void Svuota() { n_ = 0; }

private:
    char b_[512];  // a number, a plain code and the longest reason
    std::size_t n_ = 0;
};

// A line number in its decimal digits, counted on by one: the lines of a list come one after
// the other, and a digit carried is cheaper than a number written out.
class Contatore {
public:
    void Da(std::uint64_t n) {
        n_ = n;
        lunghezza_ = static_cast<std::size_t>(std::to_chars(cifre_, cifre_ + 20, n).ptr - cifre_);
    }
    void Avanti() {
        ++n_;
        std::size_t i = lunghezza_;
        while (i > 0 && cifre_[i - 1] == '9') {
            cifre_[--i] = '0';
        }
        if (i > 0) {
            ++cifre_[i - 1];
        } else {
            std::memmove(cifre_ + 1, cifre_, lunghezza_++);
            cifre_[0] = '1';
        }
    }
    std::uint64_t Valore() const { return n_; }
    // Writes the digits at `o`, which has room for twenty.
    char* Scrivi(char* o) const {
        std::memcpy(o, cifre_, sizeof cifre_);
        return o + lunghezza_;
    }

private:
    std::uint64_t n_ = 0;
    char cifre_[20] = {'0'};
    std::size_t lunghezza_ = 1;
};

// The same for a line its caller knows to fit 256 bytes (a number, a plain code and a reason of
// the program's own): the parts of fixed length are copied in place, the bound only asserted.
class Diretta {
public:
    void operator+=(std::string_view t) {
        assert(size() + t.size() <= sizeof b_);
        std::memcpy(p_, t.data(), t.size());
        p_ += t.size();
    }
    void operator+=(char c) {
        assert(size() < sizeof b_);
        *p_++ = c;
    }
    void Numero(std::uint64_t n) {
        assert(size() + 20 <= sizeof b_);
        p_ = std::to_chars(p_, p_ + 20, n).ptr;
    }
    // The number of a line that most often follows the last one written on this thread.
    void NumeroSeguente(std::uint64_t n) {
        thread_local Contatore ultimo;
        if (n == ultimo.Valore() + 1) {
            ultimo.Avanti();
        } else {
            ultimo.Da(n);
        }
        assert(size() + 20 <= sizeof b_);
        p_ = ultimo.Scrivi(p_);
    }
    std::size_t size() const { return static_cast<std::size_t>(p_ - b_); }
    std::string_view Vista() const { return {b_, size()}; }

private:
    char b_[256];
    char* p_ = b_;
};

inline bool Semplice(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x20 && b < 0x7F && c != '"' && c != ';';
}

// Whether all of a text is plain, eight bytes at a time: no byte below 0x20 or above 0x7E, and
// no quote or semicolon.
[[gnu::always_inline]] inline bool Semplice(std::string_view testo) {
    constexpr std::uint64_t kUno = 0x0101010101010101u;
    constexpr std::uint64_t kAlto = 0x8080808080808080u;
    auto zero = [](std::uint64_t x) { return (x - kUno) & ~x & kAlto; };
    std::size_t i = 0;
    for (; i + 8 <= testo.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, testo.data() + i, 8);
        const std::uint64_t sotto = (x - kUno * 0x20) & ~x & kAlto;
        const std::uint64_t sopra = ((x + kUno * (0x7F - 0x7E)) | x) & kAlto;
        if ((sotto | sopra | zero(x ^ (kUno * '"')) | zero(x ^ (kUno * ';'))) != 0) {
            return false;
        }
    }
    for (; i < testo.size(); ++i) {
        if (!Semplice(testo[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace nodrel
