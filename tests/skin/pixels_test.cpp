// What the skinned controls look like, read back from the real windows in each state the user can
// put them in; the mouse states come from real pointer input.
#include "skin.h"
#include "skin_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace orvanta::skin::test {
namespace {

// GradientFill interiors under Wine are within 1 per channel.
constexpr int gradient_tolerance = 2;
constexpr int settle_ms = 3000;

enum class Match { within_tolerance, differs };

struct Probe {
    const char* where;
    HWND TestWindow::*control;
    POINT point;
    COLORREF expected;
    Match match = Match::within_tolerance;
};

struct StateCase {
    const char* state;
    std::function<void(TestWindow&)> enter;
    std::vector<Probe> probes;
    std::function<void(TestWindow&)> leave = [](TestWindow&) {};
    // Changes the skin shows before the call that made them returns, with no message dispatched.
    bool at_once = false;
};

[[nodiscard]] bool holds(const Probe& probe, COLORREF actual) noexcept
{
    const int distance = channel_distance(actual, probe.expected);
    return probe.match == Match::within_tolerance ? distance <= gradient_tolerance : distance > gradient_tolerance;
}

// The probes that do not hold, each described; empty when all hold.
[[nodiscard]] std::vector<std::string> mismatches(TestWindow& window, const std::vector<Probe>& probes)
{
    std::vector<std::string> wrong;
    for (const Probe& probe : probes) {
        const COLORREF actual = capture_window(window.*probe.control).at(probe.point.x, probe.point.y);
        if (holds(probe, actual)) continue;
        wrong.push_back(std::string(probe.where) + " at (" + std::to_string(probe.point.x) + ", " +
                        std::to_string(probe.point.y) + "): " + describe(actual) +
                        (probe.match == Match::within_tolerance ? ", expected " : ", expected anything but ") +
                        describe(probe.expected));
    }
    return wrong;
}

// The caption's width and line height in the group box's font, measured independently of the skin.
struct CaptionMetrics {
    int width;
    int height;
};

CaptionMetrics measure_caption(HWND group)
{
    char caption[256]{};
    const int length = GetWindowTextA(group, caption, static_cast<int>(sizeof caption));
    const WindowDc dc(group);
    const SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(group, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc.get(), caption, length, &extent);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.get(), &metrics);
    return {extent.cx, metrics.tmHeight};
}

[[nodiscard]] bool band_shows(TestWindow& window, HWND TestWindow::*button, COLORREF top)
{
    return channel_distance(capture_window(window.*button).at(64, 2), top) <= gradient_tolerance;
}

class SkinPixels : public ::testing::Test {
protected:
    void SetUp() override
    {
        move_mouse_away();
        ASSERT_EQ(switch_skin(olive_scheme), 1);
        window.show();
    }
    void TearDown() override
    {
        move_mouse_away();
        release_left_button();
        pump_messages(50);
        switch_skin(0);
    }

    TestWindow window;
};

