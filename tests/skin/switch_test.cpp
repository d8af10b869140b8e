// Switching the skin off again, and between the three colour schemes.
#include "skin.h"
#include "skin_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvanta::skin::test {
namespace {

constexpr int settle_ms = 3000;
constexpr int tolerance = 2;

[[nodiscard]] COLORREF pixel(HWND window, POINT at) { return capture_window(window).at(at.x, at.y); }

class SkinSwitch : public ::testing::Test {
protected:
    void SetUp() override
    {
        move_mouse_away();
        window.show();
        SetFocus(window.source_box);
    }
    void TearDown() override { switch_skin(0); }

    // Waits until `window` shows `colour` at `at`; answers whether it did.
    bool shows(HWND control, POINT at, COLORREF colour)
    {
        return pump_until([&] { return channel_distance(pixel(control, at), colour) <= tolerance; }, settle_ms);
    }

    TestWindow window;
};

TEST_F(SkinSwitch, TakingTheSkinOffRestoresOwnDrawingAndFreesEveryRecord)
{
    std::vector<LONG_PTR> own_procedures;
    for (HWND control : window.skinned_controls()) own_procedures.push_back(GetWindowLongPtrA(control, GWLP_WNDPROC));

    ASSERT_EQ(switch_skin(olive_scheme), 1);
    ASSERT_TRUE(shows(window.translate_button, {64, 1}, olive_frame));
    ASSERT_TRUE(shows(window.source_box, {228, 0}, olive_text_box_frame));
    ASSERT_EQ(wrapped_window_count(), window.skinned_controls().size());

    EXPECT_NE(switch_skin(0), 0) << "removing the installed hook succeeds";
    EXPECT_EQ(wrapped_window_count(), 0u);
    const std::vector<HWND> controls = window.skinned_controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(GetWindowLongPtrA(controls[i], GWLP_WNDPROC), own_procedures[i]) << "control " << i;
        EXPECT_EQ(wrapped_kind(controls[i]), std::nullopt) << "control " << i;
    }
    pump_messages(100);
    EXPECT_GT(channel_distance(pixel(window.translate_button, {64, 1}), olive_frame), tolerance)
        << "the button draws itself again";
    EXPECT_GT(channel_distance(pixel(window.source_box, {228, 0}), olive_text_box_frame), tolerance)
        << "the text box draws its own border again";
    // The system button paints itself; a skin still attached would not answer to WM_PRINTCLIENT.
    EXPECT_GT(channel_distance(print_client(window.translate_button).at(64, 1), olive_frame), tolerance);

    // The hook is gone too: windows created now keep their own drawing.
    HWND later = CreateWindowExA(0, "Button", "later", WS_CHILD | WS_VISIBLE, 0, 0, 80, 24, window.main, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(wrapped_kind(later), std::nullopt);
    EXPECT_EQ(wrapped_window_count(), 0u);
}

TEST_F(SkinSwitch, SwitchingOffWithoutASkinAnswersZero)
{
    for (const int off : {0, 4, -1, 100}) {
        EXPECT_EQ(switch_skin(off), 0) << off;
    }
    ASSERT_EQ(switch_skin(olive_scheme), 1);
    EXPECT_NE(switch_skin(4), 0) << "any number outside 1-3 takes the skin off";
    EXPECT_EQ(wrapped_window_count(), 0u);
    EXPECT_EQ(switch_skin(0), 0);
}

WNDPROC skin_procedure = nullptr;

LRESULT CALLBACK procedure_over_the_skin(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return CallWindowProcA(skin_procedure, window, message, wparam, lparam);
}

TEST_F(SkinSwitch, AProcedureInstalledOverTheSkinKeepsWorkingWhenTheSkinGoesOff)
{
    ASSERT_EQ(switch_skin(olive_scheme), 1);
    HWND box = CreateWindowExA(0, "Button", "Check", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, 0, 0, 80, 24, window.main,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_EQ(wrapped_kind(box), Kind::check_box);
    const std::size_t wrapped = wrapped_window_count();
    skin_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure_over_the_skin)));

    switch_skin(0);
    EXPECT_EQ(wrapped_kind(box), std::nullopt) << "the skin no longer draws it";
    EXPECT_EQ(GetWindowLongPtrA(box, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&procedure_over_the_skin))
        << "the later procedure stays in place";
    // Messages still reach the button through the chain.
    SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(wrapped_window_count(), 1u) << "only the record still in the chain is kept";

    ASSERT_EQ(switch_skin(olive_scheme), 1);
    EXPECT_EQ(wrapped_kind(box), Kind::check_box) << "switching on again takes it back";
    EXPECT_EQ(wrapped_window_count(), wrapped);
    DestroyWindow(box);
    EXPECT_EQ(wrapped_window_count(), wrapped - 1);
}

struct SchemeCase {
    int scheme;
    COLORREF push_button_frame;
    COLORREF text_box_frame;
};

TEST_F(SkinSwitch, EachSchemeReskinsWithItsFrameColours)
{
    const SchemeCase cases[] = {
        {blue_grey_scheme, RGB(0, 60, 115), RGB(123, 158, 189)},
        {silver_scheme, RGB(0, 60, 116), RGB(198, 197, 215)},
        {olive_scheme, olive_frame, olive_text_box_frame},
        {blue_grey_scheme, RGB(0, 60, 115), RGB(123, 158, 189)},
    };
    for (const SchemeCase& c : cases) {
        ASSERT_EQ(switch_skin(c.scheme), 1) << c.scheme;
        EXPECT_EQ(current_scheme(), c.scheme);
        EXPECT_EQ(wrapped_window_count(), window.skinned_controls().size()) << "scheme " << c.scheme;
        EXPECT_TRUE(shows(window.translate_button, {64, 1}, c.push_button_frame)) << "scheme " << c.scheme;
        EXPECT_TRUE(shows(window.paste_button, {81, 1}, c.push_button_frame)) << "scheme " << c.scheme;
        EXPECT_TRUE(shows(window.source_box, {228, 0}, c.text_box_frame)) << "scheme " << c.scheme;
        EXPECT_TRUE(shows(window.result_box, {228, 0}, c.text_box_frame)) << "scheme " << c.scheme;
        EXPECT_TRUE(shows(window.source_group, {0, 80}, group_frame)) << "scheme " << c.scheme;
    }
}

} // namespace
} // namespace orvanta::skin::test
