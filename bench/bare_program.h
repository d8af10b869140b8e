// The floor the program's benchmarks are measured against: the least a Win32 program does to show
// a window of the program's size, painted, and to end the same way (WM_CLOSE, the quit message).
// bare_window.cpp is just that; bare_request.cpp adds the least a Translate button can do.
#pragma once

#include <windows.h>

namespace bare {

struct Extras {
    void (*add_controls)(HWND window, HINSTANCE instance) = nullptr;
    void (*on_click)(int control_id) = nullptr;
};

// Registers the class, creates the 493 x 435 window, lets `extras` fill it, shows it and runs the
// message loop; says it is painted on the debug channel with the program's own line at the moment
// the program does (the first time the queue is empty). Returns the quit message's exit code.
int run(HINSTANCE instance, Extras extras = {});

} // namespace bare
