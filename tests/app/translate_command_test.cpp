// The Translate command through a click of the real button, against the loopback fake service.
#include <gtest/gtest.h>

#include <string>

#include "main_window.h"
#include "fake_service.h"
#include "window_test_support.h"

namespace orvanta {
namespace {

using testing::FakeAnswer;
using testing::FakeService;
using testing::MainWindowSession;
using testing::json_answer;
using testing::window_text;

constexpr std::uint16_t kPort = ORVANTA_TEST_SERVICE_PORT;
const std::string kRequestStart = "GET /translate_a/t?client=t&text=";
const std::string kRequestEnd = "&slzh-CN&tl=en HTTP/1.1";
const std::string kHello = "\xC4\xE3\xBA\xC3"; // 你好 in GBK

class TranslateCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service_.listening()) << "port " << kPort << " is taken";
        ASSERT_NE(session_.window(), nullptr);
    }

    // A click as the button itself reports it to its parent.
    static void click_translate() { SendMessageA(control(Control::按钮1), BM_CLICK, 0, 0); }

    FakeService service_{kPort};
    MainWindowSession session_;
};

TEST_F(TranslateCommandTest, AnswerReplacesTheResultEachTime)
{
    write_text(Control::编辑框1, kHello);
    write_text(Control::编辑框2, "earlier result");
    const char* answers[] = {"Hello", "Hi there"};
    for (const char* answer : answers) {
        service_.answer_with(json_answer(std::string(R"([[[")") + answer + R"(",")" + kHello + R"("]]])"));
        click_translate();
        EXPECT_EQ(read_text(Control::编辑框2), answer);
    }
    EXPECT_EQ(read_text(Control::编辑框1), kHello) << "the source is left as it was";
    ASSERT_EQ(service_.request_lines().size(), 2u);
    for (const std::string& line : service_.request_lines())
        EXPECT_EQ(line, kRequestStart + "%E4%BD%A0%E5%A5%BD" + kRequestEnd);
}

TEST_F(TranslateCommandTest, SourceIsSentAsTheBoxHoldsIt)
{
    const struct {
        const char* source;
        const char* on_the_wire;
    } cases[] = {{" ", "%20"}, {"\r\n", "%0D%0A"}, {" a\nb ", "%20a%0Ab%20"}};
    service_.answer_with(json_answer(R"([[["ok","x"]]])"));
    for (const auto& [source, on_the_wire] : cases) {
        write_text(Control::编辑框1, source);
        click_translate();
        ASSERT_FALSE(service_.request_lines().empty());
        EXPECT_EQ(service_.request_lines().back(), kRequestStart + on_the_wire + kRequestEnd);
        EXPECT_EQ(read_text(Control::编辑框2), "ok");
    }
    EXPECT_EQ(service_.request_lines().size(), std::size(cases));
}

FakeAnswer failing(int status, FakeAnswer::Ending ending, std::string body)
{
    FakeAnswer answer = json_answer(std::move(body));
    answer.status = status;
    answer.reason = status == 200 ? "OK" : "Error";
    answer.ending = ending;
    return answer;
}

TEST_F(TranslateCommandTest, FailedRequestLeavesTheResultBoxEmpty)
{
    const struct {
        const char* what;
        FakeAnswer answer;
    } cases[] = {
        {"connection closed", failing(200, FakeAnswer::Ending::close_before_status, "")},
        {"server error", failing(500, FakeAnswer::Ending::complete, "<html>Internal Server Error</html>")},
        {"no markers", failing(200, FakeAnswer::Ending::complete, "<html>busy</html>")},
    };
    write_text(Control::编辑框1, kHello);
    for (const auto& [what, answer] : cases) {
        service_.answer_with(answer);
        write_text(Control::编辑框2, "earlier result");
        click_translate();
        EXPECT_EQ(read_text(Control::编辑框2), "") << what;
    }
    EXPECT_EQ(service_.request_lines().size(), std::size(cases));
}

// What the empty-source message box looked like while it was open.
struct SeenMessageBox {
    bool found = false;
    std::string title;
    std::string text;
    bool owned = true;
    bool icon_is_information = false;
    bool main_window_enabled = true;
    bool top_level = false;
};

SeenMessageBox g_seen;

BOOL CALLBACK inspect_and_close(HWND window, LPARAM)
{
    if (testing::class_name(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
    g_seen.found = true;
    g_seen.title = window_text(window);
    g_seen.text = window_text(GetDlgItem(window, 0xFFFF));
    g_seen.owned = GetWindow(window, GW_OWNER) != nullptr;
    g_seen.top_level = GetParent(window) == nullptr;
    const HWND icon = GetDlgItem(window, 1088);
    g_seen.icon_is_information =
        icon != nullptr && testing::class_name(icon) == "Static" &&
        reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)) == LoadIconA(nullptr, IDI_INFORMATION);
    g_seen.main_window_enabled = IsWindowEnabled(main_window()) != FALSE;
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

// Runs inside the message box's own loop, on this thread.
void CALLBACK look_for_message_box(HWND, UINT, UINT_PTR timer, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), inspect_and_close, 0);
    if (g_seen.found) KillTimer(nullptr, timer);
}

TEST_F(TranslateCommandTest, EmptySourceShowsTheMessageAndTouchesNeither)
{
    write_text(Control::编辑框1, "");
    write_text(Control::编辑框2, "earlier result");
    g_seen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, look_for_message_box);
    click_translate();
    KillTimer(nullptr, timer);

    ASSERT_TRUE(g_seen.found) << "no message box was shown";
    EXPECT_EQ(g_seen.text, "\xC7\xEB\xCC\xEE\xD0\xB4\xD3\xFB\xB7\xAD\xD2\xEB\xB5\xC4\xD6\xD0\xCE\xC4\xC4\xDA\xC8\xDD!")
        << "请填写欲翻译的中文内容! in GBK";
    EXPECT_EQ(g_seen.title, "");
    EXPECT_FALSE(g_seen.owned);
    EXPECT_TRUE(g_seen.top_level);
    EXPECT_TRUE(g_seen.icon_is_information);
    EXPECT_FALSE(g_seen.main_window_enabled) << "task-modal: the thread's windows wait for the box";
    EXPECT_TRUE(IsWindowEnabled(session_.window()));

    EXPECT_EQ(read_text(Control::编辑框1), "");
    EXPECT_EQ(read_text(Control::编辑框2), "earlier result");
    EXPECT_TRUE(service_.request_lines().empty());
}

} // namespace
} // namespace orvanta
