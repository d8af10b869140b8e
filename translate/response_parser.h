// Cutting the translation out of the service's response body.
//
// The body is read as text up to its first zero byte. A UTF-8 answer is first converted to the ANSI
// code page. The translation is what lies between the opening marker [" and the next closing marker
// ", that is not escaped; both searches walk the text by characters of the double-byte code page, so
// a match is never tried at the second byte of a two-byte character. A body of sentence segments,
// [[["t1",...],["t2",...],...],...], gives all their translations joined. The cut text has its JSON
// escapes decoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ansi_codec.h"

namespace orvanta {

inline constexpr std::string_view kOpeningMarker = "[\"";
inline constexpr std::string_view kClosingMarker = "\",";

// The bytes before the first zero byte (all of them when there is none).
std::string_view response_text(std::string_view body) noexcept;

// Offset of the first occurrence of `marker` that starts at `from` or later, or npos. `from` must be
// at the start of a character. A byte of 0x80 or above starts a two-byte character; one at the very
// end ends the search.
std::size_t find_marker(std::string_view text, std::string_view marker, std::size_t from = 0) noexcept;

// As find_marker for the closing marker, but a quotation mark that follows an odd number of
// backslashes is escaped and does not close.
std::size_t find_closing_marker(std::string_view text, std::size_t from) noexcept;

// JSON string escapes decoded: \" \\ \/ \b \f \t, \n as CR LF, \r dropped before \n, \uXXXX
// (surrogate pairs too) as the character in the ANSI code page or "?". Anything else stays as it is.
std::string decode_json_escapes(std::string_view raw, const AnsiCodec& codec);

// Valid UTF-8 in the ANSI code page, as codec.from_utf16(utf8_to_utf16(text)) gives it. ASCII, which
// the code page shares, stays; only the other characters go through the codec, in one call, and
// are written back into the text's own buffer.
std::string utf8_to_ansi(std::string valid_utf8, const AnsiCodec& codec);

// The translation carried by a response body, or the empty text.
std::string extract_translation(std::string_view body, const AnsiCodec& codec);

} // namespace orvanta
