// Code page 936 through iconv, for native builds of the portable core: tests, fuzzing, benchmarks.
#pragma once

#include "ansi_codec.h"

namespace orvanta::testing {

class IconvCp936Codec final : public AnsiCodec {
public:
    std::u16string to_utf16(std::string_view ansi) const override;
    std::string from_utf16(std::u16string_view utf16) const override;
};

} // namespace orvanta::testing
