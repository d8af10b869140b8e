// The skin reaches windows the program never creates itself: the buttons of its message box.
#include "skin.h"
#include "skin_test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace orvanta::skin::test {
namespace {

constexpr UINT poll_ms = 100;
constexpr int give_up_after_ticks = 100;

// What the timer saw inside the message box's own message loop.
struct Seen {
    int ticks = 0;
    bool found = false;
    std::optional<Kind> ok_kind;
    COLORREF ok_frame = CLR_INVALID;
    COLORREF ok_band_top = CLR_INVALID;
    std::size_t records_while_open = 0;
};
Seen seen;

BOOL CALLBACK find_dialog(HWND window, LPARAM found)
{
    char name[16]{};
    GetClassNameA(window, name, static_cast<int>(sizeof name));
    if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK inspect_message_box(HWND, UINT, UINT_PTR timer, DWORD)
{
    ++seen.ticks;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) {
        if (seen.ticks > give_up_after_ticks) KillTimer(nullptr, timer);
        return;
    }
    KillTimer(nullptr, timer);
    seen.found = true;
    HWND ok = GetDlgItem(dialog, IDOK);
    seen.ok_kind = wrapped_kind(ok);
    UpdateWindow(dialog);
    const Pixels pixels = capture_window(ok);
    seen.ok_frame = pixels.at(pixels.width() / 2, 1);
    seen.ok_band_top = pixels.at(pixels.width() / 2, 2);
    seen.records_while_open = wrapped_window_count();
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST(SkinMessageBox, TheOkButtonIsSkinnedAndItsRecordsGoWithTheBox)
{
    TestWindow window;
    move_mouse_away();
    ASSERT_EQ(switch_skin(olive_scheme), 1);
    window.show();
    const std::size_t before = wrapped_window_count();

    seen = {};
    ASSERT_NE(SetTimer(nullptr, 0, poll_ms, inspect_message_box), 0u);
    MessageBoxA(nullptr, "请填写欲翻译的中文内容!", "", MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);

    ASSERT_TRUE(seen.found) << "the message box was not found within " << seen.ticks << " ticks";
    EXPECT_EQ(seen.ok_kind, Kind::push_button);
    EXPECT_EQ(seen.ok_frame, olive_frame) << describe(seen.ok_frame);
    // The OK button is the default and has the focus: the orange band.
    EXPECT_LE(channel_distance(seen.ok_band_top, RGB(255, 240, 207)), 2) << describe(seen.ok_band_top);
    EXPECT_GT(seen.records_while_open, before);
    // Every button the box made, shown or not, is destroyed with it, and so is its record.
    EXPECT_EQ(wrapped_window_count(), before);
    switch_skin(0);
}

} // namespace
} // namespace orvanta::skin::test
