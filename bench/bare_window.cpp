// The start-up and memory floor: a class, one 493 x 435 window, shown, painted, closed.
#include "bare_program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return bare::run(instance); }
