// Drawing of the skinned controls into a DC that the caller owns (a paint DC, a window DC, or the
// DC of WM_PRINTCLIENT); every routine leaves the DC's state as it found it.
#pragma once

#include "palette.h"

#include <windows.h>

namespace orvanta::skin {

struct ControlState {
    bool disabled = false;
    bool pressed = false;
    bool hot = false;
    bool focused = false;
    bool is_default = false;
    bool checked = false;
    bool indeterminate = false;
};

// What the parent hands out through WM_CTLCOLORBTN; the brush belongs to the parent.
struct ParentColours {
    HBRUSH brush = nullptr;
    COLORREF text = RGB(0, 0, 0);
};

// Client-area painters of the kinds the skin draws entirely; the caption and font come from the window.
void paint_push_button(HWND window, HDC hdc, const ControlState& state, const ParentColours& parent,
                       const Scheme& scheme);
void paint_check_box(HWND window, HDC hdc, const ControlState& state, const ParentColours& parent,
                     const Scheme& scheme);
void paint_radio_button(HWND window, HDC hdc, const ControlState& state, const ParentColours& parent,
                        const Scheme& scheme);
void paint_group_box(HWND window, HDC hdc, const ControlState& state, const ParentColours& parent,
                     const Scheme& scheme);

// The two frames drawn over a text box's border, into a DC of the whole window.
void paint_text_box_frame(HWND window, HDC window_dc, const ControlState& state, const Scheme& scheme);
// A combo box draws its border inside its client area; the frames go over it there.
void paint_combo_box_frame(HWND window, HDC client_dc, const ControlState& state, const Scheme& scheme);
void paint_combo_list_frame(HWND window, HDC window_dc, const Scheme& scheme);
void paint_up_down_frame(HWND window, HDC client_dc, const ControlState& state, const Scheme& scheme);

// Whether a text box has a border for the skin to draw over.
[[nodiscard]] bool has_text_box_border(HWND window) noexcept;

// Where the caption of a group box goes and which part of the frame's top line it leaves out.
struct GroupCaptionLayout {
    RECT text;      // the caption's rectangle
    int gap_left;   // first pixel of the top line left out
    int gap_right;  // one past the last pixel left out
};
[[nodiscard]] GroupCaptionLayout layout_group_caption(LONG_PTR style, int box_width, int text_width,
                                                      int text_height) noexcept;

} // namespace orvanta::skin
