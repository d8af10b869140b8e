#include "iconv_codec.h"

#include <bit>
#include <cerrno>
#include <stdexcept>

#include <iconv.h>

namespace orvanta::testing {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from))
    {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() { iconv_close(handle_); }

    // Converts as much as it can; returns false at a character it cannot convert (input is left
    // pointing at it) and true when all input is consumed.
    bool run(const char*& in, std::size_t& in_left, std::string& out)
    {
        char buffer[4096];
        while (in_left > 0) {
            char* next = buffer;
            std::size_t out_left = sizeof buffer;
            const std::size_t result = iconv(handle_, const_cast<char**>(&in), &in_left, &next, &out_left);
            out.append(buffer, static_cast<std::size_t>(next - buffer));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
        }
        return true;
    }

private:
    iconv_t handle_;
};

} // namespace

std::u16string IconvCp936Codec::to_utf16(std::string_view ansi) const
{
    Converter converter("UTF-16LE", "CP936");
    std::string bytes;
    const char* in = ansi.data();
    std::size_t left = ansi.size();
    while (!converter.run(in, left, bytes)) {
        // As Windows does for a byte it cannot decode: a replacement character, then go on.
        bytes.append("\xFD\xFF", 2);
        ++in;
        --left;
    }
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return out;
}

std::string IconvCp936Codec::from_utf16(std::u16string_view utf16) const
{
    // The code units as they lie in memory, so that a long text is not copied byte by byte first.
    constexpr bool little_endian = std::endian::native == std::endian::little;
    Converter converter("CP936", little_endian ? "UTF-16LE" : "UTF-16BE");
    std::string out;
    const char* in = reinterpret_cast<const char*>(utf16.data());
    std::size_t left = utf16.size() * sizeof(char16_t);
    while (!converter.run(in, left, out)) {
        // A character the code page lacks becomes "?"; a surrogate pair counts as one.
        out.push_back('?');
        const auto unit = static_cast<unsigned char>(in[little_endian ? 1 : 0]);
        const std::size_t skip = (unit >= 0xD8 && unit <= 0xDB && left >= 4) ? 4 : 2;
        in += skip;
        left -= skip;
    }
    return out;
}

} // namespace orvanta::testing
