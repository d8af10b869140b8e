// The source text travels as UTF-8, percent-encoded, so no character of it can change the query.
#include <gtest/gtest.h>

#include "test_codec.h"
#include "unicode.h"
#include "url_encoding.h"

namespace orvanta {
namespace {

struct EncodeCase {
    const char* name;
    std::string ansi;
    std::string encoded;
};

class QueryTextTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(QueryTextTest, IsUtf8PercentEncoded)
{
    const std::string url = build_request_url("http://host:1", GetParam().ansi, testing::test_codec());
    EXPECT_EQ(url, "http://host:1/translate_a/t?client=t&text=" + GetParam().encoded + "&slzh-CN&tl=en");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, QueryTextTest,
    ::testing::Values(EncodeCase{"chinese", "你好", "%E4%BD%A0%E5%A5%BD"},
                      EncodeCase{"single_space", " ", "%20"},
                      EncodeCase{"query_characters", "a&b#c+d%e=f?g/h", "a%26b%23c%2Bd%25e%3Df%3Fg%2Fh"},
                      EncodeCase{"line_breaks", "\r\n\n", "%0D%0A%0A"},
                      EncodeCase{"unreserved_kept", "AZaz09-._~", "AZaz09-._~"},
                      EncodeCase{"mixed", "中 文\r\n&", "%E4%B8%AD%20%E6%96%87%0D%0A%26"},
                      EncodeCase{"full_width_punctuation", "，。！", "%EF%BC%8C%E3%80%82%EF%BC%81"},
                      EncodeCase{"empty", "", ""}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(PercentEncode, EveryByteValueRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string encoded = percent_encode(all);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%') {
            decoded.push_back(static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            decoded.push_back(encoded[i]);
        }
    }
    EXPECT_EQ(decoded, all);
    EXPECT_EQ(encoded.find_first_of("&# +\r\n"), std::string::npos);
}

TEST(Utf8, ValidityIsStrict)
{
    const std::pair<std::string, bool> cases[] = {
        {"plain", true},
        {"\xE4\xBD\xA0", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xC0\x80", false},             // overlong
        {"\xE0\x80\x80", false},         // overlong
        {"\xED\xA0\x80", false},         // surrogate
        {"\xF4\x90\x80\x80", false},     // above U+10FFFF
        {"\xE4\xBD", false},             // cut short
        {"\xBD", false},                 // stray continuation
        {"\xC4\xE3\xBA\xC3", false},     // GBK
        // The same faults after a valid character of the same run, and after whole words of ASCII.
        {"\xE4\xBD\xA0\xBD", false},
        {"\xE4\xBD\xA0\xE4\xBD", false},
        {"\xE4\xBD\xA0\xED\xA0\x80", false},
        {"12345678\xE4\xBD\xA0\xC0\x80", false},
        {"1234567\xE4\xBD", false},
        {"12345678\xE4\xBD\xA0x\xF0\x9F\x98\x80", true},
    };
    for (const auto& [bytes, valid] : cases) EXPECT_EQ(is_valid_utf8(bytes), valid) << ::testing::PrintToString(bytes);
}

TEST(Utf8, ConvertsBothWays)
{
    const std::string text = "a\xC3\xA9\xE4\xBD\xA0\xF0\x9F\x98\x80";
    EXPECT_EQ(utf8_to_utf16(text), (std::u16string{u'a', 0xE9, 0x4F60, 0xD83D, 0xDE00}));
    EXPECT_EQ(utf16_to_utf8(utf8_to_utf16(text)), text);
    EXPECT_EQ(utf16_to_utf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
}

} // namespace
} // namespace orvanta
