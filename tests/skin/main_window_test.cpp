// The skin on the program's own window, started as start-up starts it: its window-created handler is
// what switches the skin on, and the empty-source message box of the Translate command is the one
// window the skin reaches without the program creating it.
#include "main_window.h"
#include "skin.h"
#include "skin_test_support.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orvanta::skin::test {
namespace {

using orvanta::testing::MainWindowSession;

constexpr int tolerance = 2; // gradient rows under Wine are within 1 per channel
constexpr DWORD settle_ms = 3000;
constexpr COLORREF orange_band_top = RGB(255, 240, 207);
constexpr COLORREF orange_band_bottom = RGB(229, 151, 0);
constexpr COLORREF normal_band_top = RGB(255, 255, 255);

struct Probe {
    std::string what;
    Control control;
    POINT point;
    COLORREF expected;
};

[[nodiscard]] std::vector<std::string> mismatches(const std::vector<Probe>& probes)
{
    std::vector<std::string> wrong;
    for (const Probe& probe : probes) {
        const COLORREF actual = capture_window(control(probe.control)).at(probe.point.x, probe.point.y);
        if (channel_distance(actual, probe.expected) <= tolerance) continue;
        wrong.push_back(probe.what + " at (" + std::to_string(probe.point.x) + ", " + std::to_string(probe.point.y) +
                        "): " + describe(actual) + ", expected " + describe(probe.expected));
    }
    return wrong;
}

// A group box caption's width and line height, measured in its own font without the skin's help.
struct Caption {
    int width;
    int height;
};

Caption measure_caption(HWND group)
{
    const std::string text = orvanta::testing::window_text(group);
    const WindowDc dc(group);
    const SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(group, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc.get(), text.data(), static_cast<int>(text.size()), &extent);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.get(), &metrics);
    return {extent.cx, metrics.tmHeight};
}

// Dark pixels where a group box's caption is drawn: none when the caption was left out.
int caption_ink(Control group, const Caption& caption)
{
    constexpr int dark = 96;
    const Pixels pixels = capture_window(control(group));
    int ink = 0;
    for (int y = 0; y < caption.height; ++y) {
        for (int x = 9; x < 9 + caption.width; ++x) {
            const COLORREF c = pixels.at(x, y);
            if (GetRValue(c) < dark && GetGValue(c) < dark && GetBValue(c) < dark) ++ink;
        }
    }
    return ink;
}

// The frame line of a group box, the gap behind its caption and its inside, at one point apiece.
void add_group_probes(std::vector<Probe>& probes, const char* name, Control group, POINT inside)
{
    const COLORREF face = system_colour(COLOR_BTNFACE);
    const Caption caption = measure_caption(control(group));
    const LONG line = caption.height / 2;
    const LONG text_end = 9 + caption.width;
    const std::string n = name;
    probes.push_back({n + " line before the caption", group, {4, line}, group_frame});
    probes.push_back({n + " gap start", group, {8, line}, face});
    probes.push_back({n + " gap end", group, {text_end, line}, face});
    probes.push_back({n + " line after the caption", group, {text_end + 1, line}, group_frame});
    probes.push_back({n + " left edge", group, {0, 80}, group_frame});
    probes.push_back({n + " inside, where no control lies", group, inside, face});
}

class SkinOnTheMainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A pointer over a button would make it hot and hide the focus band this test looks for.
        move_mouse_away();
        session_.emplace();
        ASSERT_NE(session_->window(), nullptr);
        ASSERT_TRUE(orvanta::testing::bring_to_foreground(session_->window()));
        ASSERT_TRUE(orvanta::testing::pump_until([] { return GetFocus() == control(Control::按钮1); }));
    }
    void TearDown() override { session_.reset(); }

    std::optional<MainWindowSession> session_;
};

