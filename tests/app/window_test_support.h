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

// Milliseconds the window's thread spends in the click of a button: while a command runs, input to
// the window waits, so this is the time the window stands frozen for the user.
double click_ms(Control button);

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

// A helper program of the tests, started with the names of events it shares with this process:
// it sets the first once it holds what the test wants of it, and lets go and ends when the second
// is set; `extra_events` further names (auto-reset events) and then `arguments` follow them.
class HelperProcess {
public:
    enum class Waiting { blocked, pumping }; // pumping: this thread's messages are dispatched meanwhile

    HelperProcess(const std::string& windows_exe, const char* kind, std::size_t extra_events,
                  const std::string& arguments, Waiting waiting, DWORD limit_ms);
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;
    ~HelperProcess() { release(); }

    // Whether the helper said it was ready, and has not been released since.
    bool holding() const noexcept { return holding_; }
    HANDLE extra_event(std::size_t index) const noexcept { return extra_events_[index].get(); }
    // Lets the helper end and waits for it; true when it ended with exit code 0.
    bool release();

private:
    template <typename Condition>
    void wait(Condition done, const std::vector<HANDLE>& handles) const;

    Waiting waiting_;
    DWORD limit_ms_;
    UniqueKernelHandle ready_;
    UniqueKernelHandle stop_;
    std::vector<UniqueKernelHandle> extra_events_;
    UniqueKernelHandle process_;
    bool holding_ = false;
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
