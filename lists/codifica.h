#pragma once

// The text of a list as UTF-8, whatever its encoding: UTF-8 with or without a byte-order mark,
// UTF-16 LE or BE with one, or Windows-1252 when its start is not UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nodrel {

class Codifica {
public:
    enum class Tipo { Ignota, Utf8, Utf16LE, Utf16BE, Cp1252 };

    // The bytes the encoding is told from, unless the text ends first.
    static constexpr std::size_t kCampione = 1 << 16;

    // Text that comes already as UTF-8, such as a spreadsheet's cells.
    void Imposta(Tipo tipo) { tipo_ = tipo; }
    Tipo Quale() const { return tipo_; }

    // The piece's text as UTF-8 in `testo`, valid until the next call; false while the encoding
    // is still being told (the bytes are held meanwhile). `fine`: no more bytes come.
    bool Accogli(std::string_view pezzo, std::string_view& testo, bool fine);
    // The bytes of the byte-order mark the text began with, once the encoding is known.
    std::size_t Marca() const { return marca_; }
    // The bytes of the list that `testo`, a part of what Accogli gave that begins and ends where
    // characters do, came from.
    std::uint64_t Byte(std::string_view testo) const;

private:
    void Converti(std::string_view byte, std::string& out);

    Tipo tipo_ = Tipo::Ignota;
    std::size_t marca_ = 0;
    std::string campione_;    // bytes held until the encoding is known
    std::string convertito_;  // a piece in UTF-8
    int dispari_ = -1;        // UTF-16: a byte left over from the last piece
    char16_t alta_ = 0;       // UTF-16: a high surrogate left over
};

}  // namespace nodrel
