// F4 on the program's real window, built in this process as start-up builds it: WM_HOTKEY reaching
// the main window, the label's feedback notification it turns into, and the toggle that follows.
// The tests that press real keys go through the system's own hot key matching (SendInput), which
// also covers the press that has to bring a hidden window back.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <windows.h>

#include "fake_service.h"
#include "hot_key.h"
#include "main_window.h"
#include "window_test_support.h"

namespace orvanta {
namespace {

using testing::FakeService;
using testing::MainWindowSession;
using testing::bring_to_foreground;
using testing::pump_until;
using testing::press_key;
using testing::press_key_with;

constexpr std::uint16_t kPort = ORVANTA_TEST_SERVICE_PORT;
constexpr WPARAM kF4Identifier = 33001;

// What the label is told, caught by subclassing it in front of the program's own procedure.
struct Notification {
    WPARAM w_param;
    LPARAM l_param;
    LRESULT result;
};
std::vector<Notification> g_notifications;
WNDPROC g_label_procedure = nullptr;

LRESULT CALLBACK label_spy(HWND window, UINT message, WPARAM w_param, LPARAM l_param)
{
    const LRESULT result = CallWindowProcA(g_label_procedure, window, message, w_param, l_param);
    if (message == hotkey::kFeedbackMessage) g_notifications.push_back({w_param, l_param, result});
    return result;
}

RECT rect_of(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

bool same_rect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class ShowHideTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(window_, nullptr);
        g_notifications.clear();
        label_ = control(Control::标签1);
        g_label_procedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(label_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&label_spy)));
    }
    void TearDown() override
    {
        if (IsWindow(label_)) SetWindowLongPtrA(label_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_label_procedure));
    }

    void send_hot_key(WPARAM identifier) const
    {
        SendMessageA(window_, WM_HOTKEY, identifier, MAKELPARAM(0, VK_F4));
    }

    MainWindowSession session_;
    HWND window_ = session_.window();
    HWND label_ = nullptr;
};

// Every test builds a fresh main window in the same process, so each of these also checks that the
// window built after an earlier one was destroyed is wrapped as well.
TEST_F(ShowHideTest, F4IdentifierHidesAndShowsAtTheSamePlaceAndSize)
{
    ASSERT_TRUE(IsWindowVisible(window_));
    const RECT before = rect_of(window_);

    send_hot_key(kF4Identifier);
    EXPECT_FALSE(IsWindowVisible(window_));
    send_hot_key(kF4Identifier);
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_TRUE(same_rect(rect_of(window_), before));

    // The label hears the identifier and 0 (not the key state WM_HOTKEY carried), and answers 0.
    ASSERT_EQ(g_notifications.size(), 2u);
    for (const Notification& notification : g_notifications) {
        EXPECT_EQ(notification.w_param, kF4Identifier);
        EXPECT_EQ(notification.l_param, 0);
        EXPECT_EQ(notification.result, 0);
    }
}

TEST_F(ShowHideTest, IdentifiersOutsideTheIssuedRangeLeaveTheWindowAlone)
{
    const auto last = static_cast<WPARAM>(hotkey::last_identifier());
    for (const WPARAM identifier : {WPARAM{0}, WPARAM{hotkey::kIdentifierBase}, last + 1, WPARAM{0xBFFF}}) {
        send_hot_key(identifier);
        EXPECT_TRUE(IsWindowVisible(window_)) << identifier;
    }
    EXPECT_TRUE(g_notifications.empty());
}

TEST_F(ShowHideTest, MinimisedWindowIsHiddenAndComesBackStillMinimised)
{
    ShowWindow(window_, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window_));
    ASSERT_TRUE(IsWindowVisible(window_)) << "a minimised window counts as visible";

    send_hot_key(kF4Identifier);
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_TRUE(IsIconic(window_));

    send_hot_key(kF4Identifier);
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_TRUE(IsIconic(window_)) << "showing must not restore it";
}

// A window of the test's own that registers a hot key nobody else uses. Its WM_HOTKEY is queued by
// the same matching as F4's, in the order of the presses, so once it has come every earlier press
// has been matched and its WM_HOTKEY (if any) dispatched.
class Sentinel {
public:
    static constexpr int kIdentifier = 0x3A11;

