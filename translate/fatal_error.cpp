#include "fatal_error.h"

#include <new>

#include <windows.h>

namespace orvanta {

void fatal_error(const char* message) noexcept
{
    MessageBoxA(nullptr, message, "Orvanta", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(static_cast<UINT>(-1));
}

void fatal_out_of_memory() noexcept { fatal_error("内存不足，程序无法继续运行。"); }

void install_out_of_memory_handler() noexcept
{
    std::set_new_handler([] { fatal_out_of_memory(); });
}

} // namespace orvanta