TEST_F(SkinPixels, ControlsShowTheColoursOfTheirState)
{
    const COLORREF face = system_colour(COLOR_BTNFACE);
    const COLORREF white = system_colour(COLOR_WINDOW);
    const COLORREF band_white = RGB(255, 255, 255);
    const COLORREF band_grey = RGB(226, 223, 214);
    const COLORREF orange_top = RGB(255, 240, 207);
    const COLORREF orange_bottom = RGB(229, 151, 0);
    const COLORREF face_top = RGB(252, 252, 251);
    const COLORREF face_bottom = RGB(236, 225, 201);
    const COLORREF pressed = RGB(239, 227, 206);
    const CaptionMetrics caption = measure_caption(window.source_group);
    const LONG line = caption.height / 2;
    const LONG text_end = 9 + caption.width;
    const auto button = &TestWindow::translate_button;
    const auto group = &TestWindow::source_group;

    // A 128 x 32 button: system-face ring at 0, frame at 1, band rows 2-3, face rows 4-27.
    const std::vector<Probe> normal_band{
        {"band top", button, {64, 2}, band_white},
        {"band bottom", button, {64, 29}, band_grey},
        {"face top", button, {10, 4}, face_top},
        {"face bottom", button, {10, 27}, face_bottom},
    };
    const std::vector<Probe> orange_band{
        {"frame", button, {64, 1}, olive_frame},
        {"band top", button, {64, 2}, orange_top},
        {"band bottom", button, {64, 29}, orange_bottom},
        {"face top", button, {10, 4}, face_top},
        {"face bottom", button, {10, 27}, face_bottom},
    };
    std::vector<Probe> normal{
        {"outer ring", button, {0, 16}, face},
        {"top frame", button, {64, 1}, olive_frame},
        {"left frame", button, {1, 16}, olive_frame},
        {"bottom frame", button, {64, 30}, olive_frame},
        {"right frame", button, {126, 16}, olive_frame},
        {"rounded corner", button, {1, 1}, olive_frame, Match::differs},
        {"disabled frame", &TestWindow::disabled_button, {64, 1}, darkened_face()},
        {"disabled face", &TestWindow::disabled_button, {10, 16}, RGB(245, 244, 234)},
        {"disabled face top", &TestWindow::disabled_button, {10, 4}, RGB(245, 244, 234)},
        {"text box frame top", &TestWindow::source_box, {228, 0}, olive_text_box_frame},
        {"text box frame left", &TestWindow::source_box, {0, 55}, olive_text_box_frame},
        {"text box inner frame", &TestWindow::source_box, {228, 1}, white},
        {"text box inner frame left", &TestWindow::source_box, {1, 55}, white},
        {"read-only box frame", &TestWindow::read_only_box, {110, 0}, olive_text_box_frame},
        {"read-only box inner frame", &TestWindow::read_only_box, {110, 1}, face},
        {"disabled box frame", &TestWindow::disabled_box, {114, 0}, darkened_face()},
        {"disabled box inner frame", &TestWindow::disabled_box, {114, 1}, face},
        {"group line before the caption", group, {4, line}, group_frame},
        {"group line at 7", group, {7, line}, group_frame},
        {"caption gap start", group, {8, line}, face},
        {"caption gap end", group, {text_end, line}, face},
        {"group line after the caption", group, {text_end + 1, line}, group_frame},
        {"group rounded corner", group, {0, line}, group_frame, Match::differs},
        {"group left edge", group, {0, 80}, group_frame},
        {"group right edge", group, {472, 80}, group_frame},
        {"group bottom edge", group, {236, 157}, group_frame},
        {"group above its line", group, {4, line - 1}, face},
    };
    normal.insert(normal.end(), normal_band.begin(), normal_band.end());

    std::vector<Probe> after_caption_change = normal_band;
    after_caption_change.push_back({"frame", button, {64, 1}, olive_frame});

    const auto no_leave = [](TestWindow&) {};
    const std::vector<StateCase> cases{
        {"normal", [](TestWindow& w) { SetFocus(w.source_box); }, normal},
        {"hot", [](TestWindow& w) { move_mouse_over(w.translate_button); }, orange_band},
        {"mouse gone again", [](TestWindow&) { move_mouse_away(); }, normal_band},
        {"focused", [](TestWindow& w) { SetFocus(w.translate_button); }, orange_band, no_leave, true},
        {"focused, after the mouse passed over and left",
         [&](TestWindow& w) {
             SetFocus(w.translate_button);
             move_mouse_over(w.translate_button);
             // Going on to another button and away again shows that the pointer's leaving was seen.
             move_mouse_over(w.copy_button);
             EXPECT_TRUE(pump_until([&] { return band_shows(w, &TestWindow::copy_button, orange_top); }, settle_ms));
             move_mouse_away();
             EXPECT_TRUE(pump_until([&] { return band_shows(w, &TestWindow::copy_button, band_white); }, settle_ms));
         },
         orange_band},
        {"pressed with the mouse",
         [](TestWindow& w) {
             move_mouse_over(w.translate_button);
             press_left_button();
         },
         {
             {"frame", button, {64, 1}, olive_frame},
             {"band top", button, {64, 2}, pressed},
             {"band bottom", button, {64, 29}, pressed},
             {"face top", button, {10, 4}, pressed},
             {"face bottom", button, {10, 27}, pressed},
         },
         [](TestWindow&) {
             // Released away from the button, so that it is not clicked.
             move_mouse_away();
             release_left_button();
         }},
        {"disabled while shown",
         [](TestWindow& w) { EnableWindow(w.copy_button, FALSE); },
         {
             {"frame", &TestWindow::copy_button, {64, 1}, darkened_face()},
             {"face", &TestWindow::copy_button, {10, 16}, RGB(245, 244, 234)},
         },
         [](TestWindow& w) { EnableWindow(w.copy_button, TRUE); }, true},
        {"enabled again", [](TestWindow&) {},
         {
             {"frame", &TestWindow::copy_button, {64, 1}, olive_frame},
             {"band top", &TestWindow::copy_button, {64, 2}, band_white},
         },
         no_leave, true},
        {"caption replaced",
         [](TestWindow& w) {
             SetFocus(w.source_box);
             // A pointer that left while the button held the capture is only noticed later.
             EXPECT_TRUE(pump_until([&] { return band_shows(w, &TestWindow::translate_button, RGB(255, 255, 255)); },
                                    settle_ms));
             SetWindowTextA(w.translate_button, "翻译中");
         },
         after_caption_change, no_leave, true},
    };

    for (const StateCase& c : cases) {
        c.enter(window);
        if (c.at_once) {
            for (const std::string& wrong : mismatches(window, c.probes)) ADD_FAILURE() << c.state << ", at once: " << wrong;
        }
        pump_until([&] { return mismatches(window, c.probes).empty(); }, settle_ms);
        for (const std::string& wrong : mismatches(window, c.probes)) ADD_FAILURE() << c.state << ": " << wrong;
        c.leave(window);
        pump_messages(20);
    }
}

