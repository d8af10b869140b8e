// Conversion between text in the ANSI code page and UTF-16.
//
// The translation client needs it at three seams: the source text goes out as UTF-8, a UTF-8 answer
// is shown as ANSI text, and \uXXXX escapes name UTF-16 code units. On Windows the platform converts
// (windows_ansi_codec); native test and fuzz builds supply their own, so this core needs no windows.h.
#pragma once

#include <string>
#include <string_view>

namespace orvanta {

class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;

    // Bytes the code page cannot decode must still yield something (the platform gives U+FFFD or a
    // best-fit character); the result is never shorter than needed to show that something was there.
    virtual std::u16string to_utf16(std::string_view ansi) const = 0;

    // A character the code page lacks becomes "?".
    virtual std::string from_utf16(std::u16string_view utf16) const = 0;
};

} // namespace orvanta
