#include "unicode.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace orvanta {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool is_continuation(unsigned char byte) noexcept { return (byte & 0xC0) == 0x80; }

// Length of the sequence that starts with `lead`, or 0 when no valid sequence starts with it.
// The second byte's range is checked by the caller (it rules out overlongs and surrogates).
int sequence_length(unsigned char lead) noexcept
{
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

bool second_byte_allowed(unsigned char lead, unsigned char second) noexcept
{
    switch (lead) {
    case 0xE0: return second >= 0xA0 && second <= 0xBF; // no overlong three-byte forms
    case 0xED: return second >= 0x80 && second <= 0x9F; // no surrogates
    case 0xF0: return second >= 0x90 && second <= 0xBF; // no overlong four-byte forms
    case 0xF4: return second >= 0x80 && second <= 0x8F; // nothing above U+10FFFF
    default: return is_continuation(second);
    }
}

void append_utf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::size_t skip_ascii(std::string_view text, std::size_t from) noexcept
{
    constexpr std::uint64_t high_bits = 0x8080808080808080u;
    const char* p = text.data();
    std::size_t i = from;
    // A word at a time, and in the word that holds such a byte its place from the lowest set high
    // bit: no loop over single bytes, whose exit the processor could not foresee.
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, sizeof word);
        if (const std::uint64_t high = word & high_bits) {
            const int bit =
                std::endian::native == std::endian::little ? std::countr_zero(high) : std::countl_zero(high);
            return i + static_cast<std::size_t>(bit / 8);
        }
    }
    while (i < text.size() && static_cast<unsigned char>(p[i]) < 0x80) ++i;
    return i;
}

bool is_valid_utf8(std::string_view bytes) noexcept
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = skip_ascii(bytes, 0); i < n; i = skip_ascii(bytes, i)) {
        // A run of other characters, as Chinese text is, goes on without looking for ASCII first.
        do {
            const unsigned char lead = p[i];
            const int length = sequence_length(lead);
            if (length == 0 || n - i < static_cast<std::size_t>(length)) return false;
            if (!second_byte_allowed(lead, p[i + 1])) return false;
            for (int k = 2; k < length; ++k) {
                if (!is_continuation(p[i + static_cast<std::size_t>(k)])) return false;
            }
            i += static_cast<std::size_t>(length);
        } while (i < n && p[i] >= 0x80);
    }
    return true;
}

char32_t next_code_point(std::string_view valid_utf8, std::size_t& at) noexcept
{
    const auto* p = reinterpret_cast<const unsigned char*>(valid_utf8.data()) + at;
    const unsigned char lead = *p;
    const int length = sequence_length(lead);
    if (length == 0 || valid_utf8.size() - at < static_cast<std::size_t>(length)) {
        // Not reached with valid input; keep going rather than read past the end.
        ++at;
        return kReplacementCharacter;
    }
    at += static_cast<std::size_t>(length);
    if (length == 1) return lead;
    char32_t cp = lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) cp = (cp << 6) | (p[k] & 0x3F);
    return cp;
}

std::size_t write_utf16(char32_t code_point, char16_t* out) noexcept
{
    if (code_point < 0x10000) {
        out[0] = static_cast<char16_t>(code_point);
        return 1;
    }
    code_point -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (code_point >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (code_point & 0x3FF));
    return 2;
}

std::u16string utf8_to_utf16(std::string_view valid_utf8)
{
    // Written in place: no sequence gives more code units than it has bytes.
    std::u16string out(valid_utf8.size(), u'\0');
    std::size_t written = 0;
    for (std::size_t i = 0; i < valid_utf8.size();) {
        written += write_utf16(next_code_point(valid_utf8, i), &out[written]);
    }
    out.resize(written);
    return out;
}

std::string utf16_to_utf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacementCharacter;
        }
        append_utf8(out, cp);
    }
    return out;
}

} // namespace orvanta
