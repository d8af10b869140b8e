// The program-drawn look of the standard controls: flat framed push buttons with gradient faces and
// thin coloured frames around text boxes and group boxes, for every window of the calling thread.
#pragma once

#include "kinds.h"

#include <windows.h>

#include <cstddef>
#include <optional>

namespace orvanta::skin {

// Scheme numbers switch_skin accepts.
inline constexpr int blue_grey_scheme = 1;
inline constexpr int olive_scheme = 2; // the program's
inline constexpr int silver_scheme = 3;

// 1 to 3: takes any skin off and puts it on again in that colour scheme, over the thread's existing
// windows and those it creates later; returns 1. Any other value takes the skin off and returns the
// result of removing the thread hook, 0 when the skin was not on. Call it on the UI thread only.
int switch_skin(int scheme);

// The scheme last switched on; 1 until the first switch.
[[nodiscard]] int current_scheme() noexcept;

// How many windows the skin has wrapped and not yet let go of.
[[nodiscard]] std::size_t wrapped_window_count() noexcept;

// What the skin draws a window as, or nothing when it is not wrapped.
[[nodiscard]] std::optional<Kind> wrapped_kind(HWND window) noexcept;

} // namespace orvanta::skin
