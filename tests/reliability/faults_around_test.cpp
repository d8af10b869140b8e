// Faults around the program: the clipboard and F4 in other hands, another copy running, and texts
// far larger or stranger than a user types. Each case is a row of the printed table; after each the
// program must still translate, and nothing it shows may pass for a translation that is not one.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "case_table.h"
#include "clipboard_test_support.h"
#include "fake_service.h"
#include "main_window.h"
#include "reliability_support.h"
#include "window_test_support.h"

namespace orvanta {
namespace {

using testing::CaseTable;
using testing::ClipboardHolder;
using testing::FakeService;
using testing::MainWindowSession;
using testing::click_ms;
using testing::json_answer;

constexpr std::uint16_t kPort = ORVANTA_TEST_SERVICE_PORT;
const std::string kHello = "\xC4\xE3\xBA\xC3"; // 你好
const std::string kNotice = "还没有复制内容!";
constexpr std::size_t kMegabyte = 1u << 20;

std::string ms(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f ms", value);
    return text;
}

// A text of whole repetitions of `piece`, as close to `size` bytes as they come without passing it.
std::string repeated(std::string_view piece, std::size_t size)
{
    std::string text;
    text.reserve(size);
    while (text.size() + piece.size() <= size) text += piece;
    return text;
}

BOOL CALLBACK count_visible(HWND window, LPARAM count)
{
    if (IsWindowVisible(window)) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The shown top-level windows of this thread: the main window alone, when nothing was reported.
int shown_windows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), count_visible, reinterpret_cast<LPARAM>(&count));
    return count;
}

class FaultsAroundTheProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service_.listening()) << "port " << kPort << " is taken"; }

    // The program goes on working: a translation after the case shows its answer.
    std::string translates_again()
    {
        write_text(Control::编辑框1, kHello);
        service_.answer_with(json_answer(R"([[["Hello again","x"]]])"));
        const double frozen = click_ms(Control::按钮1);
        EXPECT_EQ(read_text(Control::编辑框2), "Hello again") << "the next translation";
        return "next translation shown (" + ms(frozen) + ")";
    }

    // An answer of the service's shape carrying this translation (code page 936, lines ended by CR LF).
    void answer_with_translation(const std::string& translation)
    {
        std::string escaped;
        for (const char c : testing::utf8_from_gbk(translation)) {
            if (c == '\r') continue;
            if (c == '\n') escaped += "\\n";
            else escaped += c;
        }
        service_.answer_with(json_answer("[[[\"" + escaped + "\",\"x\"]]]"));
    }

    // The service answers with this translation; the result box must show exactly it.
    std::string shows_translation(const std::string& translation)
    {
        answer_with_translation(translation);
        write_text(Control::编辑框1, kHello);
        const double frozen = click_ms(Control::按钮1);
        EXPECT_TRUE(read_text(Control::编辑框2) == translation) << "the result box does not hold it";
        return std::to_string(translation.size()) + " bytes shown exactly (frozen " + ms(frozen) + "); " +
               translates_again();
    }

    FakeService service_{kPort};
};

