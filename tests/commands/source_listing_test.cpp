// The listing the program shows is its own code: each part is compared with the function as it
// stands in the source file now, so the listing cannot drift from the code unnoticed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "clipboard_test_support.h"
#include "source_listing.h"
#include "win32_handles.h"

namespace orvanta {
namespace {

struct Part {
    const char* file; // in the source tree
    const char* name;
};

// The order the listing gives them in: the Translate command and the client it calls, the
// window-created handler, the four commands of this folder and the hot key's handler.
constexpr Part kParts[] = {
    {"app/commands/translate_command.cpp", "_按钮1_被单击"},
    {"translate/translation_client.cpp", "翻译"},
    {"translate/translation_client.cpp", "http读文件_对象"},
    {"translate/http_request.cpp", "http_read_with_progid"},
    {"translate/http_request.cpp", "fetch_synchronously"},
    {"app/window_created.cpp", "__启动窗口_创建完毕"},
    {"app/commands/clipboard_commands.cpp", "_按钮2_被单击"},
    {"app/commands/clipboard_commands.cpp", "_按钮3_被单击"},
    {"app/commands/clipboard_commands.cpp", "_按钮4_被单击"},
    {"app/commands/clipboard_commands.cpp", "_按钮5_被单击"},
    {"app/hotkey/show_hide.cpp", "_标签1_反馈事件"},
};

std::string read_file(const std::string& path)
{
    const HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return {};
    const UniqueKernelHandle file(opened);
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
}

// The sources are UTF-8; the program's texts are in the ANSI code page.
std::string utf8_to_ansi(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int wide_length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                                static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wide_length);
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

std::vector<std::string> split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size())
        pieces.push_back(text.substr(start, end - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

// Braces of one line that count for the nesting: not those in literals or after a line comment.
int brace_balance(const std::string& line)
{
    int balance = 0;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            if (c == '\\') ++i;
            else if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;
        } else if (c == '{') {
            ++balance;
        } else if (c == '}') {
            --balance;
        }
    }
    return balance;
}

// The whole function that follows "// listing: NAME" in the file, each line ended by CR LF; empty
// when the file or the marker is missing.
std::string function_text(const Part& part)
{
    const std::string source =
        utf8_to_ansi(read_file(testing::windows_path(std::string(ORVANTA_SOURCE_DIR) + "/" + part.file)));
    const std::vector<std::string> lines = split(source, "\n");
    const std::string marker = std::string("// listing: ") + part.name;
    std::size_t line = 0;
    while (line < lines.size() && lines[line] != marker) ++line;
    std::string text;
    int depth = 0;
    bool opened = false;
    for (++line; line < lines.size(); ++line) {
        text += lines[line] + "\r\n";
        depth += brace_balance(lines[line]);
        opened = opened || depth > 0;
        if (opened && depth == 0) return text;
    }
    return {};
}

TEST(SourceListingTest, EveryLineEndsInCrLfAndTheLastLineIsEmpty)
{
    const std::string listing = 源码;
    ASSERT_GE(listing.size(), 4u);
    EXPECT_EQ(listing.substr(listing.size() - 4), "\r\n\r\n");
    std::vector<std::string> lines = split(listing, "\r\n");
    lines.pop_back(); // what follows the last CR LF: nothing, as checked above
    for (const std::string& line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a lone line break in: " << line;
}

TEST(SourceListingTest, HeaderThenEachFunctionAsItStandsInItsSourceFile)
{
    const std::string listing = 源码;
    const std::vector<std::string> lines = split(listing, "\r\n");
    ASSERT_GT(lines.size(), 4u);
    EXPECT_EQ(lines[0], "// Orvanta " ORVANTA_VERSION);
    for (const int library_line : {1, 2}) {
        const std::string& line = lines[static_cast<std::size_t>(library_line)];
        EXPECT_EQ(line.rfind("// 链接库: ", 0), 0u) << line;
        EXPECT_GT(line.size(), std::string("// 链接库: ").size()) << "names no library";
    }
    EXPECT_EQ(lines[3], "// 模块: orvanta.exe");

    // After the header: every part, each after an empty line, in this order, and the final empty line.
    std::string expected;
    for (const std::string& line : {lines[0], lines[1], lines[2], lines[3]}) expected += line + "\r\n";
    for (const Part& part : kParts) {
        const std::string function = function_text(part);
        ASSERT_FALSE(function.empty()) << part.file << ": no function marked " << part.name;
        EXPECT_NE(listing.find("\r\n\r\n" + function), std::string::npos)
            << part.name << " is missing from the listing or differs from " << part.file;
        expected += "\r\n" + function;
    }
    expected += "\r\n";
    EXPECT_EQ(listing, expected);
}

} // namespace
} // namespace orvanta
