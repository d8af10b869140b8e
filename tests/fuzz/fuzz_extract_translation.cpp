// libFuzzer target: any response body through the whole cut (zero-byte cut, UTF-8 seam, both
// marker searches, segment join, escape decoding), and any UTF-8 text into the code page.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "iconv_codec.h"
#include "response_parser.h"
#include "unicode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const orvanta::testing::IconvCp936Codec codec;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const std::string translation = orvanta::extract_translation(body, codec);

    // A control would cut the text at a zero byte; none may come out.
    if (translation.find('\0') != std::string::npos) std::abort();
    // Without an opening marker before the first zero byte there is no translation.
    const std::string_view text = orvanta::response_text(body);
    if (text.find(orvanta::kOpeningMarker) == std::string_view::npos && !translation.empty()) std::abort();
    // Only the non-ASCII characters go through the codec, and must come out as the whole text would;
    // text that is not UTF-8 may come out as anything, but must be read within its bounds.
    const std::string ansi = orvanta::utf8_to_ansi(std::string(body), codec);
    if (orvanta::is_valid_utf8(body) && ansi != codec.from_utf16(orvanta::utf8_to_utf16(body))) std::abort();
    return 0;
}
