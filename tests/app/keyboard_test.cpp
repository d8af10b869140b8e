// Real key presses (SendInput) reaching the window through the program's message loop step.
// These need the keyboard focus and the foreground, so CTest runs them on their own.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fake_service.h"
#include "source_listing.h"
#include "win32_handles.h"
#include "window_test_support.h"

namespace orvanta {
namespace {

using testing::FakeService;
using testing::MainWindowSession;
using testing::bring_to_foreground;
using testing::json_answer;
using testing::press_key;
using testing::pump_until;

constexpr std::uint16_t kPort = ORVANTA_TEST_SERVICE_PORT;

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(session_.window(), nullptr);
        ASSERT_TRUE(bring_to_foreground(session_.window()));
        ASSERT_TRUE(pump_until([] { return GetFocus() == control(Control::按钮1); }));
        clicks_.clear();
        previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(session_.window(), GWLP_WNDPROC,
                                                                reinterpret_cast<LONG_PTR>(&counting_procedure)));
    }

    // Presses a key and waits until the focus is where it should then be.
    static void press_expecting_focus(WORD key, bool shift, Control expected)
    {
        press_key(key, shift);
        EXPECT_TRUE(pump_until([expected] { return GetFocus() == control(expected); }))
            << "focus expected on control " << static_cast<int>(expected) << ", is on "
            << static_cast<int>(control_from_window(GetFocus()).value_or(Control::标签1));
    }

    static void focus(Control which)
    {
        SetFocus(control(which));
        ASSERT_EQ(GetFocus(), control(which));
    }

    // Counts the buttons' click notifications on their way to the main window's handlers.
    static LRESULT CALLBACK counting_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) ++clicks_[reinterpret_cast<HWND>(lparam)];
        return CallWindowProcA(previous_, window, message, wparam, lparam);
    }

    static inline WNDPROC previous_ = nullptr;
    static inline std::map<HWND, int> clicks_;
    MainWindowSession session_;
};

const std::vector<Control> kTabOrder = {Control::编辑框1, Control::编辑框2, Control::按钮2, Control::按钮3,
                                        Control::按钮4,   Control::按钮5,   Control::按钮1};

TEST_F(KeyboardTest, TabCyclesForwardAndShiftTabBackward)
{
    // Round once forwards from 按钮1 and once backwards, each ending where it started.
    for (const Control next : kTabOrder) press_expecting_focus(VK_TAB, false, next);
    for (auto next = kTabOrder.rbegin() + 1; next != kTabOrder.rend(); ++next)
        press_expecting_focus(VK_TAB, true, *next);
    press_expecting_focus(VK_TAB, true, Control::按钮1);
    // Tab passed through both boxes and typed nothing into them.
    EXPECT_EQ(read_text(Control::编辑框1), "");
    EXPECT_EQ(read_text(Control::编辑框2), "");
}

TEST_F(KeyboardTest, TabSkipsHiddenAndDisabledControls)
{
    EnableWindow(control(Control::按钮2), FALSE);
    ShowWindow(control(Control::按钮4), SW_HIDE);
    focus(Control::编辑框2);
    press_expecting_focus(VK_TAB, false, Control::按钮3);
    press_expecting_focus(VK_TAB, false, Control::按钮5);
    press_expecting_focus(VK_TAB, true, Control::按钮3);
    press_expecting_focus(VK_TAB, true, Control::编辑框2);
}

TEST_F(KeyboardTest, EnterBreaksTheLineInATextBox)
{
    for (const Control box : {Control::编辑框1, Control::编辑框2}) {
        focus(box);
        press_key('A');
        press_key(VK_RETURN);
        press_key('B');
        EXPECT_TRUE(pump_until([box] { return read_text(box) == "a\r\nb"; })) << '"' << read_text(box) << '"';
    }
}

TEST_F(KeyboardTest, EnterOnAButtonDoesNothingAndSpacePressesIt)
{
    FakeService service{kPort};
    ASSERT_TRUE(service.listening());
    service.answer_with(json_answer(R"([[["Hello","x"]]])"));
    write_text(Control::编辑框1, "\xC4\xE3\xBA\xC3");
    for (const Control button : {Control::按钮1, Control::按钮2, Control::按钮3, Control::按钮4, Control::按钮5}) {
        SCOPED_TRACE(static_cast<int>(button));
        focus(button);
        press_key(VK_RETURN);
        // Keys arrive in order: once the Tab after it has moved the focus, Enter has been handled.
        press_key(VK_TAB);
        EXPECT_TRUE(pump_until([button] { return GetFocus() != control(button); }));
        EXPECT_EQ(clicks_[control(button)], 0);

        focus(button);
        press_key(VK_SPACE);
        EXPECT_TRUE(pump_until([button] { return clicks_[control(button)] == 1; }));
    }
    // Space on 按钮1 ran the Translate command, Enter did not; Space on 按钮5, the last one, the listing.
    EXPECT_EQ(service.request_lines().size(), 1u);
    EXPECT_EQ(read_text(Control::编辑框2), 源码);
}

TEST(KeyboardEscTest, ClosesTheWindowFromAnyControl)
{
    for (const Control where : {Control::按钮1, Control::编辑框1, Control::编辑框2, Control::按钮3, Control::按钮5}) {
        SCOPED_TRACE(static_cast<int>(where));
        MainWindowSession session;
        ASSERT_NE(session.window(), nullptr);
        ASSERT_TRUE(bring_to_foreground(session.window()));
        SetFocus(control(where));
        ASSERT_EQ(GetFocus(), control(where));
        write_text(Control::编辑框1, "unsaved text");
        press_key(VK_ESCAPE);
        EXPECT_TRUE(pump_until([&session] { return !IsWindow(session.window()); }));
        EXPECT_TRUE(pump_until([] { return testing::quit_seen().seen; }));
        EXPECT_EQ(testing::quit_seen().code, 0u);
    }
}

TEST_F(KeyboardTest, FocusComesBackWhenTheWindowIsActivatedAgain)
{
    focus(Control::编辑框2);
    UniqueWindow other = testing::make_plain_top_level_window();
    ASSERT_TRUE(other);
    ShowWindow(other.get(), SW_SHOW);
    ASSERT_TRUE(bring_to_foreground(other.get()));
    ASSERT_NE(GetFocus(), control(Control::编辑框2));
    ASSERT_TRUE(bring_to_foreground(session_.window()));
    EXPECT_TRUE(pump_until([] { return GetFocus() == control(Control::编辑框2); }));
}

} // namespace
} // namespace orvanta
