// UTF-8 and UTF-16 without the platform: validity check and conversion between the two.
#pragma once

#include <string>
#include <string_view>

namespace orvanta {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view bytes) noexcept;

// The input must be valid UTF-8 (see is_valid_utf8).
std::u16string utf8_to_utf16(std::string_view valid_utf8);

// Offset of the first byte of 0x80 or above at `from` or later, or the size when there is none.
std::size_t skip_ascii(std::string_view text, std::size_t from) noexcept;

// The code point of the sequence at `at` in valid UTF-8; `at` moves past it.
char32_t next_code_point(std::string_view valid_utf8, std::size_t& at) noexcept;

// One code point as UTF-16 (a surrogate pair above U+FFFF) at `out`; how many code units.
std::size_t write_utf16(char32_t code_point, char16_t* out) noexcept;

// A lone surrogate becomes U+FFFD, so the result is always valid UTF-8.
std::string utf16_to_utf8(std::u16string_view utf16);

} // namespace orvanta
