// What the reliability tests share: another process holding F4, another copy of the program, and
// the code page conversions the checks compare with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <windows.h>

#include "main_window.h"
#include "win32_handles.h"
#include "window_test_support.h"

namespace orvanta::testing {

// The text converted from code page 936 to UTF-8, by the platform, independently of the program.
std::string utf8_from_gbk(std::string_view gbk);
std::string gbk_from_utf8(std::string_view utf8);

// The text= value of a request line, as it came off the wire; nullopt when the line has none.
std::optional<std::string> text_parameter(std::string_view request_line);
// %XX sequences decoded; nullopt when one is malformed.
std::optional<std::string> percent_decoded(std::string_view encoded);

// The helper process hot_key_holder, holding plain F4 from start to end of this object.
class HotKeyHolder {
public:
    HotKeyHolder();

    bool holding() const noexcept { return helper_.holding(); }
    // Whether F4 reached the helper within the time given (messages of this thread are dispatched meanwhile).
    bool pressed_within(DWORD limit_ms) const;
    // Lets the key go; true when the helper ended as it should.
    bool release() { return helper_.release(); }

private:
    HelperProcess helper_;
};

// Another copy of the program (the loopback build), started as a user starts it.
class ProgramCopy {
public:
    ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;
    ~ProgramCopy(); // ends it, if it still runs

    bool started() const noexcept { return static_cast<bool>(process_); }
    // Its main window, once shown; nullptr when none came within the limit.
    HWND wait_for_window(DWORD limit_ms = 30000) const;
    // Waits for the process to end; its exit code, or nullopt when it did not end within the limit.
    std::optional<DWORD> wait_for_exit(DWORD limit_ms = 30000) const;
    // Closes the window as its Close button does and waits for the process to end.
    std::optional<DWORD> close(HWND window);

private:
    PROCESS_INFORMATION info_{};
    UniqueKernelHandle process_;
    UniqueKernelHandle thread_;
};

// Text of another process's control, through a message with a time-out.
std::string text_of(HWND window);

} // namespace orvanta::testing
