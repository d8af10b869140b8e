// The paste, clear, copy and listing commands through clicks of the real buttons, on the real
// system clipboard (shared with every other program on the desktop: these tests run alone).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "clipboard_test_support.h"
#include "fake_service.h"
#include "main_window.h"
#include "source_listing.h"
#include "window_test_support.h"

namespace orvanta {
namespace {

using testing::ClipboardHolder;
using testing::clipboard_formats;
using testing::clipboard_text;
using testing::MainWindowSession;

const std::string kNotice = "还没有复制内容!";
// CR LF, a lone LF, an empty line and a trailing blank, all to arrive as they are.
const std::string kMultiLine = "第一行\r\n第二行\n单独的换行\r\n\r\n末尾 ";

class CommandWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(session_.window(), nullptr); }

    // A click as the button itself reports it to its parent.
    static void click(Control button) { SendMessageA(control(button), BM_CLICK, 0, 0); }

    MainWindowSession session_;
};

using PasteCommandTest = CommandWindowTest;
using CopyCommandTest = CommandWindowTest;
using ClearCommandTest = CommandWindowTest;
using ListingCommandTest = CommandWindowTest;

TEST_F(PasteCommandTest, ClipboardTextOrTheNoticeReplacesTheSource)
{
    const struct {
        const char* what;
        bool (*arrange)(std::unique_ptr<ClipboardHolder>&);
        std::string expected;
    } cases[] = {
        {"text with line breaks", [](auto&) { return testing::put_clipboard_text(kMultiLine); }, kMultiLine},
        {"nothing on the clipboard", [](auto&) { return testing::empty_clipboard(); }, kNotice},
        {"an empty text", [](auto&) { return testing::put_clipboard_text(""); }, kNotice},
        {"only a picture", [](auto&) { return testing::put_clipboard_bitmap(); }, kNotice},
        {"held open by another process, with a text on it",
         [](std::unique_ptr<ClipboardHolder>& holder) {
             holder = std::make_unique<ClipboardHolder>("held text");
             return holder->holding();
         },
         kNotice},
    };
    for (const auto& [what, arrange, expected] : cases) {
        write_text(Control::编辑框1, "earlier source");
        write_text(Control::编辑框2, "earlier result");
        std::unique_ptr<ClipboardHolder> holder;
        ASSERT_TRUE(arrange(holder)) << what << ": cannot set the clipboard up";
        click(Control::按钮2);
        EXPECT_EQ(read_text(Control::编辑框1), expected) << what;
        EXPECT_EQ(read_text(Control::编辑框2), "earlier result") << what;
        if (holder) {
            // The text was there all along: only the holding kept the command from it.
            ASSERT_TRUE(holder->release());
            click(Control::按钮2);
            EXPECT_EQ(read_text(Control::编辑框1), "held text") << what << ", once let go";
        }
    }
}

// Whether every format the clipboard offers is the text or one the system makes from it.
bool only_text_formats(const std::vector<UINT>& formats)
{
    for (const UINT format : formats)
        if (format != CF_TEXT && format != CF_OEMTEXT && format != CF_UNICODETEXT && format != CF_LOCALE) return false;
    return !formats.empty();
}

TEST_F(CopyCommandTest, ResultBecomesTheClipboardsOnlyContent)
{
    const char* results[] = {"译文 first line\r\n第二行\n", ""};
    for (const char* result : results) {
        ASSERT_TRUE(testing::put_clipboard_bitmap_and_text("what was there"));
        write_text(Control::编辑框2, result);
        click(Control::按钮4);
        EXPECT_EQ(clipboard_text(), result);
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP)) << "the picture that was there is gone";
        EXPECT_TRUE(only_text_formats(clipboard_formats())) << '"' << result << '"';
        EXPECT_EQ(read_text(Control::编辑框2), result);
    }
}

TEST_F(CopyCommandTest, ClipboardHeldByAnotherProcessIsLeftAsItWas)
{
    ASSERT_TRUE(testing::put_clipboard_text("what was there"));
    write_text(Control::编辑框2, "new result");
    ClipboardHolder holder;
    ASSERT_TRUE(holder.holding());
    click(Control::按钮4);
    ASSERT_TRUE(holder.release());
    EXPECT_EQ(clipboard_text(), "what was there");

    click(Control::按钮4);
    EXPECT_EQ(clipboard_text(), "new result") << "once let go, the clipboard is there to be had";
}

TEST_F(ClearCommandTest, EmptiesTheSourceAndLeavesTheResult)
{
    write_text(Control::编辑框1, "原文\r\nsecond line");
    write_text(Control::编辑框2, "译文");
    click(Control::按钮3);
    EXPECT_EQ(read_text(Control::编辑框1), "");
    EXPECT_EQ(read_text(Control::编辑框2), "译文");
}

TEST_F(ListingCommandTest, ListingReplacesTheResultAndLeavesTheSource)
{
    write_text(Control::编辑框1, "原文");
    write_text(Control::编辑框2, "earlier result");
    click(Control::按钮5);
    EXPECT_EQ(read_text(Control::编辑框2), 源码);
    EXPECT_EQ(read_text(Control::编辑框1), "原文");
}

class AfterTheListingTest : public CommandWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service_.listening()) << "port " << ORVANTA_TEST_SERVICE_PORT << " is taken";
        CommandWindowTest::SetUp();
    }

    testing::FakeService service_{ORVANTA_TEST_SERVICE_PORT};
};

TEST_F(AfterTheListingTest, CopyTakesTheListingAndTranslateReadsOnlyTheSource)
{
    write_text(Control::编辑框1, "\xC4\xE3\xBA\xC3"); // 你好
    click(Control::按钮5);
    click(Control::按钮4);
    EXPECT_EQ(clipboard_text(), 源码);

    service_.answer_with(testing::json_answer(R"([[["Hello","x"]]])"));
    click(Control::按钮1);
    ASSERT_EQ(service_.request_lines().size(), 1u);
    EXPECT_EQ(service_.request_lines()[0], "GET /translate_a/t?client=t&text=%E4%BD%A0%E5%A5%BD&slzh-CN&tl=en HTTP/1.1");
    EXPECT_EQ(read_text(Control::编辑框2), "Hello");
}

TEST_F(AfterTheListingTest, PastedNoticeIsTranslatedLikeAnySource)
{
    ASSERT_TRUE(testing::empty_clipboard());
    click(Control::按钮2);
    ASSERT_EQ(read_text(Control::编辑框1), kNotice);
    service_.answer_with(testing::json_answer(R"([[["Nothing copied yet!","x"]]])"));
    click(Control::按钮1);
    ASSERT_EQ(service_.request_lines().size(), 1u);
    EXPECT_EQ(service_.request_lines()[0],
              "GET /translate_a/t?client=t&text=%E8%BF%98%E6%B2%A1%E6%9C%89%E5%A4%8D%E5%88%B6%E5%86%85%E5%AE%B9%21"
              "&slzh-CN&tl=en HTTP/1.1");
}

} // namespace
} // namespace orvanta
