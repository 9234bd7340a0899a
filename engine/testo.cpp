#include "engine/testo.h"

namespace NODREL1 {

namespace {

constexpr char32_t kSostituto = 0xFFFD;

void AggiungiUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// Decodes one code point at `i` and moves past it; a malformed sequence yields nothing and moves
// past its first byte only, so the bytes after it are read afresh.
bool Decodifica(std::string_view s, std::size_t& i, char32_t& c) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        c = b0;
        ++i;
        return true;
    }
    std::size_t n = 0;
    char32_t minimo = 0;
    if ((b0 & 0xE0) == 0xC0) {
        n = 1;
        c = b0 & 0x1F;
        minimo = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 2;
        c = b0 & 0x0F;
        minimo = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 3;
        c = b0 & 0x07;
        minimo = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (s.size() - i <= n) {
        ++i;
        return false;
    }
    for (std::size_t k = 1; k <= n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimo || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += n + 1;
    return true;
}

}  // namespace

void AggiungiUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Utf8(std::u16string_view testo) {
    std::string out;
    out.reserve(testo.size());
    for (std::size_t i = 0; i < testo.size(); ++i) {
        char32_t c = testo[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < testo.size() && testo[i + 1] >= 0xDC00 &&
            testo[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (testo[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kSostituto;
        }
        AggiungiUtf8(out, c);
    }
    return out;
}

std::u16string Utf16(std::string_view testo) {
    std::u16string out;
    out.reserve(testo.size());
    for (std::size_t i = 0; i < testo.size();) {
        char32_t c = 0;
        AggiungiUtf16(out, Decodifica(testo, i, c) ? c : kSostituto);
    }
    return out;
}

bool Utf8Valido(std::string_view testo) {
    for (std::size_t i = 0; i < testo.size();) {
        char32_t c = 0;
        if (!Decodifica(testo, i, c)) {
            return false;
        }
    }
    return true;
}

std::size_t ContaCaratteri(std::string_view testo) {
    std::size_t n = 0;
    for (char b : testo) {
        n += (static_cast<unsigned char>(b) & 0xC0) != 0x80;
    }
    return n;
}

}  // namespace NODREL1
