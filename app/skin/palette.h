// The skin's colours: one row per scheme, and the push-button gradients by state.
#pragma once

#include <windows.h>

#include <array>

namespace orvanta::skin {

inline constexpr int first_scheme = 1;
inline constexpr int last_scheme = 3;

// A vertical gradient, top row to bottom row; equal ends mean a flat fill.
struct Gradient {
    COLORREF top;
    COLORREF bottom;
};

struct PushButtonGradients {
    Gradient band_pressed;
    Gradient band_hot;
    Gradient band_focused_or_default;
    Gradient band_normal;
    Gradient face_pressed_or_checked;
    Gradient face_normal;
    Gradient face_disabled;
};

struct Scheme {
    COLORREF push_button_frame;
    COLORREF text_box_frame; // also combo boxes
    COLORREF group_box_frame;
    PushButtonGradients push_button;
};

inline constexpr COLORREF caption_colour = RGB(0, 0, 0);
inline constexpr COLORREF greyed_caption_colour = RGB(165, 162, 148);
// Subtracted from each channel of COLOR_BTNFACE for the frames of disabled controls.
inline constexpr int disabled_frame_darkening = 0x20;

inline constexpr PushButtonGradients olive_push_button{
    .band_pressed = {RGB(239, 227, 206), RGB(239, 227, 206)},
    .band_hot = {RGB(255, 240, 207), RGB(229, 151, 0)},
    .band_focused_or_default = {RGB(255, 240, 207), RGB(229, 151, 0)},
    .band_normal = {RGB(255, 255, 255), RGB(226, 223, 214)},
    .face_pressed_or_checked = {RGB(239, 227, 206), RGB(239, 227, 206)},
    .face_normal = {RGB(252, 252, 251), RGB(236, 225, 201)},
    .face_disabled = {RGB(245, 244, 234), RGB(245, 244, 234)},
};

// Only the olive scheme has gradients of its own; the other two differ in their frames.
inline constexpr std::array<Scheme, 3> schemes{{
    {RGB(0, 60, 115), RGB(123, 158, 189), RGB(191, 184, 191), olive_push_button},  // blue-grey
    {RGB(55, 98, 6), RGB(164, 185, 127), RGB(191, 184, 191), olive_push_button},   // olive green
    {RGB(0, 60, 116), RGB(198, 197, 215), RGB(191, 184, 191), olive_push_button},  // silver
}};

[[nodiscard]] constexpr bool is_scheme(int number) noexcept
{
    return number >= first_scheme && number <= last_scheme;
}

// The colours of a scheme number that is_scheme accepts.
[[nodiscard]] constexpr const Scheme& scheme_colours(int number) noexcept
{
    return schemes[static_cast<std::size_t>(number - first_scheme)];
}

[[nodiscard]] constexpr COLORREF darkened(COLORREF colour, int amount) noexcept
{
    auto channel = [amount](int value) { return static_cast<BYTE>(value > amount ? value - amount : 0); };
    return RGB(channel(GetRValue(colour)), channel(GetGValue(colour)), channel(GetBValue(colour)));
}

} // namespace orvanta::skin
