#include "response_parser.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "unicode.h"

namespace orvanta {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool is_lead_byte(char c) noexcept { return static_cast<unsigned char>(c) >= 0x80; }

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

std::uint64_t word_at(const char* p) noexcept
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Bodies run to megabytes and are mostly ASCII: 32 bytes are tested at once, with no branch between
// their words, so that the compiler can keep the loop as wide as the machine allows.
bool has_non_ascii(std::string_view text) noexcept
{
    const char* p = text.data();
    std::size_t i = 0;
    for (; i + 32 <= text.size(); i += 32) {
        if ((word_at(p + i) | word_at(p + i + 8) | word_at(p + i + 16) | word_at(p + i + 24)) & kHighBits) return true;
    }
    return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), is_lead_byte);
}

// A lead byte of code page 936 starts a character of two bytes; 0x80, the euro sign, is one of its own.
bool starts_double_byte(unsigned char byte) noexcept { return byte >= 0x81 && byte <= 0xFE; }

// Bytes of the sequence a lead byte of valid UTF-8 starts.
std::size_t utf8_sequence_length(unsigned char lead) noexcept { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2; }

std::size_t code_page_characters(std::string_view ansi) noexcept
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < ansi.size(); ++count) {
        i += starts_double_byte(static_cast<unsigned char>(ansi[i])) && i + 1 < ansi.size() ? 2 : 1;
    }
    return count;
}

// How a text is walked. ANSI text goes by characters of the double-byte code page. In UTF-8 (and so
// in ASCII) no byte of a multi-byte character is below 0x80, so the markers, quotation marks and
// backslashes can be found byte by byte, with memchr.
enum class Walk { double_byte, bytes };

// Single-byte backslashes right before `at`, counted back no further than `floor`. Only for texts
// walked by bytes, where a backslash is never part of another character.
std::size_t backslashes_before(std::string_view text, std::size_t at, std::size_t floor) noexcept
{
    std::size_t count = 0;
    while (at - count > floor && text[at - count - 1] == '\\') ++count;
    return count;
}

// The next quotation mark at `from` or later that no odd run of backslashes (since `floor`) escapes.
std::size_t next_unescaped_quote(std::string_view text, std::size_t from, std::size_t floor) noexcept
{
    while (from < text.size()) {
        const void* found = std::memchr(text.data() + from, '"', text.size() - from);
        if (found == nullptr) return npos;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        if (backslashes_before(text, at, floor) % 2 == 0) return at;
        from = at + 1;
    }
    return npos;
}

// Walks a JSON document in ANSI text just far enough to find the sentence segments; every step
// moves by whole characters of the double-byte code page.
class JsonScanner {
public:
    JsonScanner(std::string_view text, Walk walk, std::size_t pos) noexcept : text_(text), walk_(walk), pos_(pos) {}

    bool at_end() const noexcept { return pos_ >= text_.size(); }
    char peek() const noexcept { return at_end() ? '\0' : text_[pos_]; }

    void skip_whitespace() noexcept
    {
        std::size_t at = pos_;
        while (at < text_.size() && is_whitespace(text_[at])) ++at;
        pos_ = at;
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
        if (walk_ == Walk::bytes) {
            const std::size_t end = next_unescaped_quote(text_, begin, begin);
            if (end == npos) return std::nullopt;
            pos_ = end + 1;
            return text_.substr(begin, end - begin);
        }
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
                pos_ += step(c);
            }
            return false;
        }
        // A local index, not the member, and no step that waits for the byte when walking by bytes:
        // either would chain the iterations one after another.
        const std::string_view text = text_;
        const std::size_t begin = pos_;
        std::size_t at = begin;
        if (walk_ == Walk::bytes) {
            while (at < text.size() && !ends_scalar(text[at])) ++at;
        } else {
            while (at < text.size() && !ends_scalar(text[at])) at += step(text[at]);
        }
        pos_ = std::min(at, text.size());
        return pos_ > begin;
    }

