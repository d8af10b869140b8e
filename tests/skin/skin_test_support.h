// Windows, pixels, mouse input and GDI counting for the skin's tests.
#pragma once

#include "win32_handles.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvanta::skin::test {

inline constexpr COLORREF olive_frame = RGB(55, 98, 6);
inline constexpr COLORREF olive_text_box_frame = RGB(164, 185, 127);
inline constexpr COLORREF group_frame = RGB(191, 184, 191);

// A window's pixels, read back from its DC (non-client area included).
class Pixels {
public:
    Pixels() = default;
    Pixels(int width, int height, std::vector<std::uint32_t> bits)
        : width_(width), height_(height), bits_(std::move(bits))
    {
    }
    [[nodiscard]] int width() const noexcept { return width_; }
    [[nodiscard]] int height() const noexcept { return height_; }
    // Out-of-range points read as CLR_INVALID.
    [[nodiscard]] COLORREF at(int x, int y) const noexcept;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> bits_;
};

[[nodiscard]] Pixels capture_window(HWND window);
// The client area as the control paints it into a DC of ours through WM_PRINTCLIENT.
[[nodiscard]] Pixels print_client(HWND window);

[[nodiscard]] std::string describe(COLORREF colour);
[[nodiscard]] int channel_distance(COLORREF a, COLORREF b) noexcept;
[[nodiscard]] COLORREF system_colour(int index) noexcept;
[[nodiscard]] COLORREF darkened_face() noexcept; // COLOR_BTNFACE less 0x20 in each channel

// Dispatches the thread's messages for about `milliseconds`.
void pump_messages(int milliseconds);
// Dispatches messages until `done` holds or `timeout_ms` passes; answers `done` at the end.
bool pump_until(const std::function<bool()>& done, int timeout_ms);

// Real pointer movement and buttons, through the system's input queue.
void move_mouse_to(POINT screen);
void move_mouse_over(HWND window);    // to the window's centre
void move_mouse_away();               // to a screen corner no test window covers
void press_left_button();
void release_left_button();

// GDI objects the process holds. Wine's GetGuiResources is a stub that answers 0, but Wine accepts
// the low word of a GDI handle, so there the handle table is walked instead.
[[nodiscard]] int live_gdi_objects();

// A top-level window shaped like the program's, with the kinds of controls it shows.
class TestWindow {
public:
    TestWindow();
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    // Shows it, brings it to the foreground and lets it paint.
    void show();

    HWND main = nullptr;
    HWND translate_button = nullptr; // 128 x 32, bold font
    HWND copy_button = nullptr;      // 128 x 32, bold font
    HWND disabled_button = nullptr;  // 128 x 32, disabled
    HWND source_group = nullptr;     // left caption in DEFAULT_GUI_FONT
    HWND source_box = nullptr;       // multi-line, WS_EX_CLIENTEDGE
    HWND paste_button = nullptr;     // 162 x 23, inside source_group
    HWND label = nullptr;            // hidden, private class
    HWND result_group = nullptr;
    HWND result_box = nullptr;
    HWND read_only_box = nullptr;
    HWND disabled_box = nullptr;

    // The controls the skin is expected to draw.
    [[nodiscard]] std::vector<HWND> skinned_controls() const;

private:
    UniqueFont bold_;
    UniqueFont normal_;
};

} // namespace orvanta::skin::test
