#include "url_encoding.h"

#include "unicode.h"

namespace orvanta {
namespace {

bool is_unreserved(unsigned char c) noexcept
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

} // namespace

std::string percent_encode(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (is_unreserved(c)) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        }
    }
    return out;
}

std::string build_request_url(std::string_view origin, std::string_view ansi_text, const AnsiCodec& codec)
{
    const std::string query_text = percent_encode(utf16_to_utf8(codec.to_utf16(ansi_text)));
    std::string url;
    url.reserve(origin.size() + kRequestPath.size() + query_text.size() + kRequestSuffix.size());
    url.append(origin).append(kRequestPath).append(query_text).append(kRequestSuffix);
    return url;
}

} // namespace orvanta
