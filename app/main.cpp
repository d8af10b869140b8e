// The program's entry point. It reads no command line and ignores the show command it is started
// with: the window always opens with SW_SHOW.
#include <windows.h>

#include "main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return orvanta::run_program(instance); }
