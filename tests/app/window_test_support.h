// Driving the program's real window from a test: building it as start-up does, pumping its
// messages through the program's own loop step, and pressing real keys.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "main_window.h"
#include "win32_handles.h"

namespace orvanta::testing {

// Dispatches the thread's messages through the program's loop step until `done()` holds or about
// `limit_ms` have passed; true when it held. A quit message is noted, not acted on.
template <typename Condition>
bool pump_until(Condition done, DWORD limit_ms = 5000);

// Runs the queue dry once (messages already waiting, nothing more).
void pump_pending();

// Whether a quit message came through pump_until / pump_pending, and its exit code.
struct QuitSeen {
    bool seen = false;
    WPARAM code = 0;
};
QuitSeen& quit_seen() noexcept;

// Presses and releases a key through SendInput with the modifier keys held (pressed in order,
// released in reverse), as a keyboard sends them.
void press_key_with(WORD virtual_key, const std::vector<WORD>& modifiers);
// Presses and releases a key through SendInput, optionally with Shift held.
void press_key(WORD virtual_key, bool shift = false);
// Types ASCII letters or digits through SendInput.
void type_text(const std::string& letters);

// Makes a window the foreground window and waits until the system agrees.
bool bring_to_foreground(HWND window);

// Another top-level window of the test, to take the activation away from the main window.
UniqueWindow make_plain_top_level_window();

// The main window as start-up leaves it (built, handler run, shown, focus on 按钮1); destroyed and
// its quit message drained afterwards.
class MainWindowSession {
public:
    MainWindowSession();
    MainWindowSession(const MainWindowSession&) = delete;
    MainWindowSession& operator=(const MainWindowSession&) = delete;
    ~MainWindowSession();

    HWND window() const noexcept { return window_; }

private:
    HWND window_;
};

// The direct children of a window, top of the stacking order first.
std::vector<HWND> children_top_down(HWND parent);

std::string window_text(HWND window);
std::string class_name(HWND window);

template <typename Condition>
bool pump_until(Condition done, DWORD limit_ms)
{
    const ULONGLONG end = GetTickCount64() + limit_ms;
    for (;;) {
        pump_pending();
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

} // namespace orvanta::testing
