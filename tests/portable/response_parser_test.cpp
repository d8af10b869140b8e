// The cut of the translation out of the response body, on bodies shaped like the service's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "response_parser.h"
#include "test_codec.h"
#include "unicode.h"

namespace orvanta {
namespace {

using testing::test_codec;

std::string utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

std::string extract(std::string_view body) { return extract_translation(body, test_codec()); }

struct CutCase {
    const char* name;
    std::string body;
    std::string expected;
};

class CutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutTest, GivesTheTranslation) { EXPECT_EQ(extract(GetParam().body), GetParam().expected); }

// Literals are GBK (the tests are compiled with the program's execution character set).
INSTANTIATE_TEST_SUITE_P(
    Bodies, CutTest,
    ::testing::Values(
        CutCase{"innermost_bracket_opens", R"([[["Hello",)", "Hello"},
        CutCase{"markers_adjacent", R"(["",)", ""},
        CutCase{"opening_marker_reused_as_closing", R"([",x",)", ""},
        CutCase{"first_of_several_quoted_strings", R"(["one","two","three"])", "one"},
        CutCase{"no_opening_marker_is_no_translation", R"(Hello",)", ""},
        CutCase{"no_closing_marker_after_opening", R"(abc",x["Hello"])", ""},
        CutCase{"no_markers_at_all", "<html>Too many requests</html>", ""},
        CutCase{"empty_body", "", ""},
        CutCase{"zero_byte_before_markers", std::string("ab\0[\"x\",", 8), ""},
        CutCase{"bytes_after_zero_never_searched", std::string("[\"x\0\",", 6), ""},
        CutCase{"zero_byte_after_the_cut", std::string("[\"x\",\0[\"y\",", 11), "x"},
        CutCase{"lead_byte_hides_closing_quote", "[\"\xB0\",abc\",", "\xB0\",abc"},
        CutCase{"lead_byte_hides_opening_bracket", "\x81[\"no\",[\"yes\",", "yes"},
        CutCase{"lead_byte_at_the_very_end", "[\"abc\x81", ""},
        CutCase{"escaped_quote_does_not_close", R"(["say \"hi\", ok","x"])", "say \"hi\", ok"},
        CutCase{"escaped_backslash_then_quote_closes", R"(["a\\","b"])", "a\\"},
        CutCase{"line_breaks_decoded", R"(["one\ntwo\r\nthree",)", "one\r\ntwo\r\nthree"},
        CutCase{"unicode_escape_decoded", R"(["\u4f60\u597d",)", "你好"},
        CutCase{"gbk_body_kept_as_it_is", "[\"你好\",", "你好"},
        CutCase{"gbk_trail_backslash_does_not_escape", "[\"\x81\x5C\",\"x\"]", "\x81\x5C"},
        CutCase{"utf8_body_converted", utf8(u8R"([[["Hello “world”","你好"]]])"), "Hello “world”"},
        CutCase{"utf8_curly_quote_before_closing", utf8(u8R"(["He said “hi”",)"), "He said “hi”"},
        CutCase{"utf8_character_missing_from_code_page", utf8(u8R"(["xกy",)"), "x?y"},
        CutCase{"invalid_utf8_kept_as_bytes", "[\"\xC3(\",", "\xC3("},
        CutCase{"one_segment", R"([[["Hello","你好",null,null,10]],null,"zh-CN"])", "Hello"},
        CutCase{"several_segments_joined",
                R"([[["Hello. ","你好。",null,null,3,null,null,[[]],[[["a"],1]]],["How are you?","你好吗？",null,null,3]],null,"zh-CN",null,null,null,1,[],[["zh-CN"],null,[1],["zh-CN"]]])",
                "Hello. How are you?"},
        CutCase{"transliteration_segment_adds_nothing",
                R"([[["Hello","你好",null,null,10],[null,null,"Ni hao","Nǐ hǎo"]],null,"zh-CN"])", "Hello"},
        CutCase{"segments_decoded_one_by_one", R"([[["a\"b","x"],["\u4e2d\n","y"]]])", "a\"b中\r\n"},
        CutCase{"segment_with_quote_and_comma_inside", R"([[["x\", y","z"],["!","w"]]])", "x\", y!"},
        CutCase{"truncated_segments_fall_back_to_the_cut", R"([[["one","a"],["two")", "one"},
        CutCase{"segment_list_of_other_shape_falls_back", R"([[["one","a"],"two"]])", "one"},
        CutCase{"deep_nesting_is_no_trouble", "[[[\"x\",[" + std::string(100000, '[') + "]]]", "x"}),
    [](const auto& test) { return std::string(test.param.name); });

