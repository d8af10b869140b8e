// The program's only way of giving up: an error message box, then exit code -1.
#pragma once

namespace orvanta {

[[noreturn]] void fatal_error(const char* message) noexcept;

[[noreturn]] void fatal_out_of_memory() noexcept;

// From now on a failed allocation anywhere ends the program through fatal_out_of_memory.
void install_out_of_memory_handler() noexcept;

} // namespace orvanta