private:
    static bool is_whitespace(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    static bool ends_scalar(char c) noexcept { return c == ',' || c == ']' || c == '}' || is_whitespace(c); }

    std::size_t step(char c) const noexcept { return walk_ == Walk::double_byte && is_lead_byte(c) ? 2 : 1; }

    std::string_view text_;
    Walk walk_;
    std::size_t pos_;
};

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

// A run of \uXXXX escapes read as one piece of UTF-16, so that surrogate pairs meet; lone
// surrogates become "?" and U+0000 is dropped (it would end the text in a control).
std::u16string unicode_run(std::string_view raw, std::size_t& i)
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
    return clean;
}

// The escapes of a JSON string's raw content decoded; `write_units` turns a run of \uXXXX code
// units into text of the output's encoding (ANSI, or UTF-8 for a text walked by bytes).
// Appends to `out`, so that joined segments are written once, straight into the result.
template <typename WriteUnits>
void decode_escapes(std::string_view raw, Walk walk, WriteUnits write_units, std::string& out)
{
    std::size_t i = 0;
    while (i < raw.size()) {
        if (walk == Walk::bytes) {
            const void* found = std::memchr(raw.data() + i, '\\', raw.size() - i);
            const std::size_t at =
                found ? static_cast<std::size_t>(static_cast<const char*>(found) - raw.data()) : raw.size();
            out.append(raw.substr(i, at - i));
            i = at;
            if (i >= raw.size()) break;
        } else {
            const char c = raw[i];
            if (is_lead_byte(c)) {
                const std::size_t length = std::min<std::size_t>(2, raw.size() - i);
                out.append(raw.substr(i, length));
                i += length;
                continue;
            }
            if (c != '\\') {
                out.push_back(c);
                ++i;
                continue;
            }
        }
        // raw[i] is a backslash that is a character of its own.
        if (i + 1 >= raw.size()) {
            out.push_back('\\');
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
                out += write_units(unicode_run(raw, i));
                continue;
            }
            out.append(raw.substr(i, 2));
            break;
        default:
            // Not an escape JSON knows: kept as it came. A following lead byte is left to the walk.
            out.push_back('\\');
            ++i;
            continue;
        }
        i += 2;
    }
}

