#pragma once

#include <cstddef>
#include <string_view>

namespace conversion {

// Bytes of text from its first byte that make one UTF-8 character: its byte count, or 0
// when the bytes there are no valid UTF-8 (overlong forms, surrogates and anything above
// U+10FFFF included).
std::size_t utf8Length(std::string_view text);

// The code point of the valid UTF-8 character of length bytes at the start of text.
char32_t decodeUtf8(std::string_view text, std::size_t length);

// Writes code as UTF-8 to out, which has room for four bytes; returns the bytes written. A
// surrogate takes the three bytes it would have, as no valid UTF-8 does.
std::size_t encodeUtf8(char32_t code, char* out);

// The code point that a UTF-16 unit begins, next being the unit after it (0 at the end): a
// surrogate pair's, which takes both units (units is set to 2), or the unit itself, a lone half
// of a pair included (units is set to 1).
char32_t decodeUtf16(char32_t unit, char32_t next, std::size_t& units);

}  // namespace conversion
