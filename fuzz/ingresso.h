#pragma once

// What the fuzz targets make of their input bytes, and how they give up on a broken promise.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// Each pair of bytes is one UTF-16 unit, low byte first, so that every unit value (NUL and
// unpaired surrogates included) can reach the engine. An odd last byte is dropped.
inline std::u16string Testo(const std::uint8_t* dati, std::size_t n) {
    std::u16string testo(n / 2, u'\0');
    for (std::size_t i = 0; i < testo.size(); ++i) {
        testo[i] = static_cast<char16_t>(dati[2 * i] | (dati[2 * i + 1] << 8));
    }
    return testo;
}

// Takes the next of several texts off the front of `resto`: its first unit is the text's length,
// the units after it the text, fewer where `resto` runs out. The last text is what is left.
inline std::u16string Prendi(std::u16string_view& resto) {
    if (resto.empty()) {
        return {};
    }
    const std::size_t n = std::min<std::size_t>(resto[0], resto.size() - 1);
    std::u16string testo(resto.substr(1, n));
    resto.remove_prefix(1 + n);
    return testo;
}

// A property the code promises did not hold: a finding like any crash.
inline void Esigi(bool vero, const char* promessa) {
    if (!vero) {
        std::fprintf(stderr, "broken promise: %s\n", promessa);
        std::abort();
    }
}

}  // namespace fuzz
