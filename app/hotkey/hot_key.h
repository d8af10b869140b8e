// System-wide hot keys whose presses arrive as a feedback notification of another window.
//
// The main window receives WM_HOTKEY; its window procedure is wrapped once so that a press of a key
// registered here is sent on, synchronously, to the notification target (the hidden label) as
// kFeedbackMessage with the key's identifier and 0.
#pragma once

#include <windows.h>

namespace orvanta::hotkey {

// Sent to the notification target: wParam = the hot key's identifier, lParam = 0.
inline constexpr UINT kFeedbackMessage = 0x8075;

// Identifiers are handed out counting up from here; the first registration gets 33001.
inline constexpr int kIdentifierBase = 0x80E8;

// Modifier values of register_hot_key; sums combine them.
enum Modifier : unsigned {
    kNone = 0,
    kCtrl = 1,
    kShift = 2,
    kAlt = 4,
};

// Registers `virtual_key` with `modifiers` system-wide on `main_window`; its presses go to
// `notification_target`, which replaces any earlier target. Returns the identifier, or 0 when the
// key is taken (by another program, or another copy of this one).
int register_hot_key(HWND main_window, HWND notification_target, unsigned modifiers, UINT virtual_key);

// The last identifier issued so far (kIdentifierBase before the first registration).
int last_identifier() noexcept;

} // namespace orvanta::hotkey