TEST_F(SkinOnTheMainWindow, EveryVisibleControlIsSkinnedAndTheRestKeepTheirOwnDrawing)
{
    const struct {
        Control control;
        std::optional<Kind> kind;
    } kinds[] = {
        {Control::按钮1, Kind::push_button}, {Control::按钮2, Kind::push_button}, {Control::按钮3, Kind::push_button},
        {Control::按钮4, Kind::push_button}, {Control::按钮5, Kind::push_button}, {Control::编辑框1, Kind::text_box},
        {Control::编辑框2, Kind::text_box},  {Control::分组框1, Kind::group_box},  {Control::分组框2, Kind::group_box},
        {Control::标签1, std::nullopt},
    };
    for (const auto& [which, kind] : kinds) EXPECT_EQ(wrapped_kind(control(which)), kind) << static_cast<int>(which);
    // Neither runs the skin's procedure; the label, which nobody else wraps, still runs its class's own.
    const LONG_PTR skin_procedure = GetWindowLongPtrA(control(Control::按钮1), GWLP_WNDPROC);
    for (const HWND window : {control(Control::标签1), session_->window()}) {
        EXPECT_EQ(wrapped_kind(window), std::nullopt) << orvanta::testing::class_name(window);
        EXPECT_NE(GetWindowLongPtrA(window, GWLP_WNDPROC), skin_procedure) << orvanta::testing::class_name(window);
    }
    const HWND label = control(Control::标签1);
    EXPECT_EQ(GetWindowLongPtrA(label, GWLP_WNDPROC), static_cast<LONG_PTR>(GetClassLongPtrA(label, GCLP_WNDPROC)));

    const COLORREF face = system_colour(COLOR_BTNFACE);
    const COLORREF white = system_colour(COLOR_WINDOW);
    // Push buttons: system-face ring at 0, frame at 1, band rows 2-3 and the last two rows but one.
    std::vector<Probe> probes{
        {"按钮1 frame", Control::按钮1, {64, 1}, olive_frame},
        {"按钮1 focused band top", Control::按钮1, {64, 2}, orange_band_top},
        {"按钮1 focused band bottom", Control::按钮1, {64, 29}, orange_band_bottom},
        {"按钮4 frame", Control::按钮4, {64, 1}, olive_frame},
        {"按钮4 band top, not focused", Control::按钮4, {64, 2}, normal_band_top},
        {"按钮5 frame", Control::按钮5, {1, 16}, olive_frame},
        // Inside a group box: the ring is in the brush the group box hands out.
        {"按钮2 ring", Control::按钮2, {0, 11}, face},
        {"按钮2 frame", Control::按钮2, {81, 1}, olive_frame},
        {"按钮3 frame", Control::按钮3, {81, 21}, olive_frame},
        {"按钮3 band top", Control::按钮3, {81, 2}, normal_band_top},
        {"编辑框1 outer frame", Control::编辑框1, {228, 0}, olive_text_box_frame},
        {"编辑框1 inner frame", Control::编辑框1, {228, 1}, white},
        {"编辑框2 outer frame", Control::编辑框2, {0, 84}, olive_text_box_frame},
        {"编辑框2 inner frame", Control::编辑框2, {1, 84}, white},
    };
    add_group_probes(probes, "分组框1", Control::分组框1, {236, 140}); // between 按钮2 and 按钮3
    add_group_probes(probes, "分组框2", Control::分组框2, {4, 100});   // left of 编辑框2

    orvanta::testing::pump_until([&] { return mismatches(probes).empty(); }, settle_ms);
    for (const std::string& wrong : mismatches(probes)) ADD_FAILURE() << wrong;

    for (const Control group : {Control::分组框1, Control::分组框2})
        EXPECT_GT(caption_ink(group, measure_caption(control(group))), 10)
            << "caption of group box " << static_cast<int>(group) << " is drawn";
}

// What the timer saw of the empty-source message box while it was open.
struct SeenBox {
    int ticks = 0;
    bool found = false;
    std::string text;
    std::optional<Kind> ok_kind;
    COLORREF ok_frame = CLR_INVALID;
    COLORREF ok_band_top = CLR_INVALID;
};
SeenBox g_seen;

constexpr UINT poll_ms = 50;
constexpr int give_up_after_ticks = 100;

BOOL CALLBACK find_message_box(HWND window, LPARAM found)
{
    if (orvanta::testing::class_name(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Runs inside the message box's own loop: waits for the OK button to show the skin, then closes the box.
void CALLBACK inspect_message_box(HWND, UINT, UINT_PTR timer, DWORD)
{
    const int tick = ++g_seen.ticks;
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_message_box, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) {
        if (tick > give_up_after_ticks) KillTimer(nullptr, timer);
        return;
    }
    g_seen.found = true;
    g_seen.text = orvanta::testing::window_text(GetDlgItem(box, 0xFFFF));
    const HWND ok = GetDlgItem(box, IDOK);
    g_seen.ok_kind = wrapped_kind(ok);
    const Pixels pixels = capture_window(ok);
    g_seen.ok_frame = pixels.at(pixels.width() / 2, 1);
    g_seen.ok_band_top = pixels.at(pixels.width() / 2, 2);
    const bool painted = g_seen.ok_frame == olive_frame;
    if (painted || tick > give_up_after_ticks) {
        KillTimer(nullptr, timer);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
}

TEST_F(SkinOnTheMainWindow, TheOkButtonOfTheEmptySourceMessageBoxIsSkinned)
{
    write_text(Control::编辑框1, "");
    g_seen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, poll_ms, inspect_message_box);
    ASSERT_NE(timer, 0u);
    // The click as the button reports it; the command shows its box and returns when it is closed.
    SendMessageA(control(Control::按钮1), BM_CLICK, 0, 0);
    KillTimer(nullptr, timer);

    ASSERT_TRUE(g_seen.found) << "no message box within " << g_seen.ticks << " ticks";
    EXPECT_EQ(g_seen.text, "请填写欲翻译的中文内容!");
    EXPECT_EQ(g_seen.ok_kind, Kind::push_button);
    EXPECT_EQ(g_seen.ok_frame, olive_frame) << describe(g_seen.ok_frame);
    // OK is the box's default button and has the focus: the orange band.
    EXPECT_LE(channel_distance(g_seen.ok_band_top, orange_band_top), tolerance) << describe(g_seen.ok_band_top);
}

} // namespace
} // namespace orvanta::skin::test
