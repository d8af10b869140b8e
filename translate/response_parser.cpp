#include "response_parser.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "unicode.h"

namespace orvanta {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool is_lead_byte(char c) noexcept { return static_cast<unsigned char>(c) >= 0x80; }

bool has_non_ascii(std::string_view text) noexcept
{
    return std::any_of(text.begin(), text.end(), is_lead_byte);
}

// Walks a JSON document in ANSI text just far enough to find the sentence segments; every step
// moves by whole characters of the double-byte code page.
class JsonScanner {
public:
    explicit JsonScanner(std::string_view text, std::size_t pos = 0) noexcept : text_(text), pos_(pos) {}

    bool at_end() const noexcept { return pos_ >= text_.size(); }
    char peek() const noexcept { return at_end() ? '\0' : text_[pos_]; }

    void skip_whitespace() noexcept
    {
        while (!at_end() && (peek() == ' ' || peek() == '\t' || peek() == '\r' || peek() == '\n')) ++pos_;
    }

    bool consume(char c) noexcept
    {
        skip_whitespace();
        if (peek() != c) return false;
        ++pos_;
        return true;
    }

    // At a quotation mark: the raw content up to the closing unescaped quotation mark.
    std::optional<std::string_view> string_content() noexcept
    {
        skip_whitespace();
        if (peek() != '"') return std::nullopt;
        const std::size_t begin = ++pos_;
        bool escaped = false;
        while (!at_end()) {
            const char c = text_[pos_];
            if (is_lead_byte(c)) {
                if (pos_ + 1 >= text_.size()) break;
                pos_ += 2;
                escaped = false;
                continue;
            }
            if (c == '"' && !escaped) {
                const std::string_view content = text_.substr(begin, pos_ - begin);
                ++pos_;
                return content;
            }
            escaped = c == '\\' && !escaped;
            ++pos_;
        }
        return std::nullopt;
    }

    // Any one value: a string, a scalar (number, true, false, null), or a list or object with
    // whatever they hold. Nesting is counted, not recursed, so no body can exhaust the stack.
    bool skip_value() noexcept
    {
        skip_whitespace();
        const char first = peek();
        if (first == '"') return string_content().has_value();
        if (first == '[' || first == '{') {
            std::size_t depth = 0;
            while (!at_end()) {
                const char c = peek();
                if (c == '"') {
                    if (!string_content()) return false;
                    continue;
                }
                if (c == '[' || c == '{') {
                    ++depth;
                } else if (c == ']' || c == '}') {
                    if (--depth == 0) {
                        ++pos_;
                        return true;
                    }
                }
                pos_ += is_lead_byte(c) ? 2 : 1;
            }
            return false;
        }
        const std::size_t begin = pos_;
        while (!at_end() && std::strchr(",]} \t\r\n", peek()) == nullptr) pos_ += is_lead_byte(peek()) ? 2 : 1;
        pos_ = std::min(pos_, text_.size());
        return pos_ > begin;
    }

private:
    std::string_view text_;
    std::size_t pos_;
};

// For a body of the shape [[["t1",...],["t2",...],...],...]: t1, t2, ... decoded and joined. A
// segment whose first element is not a string (the service's transliteration) adds nothing.
// Nothing when the body is not of that shape.
std::optional<std::string> joined_segments(std::string_view text, const AnsiCodec& codec)
{
    if (!text.starts_with("[[[\"")) return std::nullopt;
    JsonScanner scanner(text, 1);
    if (!scanner.consume('[')) return std::nullopt;
    std::string joined;
    do {
        if (!scanner.consume('[')) return std::nullopt;
        scanner.skip_whitespace();
        if (scanner.peek() == '"') {
            const auto content = scanner.string_content();
            if (!content) return std::nullopt;
            joined += decode_json_escapes(*content, codec);
        } else if (scanner.peek() != ']' && !scanner.skip_value()) {
            return std::nullopt;
        }
        while (!scanner.consume(']')) {
            if (!scanner.consume(',') || !scanner.skip_value()) return std::nullopt;
        }
    } while (scanner.consume(','));
    if (!scanner.consume(']')) return std::nullopt;
    return joined;
}

bool is_hex_digit(char c) noexcept
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char16_t hex_value(std::string_view four) noexcept
{
    unsigned value = 0;
    for (const char c : four) {
        value <<= 4;
        if (c >= '0' && c <= '9') value |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f') value |= static_cast<unsigned>(c - 'a' + 10);
        else value |= static_cast<unsigned>(c - 'A' + 10);
    }
    return static_cast<char16_t>(value);
}

// A \uXXXX escape at raw[i]; its code unit, or nothing when the four hex digits are missing.
std::optional<char16_t> unicode_escape_at(std::string_view raw, std::size_t i) noexcept
{
    if (raw.size() - i < 6 || raw[i] != '\\' || raw[i + 1] != 'u') return std::nullopt;
    const std::string_view digits = raw.substr(i + 2, 4);
    if (!std::all_of(digits.begin(), digits.end(), is_hex_digit)) return std::nullopt;
    return hex_value(digits);
}

// A run of \uXXXX escapes becomes one piece of UTF-16, so that surrogate pairs meet; lone
// surrogates become "?" and U+0000 is dropped (it would end the text in a control).
std::string decode_unicode_run(std::string_view raw, std::size_t& i, const AnsiCodec& codec)
{
    std::u16string units;
    while (const auto unit = unicode_escape_at(raw, i)) {
        units.push_back(*unit);
        i += 6;
    }
    std::u16string clean;
    clean.reserve(units.size());
    for (std::size_t k = 0; k < units.size(); ++k) {
        const char16_t u = units[k];
        if (u == 0) continue;
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 &&
            units[k + 1] <= 0xDFFF) {
            clean.push_back(u);
            clean.push_back(units[++k]);
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            clean.push_back(u'?');
        } else {
            clean.push_back(u);
        }
    }
    return codec.from_utf16(clean);
}

} // namespace

