// The platform's conversion between the ANSI code page (CP_ACP) and UTF-16.
#pragma once

#include "ansi_codec.h"

namespace orvanta {

class WindowsAnsiCodec final : public AnsiCodec {
public:
    std::u16string to_utf16(std::string_view ansi) const override;
    std::string from_utf16(std::u16string_view utf16) const override;
};

const AnsiCodec& windows_ansi_codec() noexcept;

} // namespace orvanta
