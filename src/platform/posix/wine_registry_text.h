// Text helpers for the Wine registry files: UTF-8 decoding that never fails (bad bytes become
// U+FFFD), UTF-16 to UTF-8 conversion with surrogate pairing, and the case folding that key
// and value lookups use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pakscour::posix {

constexpr char32_t replacement_char = 0xFFFD;

// Decodes one UTF-8 sequence at `text[pos]` and advances `pos` past it. An invalid or
// truncated sequence, an overlong form, an encoded surrogate or a code above U+10FFFF yields
// U+FFFD and consumes one byte, so decoding always moves forward.
char32_t decode_utf8(std::string_view text, std::size_t& pos);

// Appends `code` to `out` as UTF-16 code units (a pair beyond U+FFFF).
void append_utf16(std::u16string& out, char32_t code);

// Converts UTF-16 code units to UTF-8: pairs join, an unpaired surrogate becomes U+FFFD, and
// a NUL unit becomes one NUL byte.
std::string utf16_to_utf8(std::u16string_view units);

// Reads raw UTF-16LE bytes as code units; an odd last byte becomes U+FFFD.
std::u16string utf16le_units(const std::vector<std::uint8_t>& bytes);

// ASCII lower case: the fold under which key and value names compare equal.
std::string fold_case(std::string_view name);

}  // namespace pakscour::posix