TEST_F(FaultsAroundTheProgram, ClipboardHotKeyAndAnotherCopy)
{
    CaseTable table("Faults around the program: the clipboard, F4 and another copy");

    table.run("clipboard held open by another process",
              "another process opens the clipboard with \"held text\" on it; paste, then copy a result",
              [this] {
                  MainWindowSession session;
                  std::string held;
                  {
                      ClipboardHolder holder("held text");
                      EXPECT_TRUE(holder.holding());
                      write_text(Control::编辑框1, "source");
                      const double paste = click_ms(Control::按钮2);
                      EXPECT_EQ(read_text(Control::编辑框1), kNotice);
                      write_text(Control::编辑框2, "new result");
                      const double copy = click_ms(Control::按钮4);
                      EXPECT_TRUE(holder.release());
                      EXPECT_EQ(testing::clipboard_text(), "held text") << "copy must leave the clipboard as it was";
                      EXPECT_EQ(read_text(Control::编辑框2), "new result");
                      held = "paste showed the notice (" + ms(paste) + "), copy left the clipboard as it was (" +
                             ms(copy) + "); ";
                  }
                  return held + translates_again();
              });

    table.run("only a picture on the clipboard", "a bitmap and no text on the clipboard; paste", [this] {
        MainWindowSession session;
        EXPECT_TRUE(testing::put_clipboard_bitmap());
        write_text(Control::编辑框1, "source");
        const double paste = click_ms(Control::按钮2);
        EXPECT_EQ(read_text(Control::编辑框1), kNotice);
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP)) << "paste does not touch the clipboard";
        return "paste showed the notice (" + ms(paste) + "), the picture stayed; " + translates_again();
    });

    table.run("F4 held by another process",
              "another program registers plain F4 first; the window starts; F4 pressed on it", [this] {
                  testing::HotKeyHolder holder;
                  EXPECT_TRUE(holder.holding());
                  MainWindowSession session;
                  if (session.window() == nullptr) {
                      ADD_FAILURE() << "the window was not built";
                      return std::string("no window");
                  }
                  EXPECT_TRUE(IsWindowVisible(session.window()));
                  EXPECT_EQ(shown_windows(), 1) << "nothing but the window may show";
                  EXPECT_TRUE(testing::bring_to_foreground(session.window()));
                  testing::press_key(VK_F4);
                  EXPECT_TRUE(holder.pressed_within(5000)) << "F4 went to the program that holds it";
                  testing::pump_until([] { return false; }, 300);
                  EXPECT_TRUE(IsWindowVisible(session.window())) << "F4 must not reach the window";
                  const std::string next = translates_again();
                  EXPECT_TRUE(holder.release());
                  return "the window started without a word and stayed shown, F4 reached the other program; " + next;
              });

    table.run("a second copy running",
              "a first copy runs (and holds F4); a second window starts beside it; F4 pressed on the second",
              [this] {
                  testing::ProgramCopy first;
                  const HWND first_window = first.wait_for_window();
                  if (first_window == nullptr) {
                      ADD_FAILURE() << "the first copy's window did not appear";
                      return std::string("no first copy");
                  }
                  std::string held;
                  {
                      MainWindowSession second;
                      EXPECT_NE(second.window(), first_window);
                      EXPECT_TRUE(IsWindowVisible(second.window()));
                      EXPECT_EQ(shown_windows(), 1) << "nothing but the window may show";
                      EXPECT_TRUE(testing::bring_to_foreground(second.window()));
                      testing::press_key(VK_F4);
                      EXPECT_TRUE(testing::pump_until([first_window] { return !IsWindowVisible(first_window); }))
                          << "F4 toggles the copy that holds it";
                      EXPECT_TRUE(IsWindowVisible(second.window())) << "and not the second";
                      held = "both windows opened, the second without a word; F4 hid the first copy only; " +
                             translates_again();
                  }
                  EXPECT_EQ(first.close(first_window), std::optional<DWORD>(0)) << "the first copy ends normally";
                  return held + "; the first copy closed with exit code 0";
              });
}

