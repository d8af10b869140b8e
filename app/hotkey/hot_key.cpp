#include "hot_key.h"

namespace orvanta::hotkey {
namespace {

// One main window per process, one thread: plain statics are the whole state.
int g_last_identifier = kIdentifierBase;
HWND g_notification_target = nullptr;
HWND g_wrapped_window = nullptr;
WNDPROC g_previous_procedure = nullptr;

UINT platform_modifiers(unsigned modifiers) noexcept
{
    UINT result = 0;
    if (modifiers & kCtrl) result |= MOD_CONTROL;
    if (modifiers & kShift) result |= MOD_SHIFT;
    if (modifiers & kAlt) result |= MOD_ALT;
    return result;
}

LRESULT CALLBACK hot_key_window_procedure(HWND window, UINT message, WPARAM w_param, LPARAM l_param)
{
    if (message == WM_HOTKEY) {
        const auto identifier = static_cast<int>(w_param);
        if (identifier > kIdentifierBase && identifier <= g_last_identifier && g_notification_target != nullptr) {
            SendMessageA(g_notification_target, kFeedbackMessage, static_cast<WPARAM>(identifier), 0);
        }
    }
    return CallWindowProcA(g_previous_procedure, window, message, w_param, l_param);
}

} // namespace

int register_hot_key(HWND main_window, HWND notification_target, unsigned modifiers, UINT virtual_key)
{
    g_notification_target = notification_target;
    // Once per window: wrapping the same window again would make the wrapper its own previous
    // procedure. A main window built after an earlier one was destroyed needs its own wrapping.
    if (g_wrapped_window != main_window) {
        g_previous_procedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(main_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&hot_key_window_procedure)));
        g_wrapped_window = main_window;
    }
    const int identifier = ++g_last_identifier;
    return RegisterHotKey(main_window, identifier, platform_modifiers(modifiers), virtual_key) ? identifier : 0;
}

int last_identifier() noexcept { return g_last_identifier; }

} // namespace orvanta::hotkey