std::string_view response_text(std::string_view body) noexcept
{
    return body.substr(0, std::min(body.find('\0'), body.size()));
}

std::size_t find_marker(std::string_view text, std::string_view marker, std::size_t from) noexcept
{
    const std::size_t n = text.size();
    const std::size_t m = marker.size();
    if (m == 0 || n < m) return npos;
    std::size_t i = from;
    while (i <= n - m) {
        if (text.compare(i, m, marker) == 0) return i;
        if (is_lead_byte(text[i])) {
            if (i + 1 >= n) return npos;
            i += 2;
        } else {
            ++i;
        }
    }
    return npos;
}

std::size_t find_closing_marker(std::string_view text, std::size_t from) noexcept
{
    const std::size_t n = text.size();
    std::size_t backslashes = 0; // single-byte backslashes right before position i
    std::size_t i = from;
    while (n >= 2 && i <= n - 2) {
        const char c = text[i];
        if (c == '"' && text[i + 1] == ',' && backslashes % 2 == 0) return i;
        if (is_lead_byte(c)) {
            if (i + 1 >= n) return npos;
            i += 2;
            backslashes = 0;
        } else {
            backslashes = c == '\\' ? backslashes + 1 : 0;
            ++i;
        }
    }
    return npos;
}

std::string decode_json_escapes(std::string_view raw, const AnsiCodec& codec)
{
    std::string out;
    out.reserve(raw.size());
    std::size_t i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (is_lead_byte(c)) {
            const std::size_t length = std::min<std::size_t>(2, raw.size() - i);
            out.append(raw.substr(i, length));
            i += length;
            continue;
        }
        if (c != '\\' || i + 1 >= raw.size()) {
            out.push_back(c);
            ++i;
            continue;
        }
        const char escape = raw[i + 1];
        switch (escape) {
        case '"':
        case '\\':
        case '/': out.push_back(escape); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 't': out.push_back('\t'); break;
        case 'n': out.append("\r\n"); break;
        case 'r':
            // \r\n is one line break; the \n that follows writes it.
            if (raw.substr(i + 2, 2) != "\\n") out.push_back('\r');
            break;
        case 'u':
            if (unicode_escape_at(raw, i)) {
                out += decode_unicode_run(raw, i, codec);
                continue;
            }
            out.append(raw.substr(i, 2));
            break;
        default:
            // Not an escape JSON knows: kept as it came. A following lead byte is left to the walk.
            out.push_back(c);
            ++i;
            continue;
        }
        i += 2;
    }
    return out;
}

std::string extract_translation(std::string_view body, const AnsiCodec& codec)
{
    std::string_view text = response_text(body);
    std::string converted;
    if (has_non_ascii(text) && is_valid_utf8(text)) {
        converted = codec.from_utf16(utf8_to_utf16(text));
        text = converted;
    }

    if (auto joined = joined_segments(text, codec)) return std::move(*joined);

    const std::size_t opening = find_marker(text, kOpeningMarker);
    if (opening == npos) return {};
    const std::size_t closing = find_closing_marker(text, opening);
    const std::size_t begin = opening + kOpeningMarker.size();
    if (closing == npos || closing <= begin) return {};
    return decode_json_escapes(text.substr(begin, closing - begin), codec);
}

} // namespace orvanta