    Sentinel()
    {
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = procedure;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "OrvantaHotKeySentinel";
        RegisterClassA(&window_class);
        window_.reset(CreateWindowExA(0, window_class.lpszClassName, "sentinel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                      200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        registered_ = RegisterHotKey(window_.get(), kIdentifier, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F9) != FALSE;
        seen_ = false;
    }
    Sentinel(const Sentinel&) = delete;
    Sentinel& operator=(const Sentinel&) = delete;
    ~Sentinel()
    {
        if (registered_) UnregisterHotKey(window_.get(), kIdentifier);
    }

    HWND window() const noexcept { return window_.get(); }
    bool registered() const noexcept { return registered_; }

    // Presses the sentinel key and waits until its WM_HOTKEY has been dispatched.
    bool press_and_wait()
    {
        seen_ = false;
        press_key_with(VK_F9, {VK_CONTROL, VK_MENU, VK_SHIFT});
        return pump_until([] { return seen_; }, 10000);
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w_param, LPARAM l_param)
    {
        if (message == WM_HOTKEY && w_param == kIdentifier) seen_ = true;
        // Alt+F4 pressed on this window must not end it in the middle of the test.
        if (message == WM_CLOSE) return 0;
        return DefWindowProcA(window, message, w_param, l_param);
    }

    static inline bool seen_ = false;
    UniqueWindow window_;
    bool registered_ = false;
};

// Real key presses: nothing else may hold F4 or the foreground meanwhile (RUN_SERIAL).
class ShowHideKeyTest : public ShowHideTest {};

TEST_F(ShowHideKeyTest, F4PressHidesAndAPressWhileHiddenBringsItBack)
{
    ASSERT_TRUE(bring_to_foreground(window_));
    const RECT before = rect_of(window_);

    press_key(VK_F4);
    ASSERT_TRUE(pump_until([this] { return !IsWindowVisible(window_); })) << "the first press did not hide it";
    // Hidden, the window is no longer in the foreground; the press still has to reach it.
    press_key(VK_F4);
    ASSERT_TRUE(pump_until([this] { return IsWindowVisible(window_) != FALSE; })) << "the second press did not show it";
    EXPECT_TRUE(same_rect(rect_of(window_), before));
    EXPECT_EQ(g_notifications.size(), 2u);
}

TEST_F(ShowHideKeyTest, F4WithShiftCtrlOrAltIsNotTheHotKey)
{
    Sentinel sentinel;
    ASSERT_TRUE(sentinel.registered()) << "Ctrl+Alt+Shift+F9 is taken";
    // Pressed on another window of the process: the hot key is system-wide, and Alt+F4 on the main
    // window would close it, which is its own behaviour, not the hot key's.
    ASSERT_TRUE(bring_to_foreground(sentinel.window()));

    press_key_with(VK_F4, {VK_SHIFT});
    press_key_with(VK_F4, {VK_CONTROL});
    press_key_with(VK_F4, {VK_MENU});
    press_key_with(VK_F4, {VK_CONTROL, VK_SHIFT});
    ASSERT_TRUE(sentinel.press_and_wait()) << "the sentinel key never came";
    EXPECT_TRUE(g_notifications.empty());
    EXPECT_TRUE(IsWindowVisible(window_));

    // The same way plain F4 does toggle: the sentinel's check is not blind.
    press_key(VK_F4);
    ASSERT_TRUE(sentinel.press_and_wait());
    EXPECT_EQ(g_notifications.size(), 1u);
    EXPECT_FALSE(IsWindowVisible(window_));
}

TEST_F(ShowHideKeyTest, PressDuringATranslationTakesEffectWhenItEnds)
{
    FakeService service{kPort};
    ASSERT_TRUE(service.listening()) << "port " << kPort << " is taken";
    testing::FakeAnswer answer = testing::json_answer(R"([[["Hello","x"]]])");
    // Long enough that the press surely lands while the request is still out.
    answer.delay_ms = 2000;
    service.answer_with(answer);
    write_text(Control::编辑框1, "\xC4\xE3\xBA\xC3");
    ASSERT_TRUE(bring_to_foreground(window_));

    std::atomic<bool> pressed{false};
    std::thread presser([&service, &pressed] {
        const ULONGLONG end = GetTickCount64() + 10000;
        while (service.request_lines().empty() && GetTickCount64() < end) Sleep(10);
        if (service.request_lines().empty()) return;
        press_key(VK_F4);
        pressed = true;
    });
    // The click runs the whole translation before it returns, as the user's click would.
    SendMessageA(control(Control::按钮1), BM_CLICK, 0, 0);
    presser.join();

    ASSERT_TRUE(pressed) << "the request never reached the service";
    EXPECT_EQ(read_text(Control::编辑框2), "Hello");
    EXPECT_TRUE(g_notifications.empty()) << "the press was handled in the middle of the translation";
    EXPECT_TRUE(IsWindowVisible(window_));

    EXPECT_TRUE(pump_until([this] { return !IsWindowVisible(window_); })) << "the press was lost";
    EXPECT_EQ(g_notifications.size(), 1u);
}

} // namespace
} // namespace orvanta