// The dark pixels of the caption inside the face, as a bounding box and a count.
struct Ink {
    RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    int count = 0;
};

Ink caption_ink(const Pixels& pixels)
{
    constexpr int dark = 96;
    Ink ink;
    for (int y = 4; y < pixels.height() - 4; ++y) {
        for (int x = 4; x < pixels.width() - 4; ++x) {
            const COLORREF c = pixels.at(x, y);
            if (GetRValue(c) >= dark || GetGValue(c) >= dark || GetBValue(c) >= dark) continue;
            ++ink.count;
            ink.box = {std::min(ink.box.left, static_cast<LONG>(x)), std::min(ink.box.top, static_cast<LONG>(y)),
                       std::max(ink.box.right, static_cast<LONG>(x)), std::max(ink.box.bottom, static_cast<LONG>(y))};
        }
    }
    return ink;
}

TEST_F(SkinPixels, PressingMovesTheCaptionDownAndRightByOnePixel)
{
    move_mouse_over(window.translate_button);
    ASSERT_TRUE(pump_until([&] { return band_shows(window, &TestWindow::translate_button, RGB(255, 240, 207)); },
                           settle_ms));
    const Ink released = caption_ink(capture_window(window.translate_button));
    press_left_button();
    ASSERT_TRUE(pump_until([&] { return band_shows(window, &TestWindow::translate_button, RGB(239, 227, 206)); },
                           settle_ms));
    const Ink pressed = caption_ink(capture_window(window.translate_button));

    ASSERT_GT(released.count, 20) << "the caption should be drawn";
    EXPECT_EQ(pressed.count, released.count);
    EXPECT_EQ(pressed.box.left, released.box.left + 1);
    EXPECT_EQ(pressed.box.top, released.box.top + 1);
    EXPECT_EQ(pressed.box.right, released.box.right + 1);
    EXPECT_EQ(pressed.box.bottom, released.box.bottom + 1);
}

// Pixels of one column of the band ring that DrawFocusRect inverts, dark where it inverted the band.
int inverted_pixels_in_column(const Pixels& pixels, int x)
{
    int inverted = 0;
    for (int y = 4; y < pixels.height() - 4; ++y) {
        if (GetRValue(pixels.at(x, y)) < 128) ++inverted;
    }
    return inverted;
}

TEST_F(SkinPixels, FocusRectangleLiesOnePixelOutsideTheFace)
{
    SetFocus(window.source_box);
    pump_messages(50);
    const Pixels unfocused = capture_window(window.translate_button);
    SetFocus(window.translate_button);
    pump_messages(50);
    const Pixels focused = capture_window(window.translate_button);

    EXPECT_EQ(inverted_pixels_in_column(unfocused, 3), 0);
    EXPECT_GT(inverted_pixels_in_column(focused, 3), 5) << "dotted line on the band's inner column";
    EXPECT_EQ(inverted_pixels_in_column(focused, 2), 0) << "the band's outer column is left alone";
    EXPECT_EQ(inverted_pixels_in_column(focused, 4), 0) << "the face is left alone";
}

TEST_F(SkinPixels, PrintClientRendersTheSameButton)
{
    SetFocus(window.source_box);
    pump_messages(50);
    const Pixels on_screen = capture_window(window.paste_button);
    const Pixels printed = print_client(window.paste_button);
    ASSERT_EQ(printed.width(), on_screen.width());
    ASSERT_EQ(printed.height(), on_screen.height());
    int different = 0;
    for (int y = 0; y < printed.height(); ++y) {
        for (int x = 0; x < printed.width(); ++x) {
            if (channel_distance(printed.at(x, y), on_screen.at(x, y)) > gradient_tolerance) ++different;
        }
    }
    EXPECT_EQ(different, 0);
    EXPECT_EQ(printed.at(81, 1), olive_frame);
}

} // namespace
} // namespace orvanta::skin::test