// For a body of the shape [[["t1",...],["t2",...],...],...]: t1, t2, ... decoded and joined. A
// segment whose first element is not a string (the service's transliteration) adds nothing.
// Nothing when the body is not of that shape.
template <typename Decode>
std::optional<std::string> joined_segments(std::string_view text, Walk walk, Decode decode)
{
    if (!text.starts_with("[[[\"")) return std::nullopt;
    JsonScanner scanner(text, walk, 1);
    if (!scanner.consume('[')) return std::nullopt;
    // Decoding never lengthens a text, so the body's size bounds the joined translations: one
    // allocation, no copying as they grow. Pages of it that are never written cost nothing.
    std::string joined;
    joined.reserve(text.size());
    do {
        if (!scanner.consume('[')) return std::nullopt;
        scanner.skip_whitespace();
        if (scanner.peek() == '"') {
            const auto content = scanner.string_content();
            if (!content) return std::nullopt;
            decode(*content, joined);
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

// The closing marker for a text walked by bytes: an unescaped quotation mark followed by a comma.
std::size_t find_closing_marker_by_bytes(std::string_view text, std::size_t from) noexcept
{
    for (std::size_t at = from;; ++at) {
        at = next_unescaped_quote(text, at, from);
        if (at == npos || at + 1 >= text.size()) return npos;
        if (text[at + 1] == ',') return at;
    }
}

// The segments joined, or the single cut between the markers, decoded.
template <typename Decode>
std::string cut_translation(std::string_view text, Walk walk, Decode decode)
{
    if (auto joined = joined_segments(text, walk, decode)) return std::move(*joined);

    const std::size_t opening =
        walk == Walk::bytes ? text.find(kOpeningMarker) : find_marker(text, kOpeningMarker);
    if (opening == npos) return {};
    const std::size_t closing = walk == Walk::bytes ? find_closing_marker_by_bytes(text, opening)
                                                    : find_closing_marker(text, opening);
    const std::size_t begin = opening + kOpeningMarker.size();
    if (closing == npos || closing <= begin) return {};
    std::string translation;
    translation.reserve(closing - begin);
    decode(text.substr(begin, closing - begin), translation);
    return translation;
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
    decode_escapes(raw, Walk::double_byte, [&](const std::u16string& units) { return codec.from_utf16(units); }, out);
    return out;
}

std::string utf8_to_ansi(std::string text, const AnsiCodec& codec)
{
    const std::size_t n = text.size();
    // The other characters, joined, for the one call of the codec. Grown by hand: sized for the
    // whole text it would cost a fresh allocation as large as the text on every call.
    std::u16string others;
    std::size_t units = 0;
    std::size_t characters = 0;
    for (std::size_t i = skip_ascii(text, 0); i < n; i = skip_ascii(text, i)) {
        if (others.size() < units + 2) others.resize(std::max<std::size_t>(32, 2 * others.size()));
        units += write_utf16(next_code_point(text, i), &others[units]);
        ++characters;
    }
    if (characters == 0) return text;
    others.resize(units);
    const std::string converted = codec.from_utf16(others);
    // Put back in place only if each character came back as one character of the code page, as a
    // stateless code page gives; otherwise the codec did something else and gets the whole text.
    if (code_page_characters(converted) != characters) return codec.from_utf16(utf8_to_utf16(text));

    // Rewritten in place: a character of two to four UTF-8 bytes becomes one or two bytes, so the
    // writing never overtakes the reading.
    char* out = text.data();
    std::size_t written = 0;
    std::size_t taken = 0;
    for (std::size_t i = 0; i < n;) {
        const std::size_t ascii_end = skip_ascii(text, i);
        std::memmove(out + written, out + i, ascii_end - i);
        written += ascii_end - i;
        // (The second test only keeps text that is not UTF-8 after all from reading past the end.)
        if (ascii_end == n || taken == converted.size()) break;
        i = ascii_end + utf8_sequence_length(static_cast<unsigned char>(out[ascii_end]));
        out[written++] = converted[taken++];
        if (starts_double_byte(static_cast<unsigned char>(converted[taken - 1])) && taken < converted.size()) {
            out[written++] = converted[taken++];
        }
    }
    text.resize(written);
    return text;
}

std::string extract_translation(std::string_view body, const AnsiCodec& codec)
{
    const std::string_view text = response_text(body);
    const bool ascii_body = !has_non_ascii(text);
    if (!ascii_body && !is_valid_utf8(text)) {
        return cut_translation(text, Walk::double_byte, [&](std::string_view raw, std::string& out) {
            decode_escapes(raw, Walk::double_byte, [&](const std::u16string& units) { return codec.from_utf16(units); },
                           out);
        });
    }
    // UTF-8 (ASCII included): cut and decode in UTF-8, then bring only the result into the code page.
    bool escapes_non_ascii = false;
    std::string translation = cut_translation(text, Walk::bytes, [&](std::string_view raw, std::string& out) {
        decode_escapes(
            raw, Walk::bytes,
            [&](const std::u16string& units) {
                escapes_non_ascii = escapes_non_ascii || std::any_of(units.begin(), units.end(),
                                                                     [](char16_t unit) { return unit >= 0x80; });
                return utf16_to_utf8(units);
            },
            out);
    });
    // From an ASCII body only a \u escape can bring in another character.
    if ((ascii_body && !escapes_non_ascii) || !has_non_ascii(translation)) return translation;
    return utf8_to_ansi(std::move(translation), codec);
}

} // namespace orvanta
