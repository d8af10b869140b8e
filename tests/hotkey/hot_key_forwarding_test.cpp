// WM_HOTKEY reaching the main window is sent on to the notification target, for identifiers that
// were issued only, and the main window's own procedure still sees every message.
#include <gtest/gtest.h>

#include <vector>

#include <windows.h>

#include "hot_key.h"

namespace orvanta::hotkey {
namespace {

struct Received {
    UINT message;
    WPARAM w_param;
    LPARAM l_param;
};

std::vector<Received> g_target_received;
std::vector<Received> g_main_received;

LRESULT CALLBACK target_procedure(HWND window, UINT message, WPARAM w_param, LPARAM l_param)
{
    if (message == kFeedbackMessage) {
        g_target_received.push_back({message, w_param, l_param});
        return 0;
    }
    return DefWindowProcA(window, message, w_param, l_param);
}

LRESULT CALLBACK main_procedure(HWND window, UINT message, WPARAM w_param, LPARAM l_param)
{
    if (message == WM_HOTKEY) g_main_received.push_back({message, w_param, l_param});
    return DefWindowProcA(window, message, w_param, l_param);
}

HWND make_window(const char* class_name, WNDPROC procedure, HWND parent)
{
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = class_name;
    RegisterClassA(&window_class);
    return CreateWindowExA(0, class_name, "", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 10, 10, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

class HotKeyForwarding : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        main_ = make_window("OrvantaTestMain", main_procedure, nullptr);
        target_ = make_window("OrvantaTestTarget", target_procedure, main_);
        // F9 with Ctrl+Alt+Shift is unlikely to be taken; the identifier is what matters here.
        first_ = register_hot_key(main_, target_, kCtrl | kAlt | kShift, VK_F9);
    }
    void SetUp() override
    {
        g_target_received.clear();
        g_main_received.clear();
    }

    static inline HWND main_ = nullptr;
    static inline HWND target_ = nullptr;
    static inline int first_ = 0;
};

TEST_F(HotKeyForwarding, FirstRegistrationIs33001)
{
    EXPECT_EQ(first_, 33001);
    EXPECT_EQ(last_identifier(), 33001);
}

TEST_F(HotKeyForwarding, IssuedIdentifierIsSentOnWithZero)
{
    SendMessageA(main_, WM_HOTKEY, 33001, MAKELPARAM(MOD_CONTROL, VK_F9));
    ASSERT_EQ(g_target_received.size(), 1u);
    EXPECT_EQ(g_target_received[0].w_param, 33001u);
    EXPECT_EQ(g_target_received[0].l_param, 0);
    // The main window's own procedure is called after, with the key state it came with.
    ASSERT_EQ(g_main_received.size(), 1u);
    EXPECT_EQ(g_main_received[0].l_param, MAKELPARAM(MOD_CONTROL, VK_F9));
}

TEST_F(HotKeyForwarding, IdentifiersOutsideTheIssuedRangeAreNotSentOn)
{
    for (const WPARAM identifier : {WPARAM{0}, WPARAM{1}, WPARAM{0x80E8}, WPARAM{33002}, WPARAM{0xBFFF}}) {
        SendMessageA(main_, WM_HOTKEY, identifier, 0);
    }
    EXPECT_TRUE(g_target_received.empty());
    EXPECT_EQ(g_main_received.size(), 5u);
}

TEST_F(HotKeyForwarding, ALaterRegistrationWidensTheRangeAndReplacesTheTarget)
{
    const HWND second_target = make_window("OrvantaTestTarget2", target_procedure, main_);
    const int second = register_hot_key(main_, second_target, kCtrl | kAlt | kShift, VK_F10);
    EXPECT_EQ(second, 33002);
    SendMessageA(main_, WM_HOTKEY, 33002, 0);
    SendMessageA(main_, WM_HOTKEY, 33001, 0);
    EXPECT_EQ(g_target_received.size(), 2u);
    DestroyWindow(second_target);
}

TEST_F(HotKeyForwarding, TakenKeyGivesZeroButStillUsesUpAnIdentifier)
{
    const int before = last_identifier();
    // Taken by this very thread already: the platform refuses a second registration.
    EXPECT_TRUE(RegisterHotKey(nullptr, 0x1234, MOD_ALT | MOD_SHIFT, VK_F11));
    EXPECT_EQ(register_hot_key(main_, target_, kAlt | kShift, VK_F11), 0);
    EXPECT_EQ(last_identifier(), before + 1);
    UnregisterHotKey(nullptr, 0x1234);
}

} // namespace
} // namespace orvanta::hotkey
