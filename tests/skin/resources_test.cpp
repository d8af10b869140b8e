// The painters hold no GDI object beyond a paint: the process's count stays where it started.
#include "skin.h"
#include "skin_test_support.h"

#include <gtest/gtest.h>

namespace orvanta::skin::test {
namespace {

constexpr int rounds = 150;
constexpr UINT full_redraw = RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW | RDW_UPDATENOW;

// One of everything that makes the skin paint: full redraws, printing, and each state change.
void exercise(TestWindow& window)
{
    for (HWND control : window.skinned_controls()) {
        RedrawWindow(control, nullptr, nullptr, full_redraw);
        (void)print_client(control);
    }
    SetFocus(window.translate_button);
    SendMessageA(window.translate_button, BM_SETSTATE, TRUE, 0);
    SendMessageA(window.translate_button, BM_SETSTATE, FALSE, 0);
    SendMessageA(window.translate_button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SendMessageA(window.translate_button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    SetFocus(window.source_box);
    EnableWindow(window.paste_button, FALSE);
    EnableWindow(window.paste_button, TRUE);
    SendMessageA(window.result_box, EM_SETREADONLY, TRUE, 0);
    SendMessageA(window.result_box, EM_SETREADONLY, FALSE, 0);
    SetWindowTextA(window.copy_button, "复制译文");
    SetWindowTextA(window.result_group, "译文,翻译的结果");
    pump_messages(0);
}

TEST(SkinResources, RepaintingManyTimesLeavesTheGdiObjectCountWhereItStarted)
{
    TestWindow window;
    move_mouse_away();
    ASSERT_EQ(switch_skin(olive_scheme), 1);
    window.show();
    // The first rounds fill the system's caches of DCs and brushes.
    for (int i = 0; i < 3; ++i) exercise(window);
    switch_skin(0);
    switch_skin(olive_scheme);
    const int start = live_gdi_objects();
    ASSERT_GT(start, 0) << "no way to count GDI objects";

    for (int i = 0; i < rounds; ++i) exercise(window);
    for (int i = 0; i < 10; ++i) {
        switch_skin(i % 3 + 1);
        exercise(window);
    }
    switch_skin(0);
    switch_skin(olive_scheme);
    EXPECT_EQ(live_gdi_objects(), start);
    switch_skin(0);
}

} // namespace
} // namespace orvanta::skin::test
