#include "lists/codifica.h"

#include "engine/testo.h"

namespace nodrel {

namespace {

constexpr char32_t kCp1252[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                  0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// Whether the start of a file is UTF-8; a character cut by the sample's end does not count.
bool InizioUtf8(std::string_view campione, bool intero) {
    if (!intero) {
        for (std::size_t k = 1; k <= 3 && k <= campione.size(); ++k) {
            const auto b = static_cast<unsigned char>(campione[campione.size() - k]);
            if ((b & 0xC0) == 0xC0) {
                const std::size_t serve = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
                if (serve > k) {
                    campione.remove_suffix(k);
                }
                break;
            }
            if ((b & 0xC0) != 0x80) {
                break;
            }
        }
    }
    return NODREL1::Utf8Valido(campione);
}

}  // namespace

bool Codifica::Accogli(std::string_view pezzo, std::string_view& testo, bool fine) {
    if (tipo_ == Tipo::Ignota) {
        campione_.append(pezzo);
        if (campione_.size() < kCampione && !fine) {
            return false;
        }
        std::string_view t = campione_;
        if (t.starts_with("\xEF\xBB\xBF")) {
            tipo_ = Tipo::Utf8;
            marca_ = 3;
        } else if (t.starts_with("\xFF\xFE")) {
            tipo_ = Tipo::Utf16LE;
            marca_ = 2;
        } else if (t.starts_with("\xFE\xFF")) {
            tipo_ = Tipo::Utf16BE;
            marca_ = 2;
        } else {
            // Text that is not UTF-8 from its start is taken as Windows writes it.
            tipo_ = InizioUtf8(t.substr(0, kCampione), fine && t.size() <= kCampione)
                        ? Tipo::Utf8
                        : Tipo::Cp1252;
        }
        t.remove_prefix(marca_);
        if (tipo_ == Tipo::Utf8) {
            convertito_.assign(t);
        } else {
            Converti(t, convertito_);
        }
        campione_ = std::string();
        testo = convertito_;
        return true;
    }
    if (tipo_ == Tipo::Utf8) {
        testo = pezzo;
        return true;
    }
    Converti(pezzo, convertito_);
    testo = convertito_;
    return true;
}

std::uint64_t Codifica::Byte(std::string_view testo) const {
    if (tipo_ != Tipo::Cp1252 && tipo_ != Tipo::Utf16LE && tipo_ != Tipo::Utf16BE) {
        return testo.size();
    }
    // A byte of Windows-1252 is one character; a unit of UTF-16 two bytes, and a character past
    // the first 65536 (four bytes in UTF-8) two units.
    std::uint64_t caratteri = 0;
    std::uint64_t lunghi = 0;
    for (const char c : testo) {
        const auto b = static_cast<unsigned char>(c);
        caratteri += (b & 0xC0) != 0x80;
        lunghi += b >= 0xF0;
    }
    return tipo_ == Tipo::Cp1252 ? caratteri : 2 * (caratteri + lunghi);
}

void Codifica::Converti(std::string_view byte, std::string& out) {
    out.clear();
    if (tipo_ == Tipo::Cp1252) {
        out.reserve(byte.size());
        for (char b : byte) {
            const auto c = static_cast<unsigned char>(b);
            NODREL1::AggiungiUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252[c - 0x80] : c);
        }
        return;
    }
    out.reserve(byte.size() * 3 / 2);
    std::size_t i = 0;
    auto unita = [&](unsigned char a, unsigned char b) {
        const auto u = static_cast<char16_t>(tipo_ == Tipo::Utf16LE ? a | (b << 8) : (a << 8) | b);
        if (alta_ != 0) {
            const char16_t h = alta_;
            alta_ = 0;
            if (u >= 0xDC00 && u < 0xE000) {
                NODREL1::AggiungiUtf8(out, 0x10000 + ((char32_t{h} - 0xD800) << 10) + (u - 0xDC00));
                return;
            }
            NODREL1::AggiungiUtf8(out, 0xFFFD);
        }
        if (u >= 0xD800 && u < 0xDC00) {
            alta_ = u;
        } else {
            NODREL1::AggiungiUtf8(out, u >= 0xDC00 && u < 0xE000 ? 0xFFFD : u);
        }
    };
    if (dispari_ >= 0 && !byte.empty()) {
        unita(static_cast<unsigned char>(dispari_), static_cast<unsigned char>(byte[0]));
        dispari_ = -1;
        i = 1;
    }
    for (; i + 1 < byte.size(); i += 2) {
        unita(static_cast<unsigned char>(byte[i]), static_cast<unsigned char>(byte[i + 1]));
    }
    if (i < byte.size()) {
        dispari_ = static_cast<unsigned char>(byte[i]);
    }
}

}  // namespace nodrel
