#pragma once

// Conversions between the UTF-16 text of the program and the UTF-8 text of files.

#include <string>
#include <string_view>

namespace NODREL1 {

// Text that cannot be converted (an unpaired surrogate, a broken UTF-8 sequence) becomes U+FFFD,
// so that nothing read from a damaged file or typed by the user can stop a conversion.
std::string Utf8(std::u16string_view testo);
std::u16string Utf16(std::string_view testo);
// Appends one code point to UTF-8 text.
void AggiungiUtf8(std::string& out, char32_t c);

// Strict check: no overlong forms, no surrogates, nothing past U+10FFFF.
bool Utf8Valido(std::string_view testo);

// Number of characters (code points) of valid UTF-8 text.
std::size_t ContaCaratteri(std::string_view testo);

}  // namespace NODREL1