struct EscapeCase {
    const char* name;
    std::string raw;
    std::string expected;
};

class EscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTest, Decodes) { EXPECT_EQ(decode_json_escapes(GetParam().raw, test_codec()), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Escapes, EscapeTest,
    ::testing::Values(EscapeCase{"quote", R"(\")", "\""}, EscapeCase{"backslash", R"(\\)", "\\"},
                      EscapeCase{"slash", R"(\/)", "/"}, EscapeCase{"backspace", R"(\b)", "\b"},
                      EscapeCase{"form_feed", R"(\f)", "\f"}, EscapeCase{"tab", R"(\t)", "\t"},
                      EscapeCase{"newline_is_crlf", R"(a\nb)", "a\r\nb"},
                      EscapeCase{"cr_before_newline_dropped", R"(a\r\nb)", "a\r\nb"},
                      EscapeCase{"lone_cr_kept", R"(a\rb)", "a\rb"},
                      EscapeCase{"bmp_character", R"(\u00e9\u4E2D)", "é中"},
                      EscapeCase{"ascii_by_escape", R"(\u0041\u0042)", "AB"},
                      EscapeCase{"nul_dropped", R"(a\u0000b)", "ab"},
                      EscapeCase{"lone_high_surrogate", R"(\ud83dx)", "?x"},
                      EscapeCase{"lone_low_surrogate", R"(\ude00)", "?"},
                      EscapeCase{"short_unicode_escape_kept", R"(\u12)", R"(\u12)"},
                      EscapeCase{"non_hex_unicode_escape_kept", R"(\uzzzz)", R"(\uzzzz)"},
                      EscapeCase{"unknown_escape_kept", R"(\x41)", R"(\x41)"},
                      EscapeCase{"trailing_backslash_kept", R"(a\)", R"(a\)"},
                      EscapeCase{"gbk_trail_backslash_is_no_escape", "\x81\x5Cn", "\x81\x5Cn"},
                      EscapeCase{"backslash_before_gbk_character", "\\中", "\\中"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(MarkerSearch, WalksByCharactersOfTheCodePage)
{
    // 0x81 0x5B is one character whose second byte is "[": no match may start there.
    EXPECT_EQ(find_marker("\x81[\"", kOpeningMarker), std::string_view::npos);
    EXPECT_EQ(find_marker("a\x81[\"[\"", kOpeningMarker), 4u);
    EXPECT_EQ(find_marker("[\"", kOpeningMarker), 0u);
    EXPECT_EQ(find_marker("[", kOpeningMarker), std::string_view::npos);
    EXPECT_EQ(find_marker("x\",y\",", kClosingMarker, 2), 4u);
}

TEST(MarkerSearch, ClosingQuoteEscapedOnlyByAnOddRunOfBackslashes)
{
    EXPECT_EQ(find_closing_marker(R"(a\",b",)", 0), 5u);
    EXPECT_EQ(find_closing_marker(R"(a\\",)", 0), 3u);
    EXPECT_EQ(find_closing_marker(R"(a\\\",b",)", 0), 7u);
    // A backslash that is the second byte of a character escapes nothing.
    EXPECT_EQ(find_closing_marker("\x81\\\",", 0), 2u);
}

TEST(ResponseText, EndsAtTheFirstZeroByte)
{
    EXPECT_EQ(response_text(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(response_text("abc"), "abc");
    EXPECT_EQ(response_text(std::string_view("\0", 1)), "");
}

TEST(LongAsciiRuns, ALeadByteAnywhereAfterThemMakesTheBodyAnsi)
{
    // The checks for non-ASCII and for UTF-8 pass ASCII several bytes at a time; a lead byte that
    // hides the closing quote must be seen wherever it falls among those blocks and their tail.
    for (const std::size_t padding : {0u, 5u, 7u, 8u, 9u, 22u, 29u, 31u, 32u, 33u, 40u, 64u, 100u}) {
        const std::string ascii(padding, 'a');
        EXPECT_EQ(extract("[\"" + ascii + "\xB0\",abc\","), ascii + "\xB0\",abc") << padding;
    }
}

struct CountingCodec final : AnsiCodec {
    std::u16string to_utf16(std::string_view ansi) const override { return test_codec().to_utf16(ansi); }
    std::string from_utf16(std::u16string_view utf16) const override
    {
        ++calls;
        return test_codec().from_utf16(utf16);
    }
    mutable int calls = 0;
};

// Writes every code unit as a tag of ASCII, several bytes and no character of the code page each.
struct TaggingCodec final : AnsiCodec {
    std::u16string to_utf16(std::string_view) const override { return {}; }
    std::string from_utf16(std::u16string_view utf16) const override
    {
        std::string out;
        for (const char16_t unit : utf16) {
            out += unit < 0x80 ? std::string(1, static_cast<char>(unit)) : "<" + std::to_string(unit) + ">";
        }
        return out;
    }
};

TEST(Utf8ToAnsi, SameAsConvertingTheWholeTextInOneCall)
{
    const std::vector<std::string> texts = {
        "", "plain ASCII only", utf8(u8"é"), utf8(u8"a “b” c"), utf8(u8"€5 and 5€"), utf8(u8"x😀y"),
        utf8(u8"xกy"), utf8(u8"你好世界"), utf8(u8"12345678é12345678“"), utf8(u8"😀😀 ok 你"),
        utf8(u8"Hello. 你好。 Done é") + std::string(70, 'z') + utf8(u8"”"),
    };
    const CountingCodec counting;
    const TaggingCodec tagging;
    for (const std::string& text : texts) {
        counting.calls = 0;
        EXPECT_EQ(utf8_to_ansi(text, counting), test_codec().from_utf16(utf8_to_utf16(text))) << text;
        // One call, unless a surrogate pair came back as two characters (the platform's "??").
        const bool supplementary = text.find_first_of("\xF0\xF1\xF2\xF3\xF4") != std::string::npos;
        if (!supplementary) {
            EXPECT_LE(counting.calls, 1) << text;
        }
        // A codec that does not give one character of the code page for each still gets its due.
        EXPECT_EQ(utf8_to_ansi(text, tagging), tagging.from_utf16(utf8_to_utf16(text))) << text;
    }
    // The euro sign is 0x80, one byte: it must not pair with the character after it.
    EXPECT_EQ(utf8_to_ansi(utf8(u8"€你"), test_codec()), "\x80你");
}

TEST(LargeBodies, SeveralMegabytesOfSegmentsAreJoinedWhole)
{
    std::string body = "[[";
    std::string expected;
    for (int i = 0; i < 200000; ++i) {
        const std::string piece = "Sentence " + std::to_string(i) + ". ";
        body += (i == 0 ? "[\"" : ",[\"") + piece + "\",\"句子。\",null,null,3]";
        expected += piece;
    }
    body += "],null,\"zh-CN\"]";
    ASSERT_GT(body.size(), 5u << 20);
    EXPECT_EQ(extract(body), expected);
}

TEST(LargeBodies, ASingleLongCut)
{
    const std::string text(8u << 20, 'x');
    EXPECT_EQ(extract("[\"" + text + "\",\"\"]"), text);
}

} // namespace
} // namespace orvanta