TEST_F(FaultsAroundTheProgram, LargeAndUnusualTexts)
{
    CaseTable table("Faults around the program: large and unusual texts");
    MainWindowSession session;
    ASSERT_NE(session.window(), nullptr);

    table.run("a 1 MB source text", "1 MB of Chinese, ASCII and CR LF written into the source box; Translate", [this] {
        const std::string source = repeated("中文测试 text 123,\r\n", kMegabyte);
        write_text(Control::编辑框1, source);
        EXPECT_TRUE(read_text(Control::编辑框1) == source) << "the source box changed the text";
        const std::size_t requests_before = service_.request_lines().size();
        service_.answer_with(json_answer(R"([[["Long text","x"]]])"));
        const double frozen = click_ms(Control::按钮1);
        const std::string result = read_text(Control::编辑框2);
        EXPECT_TRUE(read_text(Control::编辑框1) == source) << "Translate changed the source";
        const auto lines = service_.request_lines();
        std::string held = std::to_string(source.size()) + " bytes kept exactly; ";
        if (lines.size() > requests_before) {
            const auto text = testing::text_parameter(lines.back());
            EXPECT_TRUE(text && testing::percent_decoded(*text) == testing::utf8_from_gbk(source))
                << "the query is not the UTF-8 of the source";
            EXPECT_EQ(result, "Long text");
            held += "a request of " + std::to_string(lines.back().size()) + " bytes reached the service, answer shown";
        } else {
            EXPECT_EQ(result, "") << "no request went out, so nothing may be shown";
            held += "no request reached the service, the result box stayed empty";
        }
        return held + " (frozen " + ms(frozen) + "); " + translates_again();
    });

    table.run("a 1 MB result",
              "the service answers with a translation of 1 MB (UTF-8, Chinese and ASCII, lines of 40 bytes)",
              [this] { return shows_translation(repeated("翻译结果 result text, more words.\r\n", kMegabyte)); });

    // Wine's text box wraps one long line again for every part it adds, so the time grows with the
    // square of the line's length: a box of this style and font took 0.7 s for 16 KB and 6.6 s for
    // 64 KB (WM_SETREDRAW off changes nothing). A 1 MB line would hold the window for many minutes.
    table.run("a 16 KB result in one line", "the service answers with 16 KB without a line break",
              [this] { return shows_translation(repeated("翻译结果 result text, ", 16u << 10)); });

    table.run("every byte value code page 936 allows",
              "every single byte 0x01-0x7F and 0x80-0xFF the code page takes alone, then every lead/trail pair "
              "it maps both ways, as one source; Translate",
              [this] {
                  std::string source;
                  int singles = 0;
                  int pairs = 0;
                  int refused = 0;
                  const auto maps_both_ways = [](const std::string& bytes) {
                      wchar_t wide[4] = {};
                      const int length = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(),
                                                             static_cast<int>(bytes.size()), wide, 4);
                      if (length != 1) return false;
                      char back[4] = {};
                      BOOL lossy = FALSE;
                      const int back_length = WideCharToMultiByte(936, 0, wide, 1, back, 4, nullptr, &lossy);
                      return !lossy && std::string(back, static_cast<std::size_t>(back_length)) == bytes;
                  };
                  for (int byte = 1; byte <= 0xFF; ++byte) {
                      if (IsDBCSLeadByteEx(936, static_cast<BYTE>(byte))) continue;
                      if (maps_both_ways(std::string(1, static_cast<char>(byte)))) {
                          source.push_back(static_cast<char>(byte));
                          ++singles;
                      }
                  }
                  for (int lead = 0x81; lead <= 0xFE; ++lead) {
                      for (int trail = 0x40; trail <= 0xFE; ++trail) {
                          const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
                          if (maps_both_ways(pair)) {
                              source += pair;
                              ++pairs;
                          } else {
                              ++refused;
                          }
                      }
                  }
                  write_text(Control::编辑框1, source);
                  EXPECT_TRUE(read_text(Control::编辑框1) == source) << "the source box changed the text";
                  const std::size_t requests_before = service_.request_lines().size();
                  service_.answer_with(json_answer(R"([[["Every character","x"]]])"));
                  const double frozen = click_ms(Control::按钮1);
                  const auto lines = service_.request_lines();
                  if (lines.size() != requests_before + 1) {
                      ADD_FAILURE() << "no request reached the service";
                      return std::string("no request");
                  }
                  const auto text = testing::text_parameter(lines.back());
                  EXPECT_TRUE(text.has_value());
                  if (text) {
                      EXPECT_EQ(text->find_first_of("&# "), std::string::npos) << "the query gained a raw & # or space";
                      EXPECT_TRUE(testing::percent_decoded(*text) == testing::utf8_from_gbk(source))
                          << "the query is not the UTF-8 of the source";
                  }
                  EXPECT_EQ(read_text(Control::编辑框2), "Every character");
                  return std::to_string(singles) + " single bytes and " + std::to_string(pairs) +
                         " pairs (" + std::to_string(refused) +
                         " pairs the code page does not map left out) kept exactly by the box and sent as their "
                         "UTF-8, " +
                         std::to_string(lines.back().size()) + " bytes of request line (frozen " + ms(frozen) + "); " +
                         translates_again();
              });
}

} // namespace
} // namespace orvanta
