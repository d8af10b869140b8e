// The program's only window: its controls, the operations the commands use on them, start-up and
// the message loop.
//
// There is one main window per process; everything here runs on the user-interface thread.
#pragma once

#include <optional>
#include <string_view>

#include <windows.h>

#include "translation_client.h"

namespace orvanta {

// The controls, in the order they are created.
enum class Control : int {
    按钮1,
    分组框1,
    编辑框1,
    编辑框2,
    分组框2,
    按钮2,
    按钮3,
    按钮4,
    按钮5,
    标签1,
};
inline constexpr int kControlCount = static_cast<int>(Control::标签1) + 1;

inline constexpr const char* kMainWindowCaption = "Orvanta  -  F4可隐藏/呼出";
inline constexpr const char* kMainWindowClass = "OrvantaMainWindow";
inline constexpr const char* kLabelClass = "OrvantaLabel";
inline constexpr const char* kIconResource = "DEFAULT_ICON";
inline constexpr int kMainWindowWidth = 493;  // frame and caption included
inline constexpr int kMainWindowHeight = 435;

// Builds the main window hidden, with every control; nullptr when it cannot be built.
HWND build_main_window(HINSTANCE instance);

// The main window, or nullptr while there is none.
HWND main_window() noexcept;
// A control of the main window, or nullptr while there is none.
HWND control(Control which) noexcept;
// The control a window handle belongs to, if it is one of the main window's.
std::optional<Control> control_from_window(HWND window) noexcept;

// A fresh copy of the whole text of a text box.
Text read_text(Control box);
// Replaces the whole text of a text box with exactly these bytes.
void write_text(Control box, std::string_view text);

bool main_window_visible() noexcept;
void set_main_window_visible(bool visible) noexcept;

// Handles a key press meant for the main window or one of its controls before the control sees it;
// true when the key was used up here.
bool pretranslate_key(const MSG& message) noexcept;

// One message of the loop: keyboard pre-translation, then the usual translate and dispatch.
void handle_message(const MSG& message) noexcept;

// Runs the message loop until the quit message; returns its exit code. Once the window is first
// painted in full it says so on the debug channel (OutputDebugStringA) with this line.
inline constexpr const char* kWindowPaintedDebugLine = "orvanta: window painted\n";
int run_message_loop() noexcept;

// Makes the folder that holds the program file the current directory.
void enter_program_folder() noexcept;
// The folder part of a program path in the ANSI code page (a trail byte may be a backslash).
std::string_view folder_of(std::string_view program_path) noexcept;

// The window-created handler: runs once, while the window is still hidden.
void __启动窗口_创建完毕();

// The hidden label's feedback handler, run by the hot key's notification: toggles the main window's
// visibility. Both parameters (the hot key's identifier and 0) are ignored; the result is 0.
int _标签1_反馈事件(int 参数一, int 参数二);

// Builds the window, runs the window-created handler and shows the window with the focus on 按钮1;
// nullptr when the window cannot be built.
HWND start_main_window(HINSTANCE instance);

// The whole program from start to end; returns the process exit code.
int run_program(HINSTANCE instance);

} // namespace orvanta
