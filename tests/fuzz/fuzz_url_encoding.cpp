// libFuzzer target: any ANSI source text into the request URL. Decoding the query's text parameter
// must give back exactly the UTF-8 of the text, and none of the text's own characters may add an
// "&", a "#" or a raw space to the query.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "iconv_codec.h"
#include "unicode.h"
#include "url_encoding.h"

namespace {

int hex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    std::abort(); // only upper-case hex is ever written
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const orvanta::testing::IconvCp936Codec codec;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string origin = "http://127.0.0.1:1";
    const std::string url = orvanta::build_request_url(origin, text, codec);

    const std::string prefix = origin + std::string(orvanta::kRequestPath);
    if (!url.starts_with(prefix) || !url.ends_with(orvanta::kRequestSuffix)) std::abort();
    const std::string_view query_text =
        std::string_view(url).substr(prefix.size(), url.size() - prefix.size() - orvanta::kRequestSuffix.size());
    if (query_text.find_first_of("&# \r\n+") != std::string_view::npos) std::abort();

    std::string decoded;
    for (std::size_t i = 0; i < query_text.size(); ++i) {
        if (query_text[i] == '%') {
            if (i + 2 >= query_text.size()) std::abort();
            decoded.push_back(static_cast<char>(hex(query_text[i + 1]) * 16 + hex(query_text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(query_text[i]);
        }
    }
    if (decoded != orvanta::utf16_to_utf8(codec.to_utf16(text))) std::abort();
    return 0;
}
