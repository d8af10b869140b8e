// The program's own allocation and failure routines, linked in place of the C++ runtime's.
//
// The program catches no exception: every failure the runtime would throw ends it anyway. The
// runtime's versions of these routines throw, and throwing drags in the unwinder, the exception
// classes with their copy-on-write strings, the threads library for the unwinder's locks, the
// demangler and printf for the terminate message: about 200 KB of a program that is otherwise a
// fifth of that. Ending the program here gives the same outcome without any of it.
#include <cstdlib>
#include <new>

#include "fatal_error.h"

namespace {

// A failed allocation goes through the new handler (install_out_of_memory_handler sets one) as
// the standard operator new does; without one there is nothing left to try.
[[noreturn]] void out_of_memory() noexcept
{
    if (const std::new_handler handler = std::get_new_handler()) handler();
    orvanta::fatal_out_of_memory();
}

void* allocate(std::size_t size) noexcept
{
    if (size == 0) size = 1;
    for (;;) {
        if (void* block = std::malloc(size)) return block;
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) orvanta::fatal_out_of_memory();
        handler();
    }
}

} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

// What the library's containers and strings call where they would throw. A size past max_size()
// is an allocation that cannot succeed; the rest are faults in the program, ended as an uncaught
// exception would end them. All of them, so the runtime's own set is never linked.
namespace std {

[[noreturn]] void __throw_bad_alloc() { out_of_memory(); }
[[noreturn]] void __throw_bad_array_new_length() { out_of_memory(); }
[[noreturn]] void __throw_length_error(const char*) { out_of_memory(); }
[[noreturn]] void __throw_bad_exception() { std::abort(); }
[[noreturn]] void __throw_bad_cast() { std::abort(); }
[[noreturn]] void __throw_bad_typeid() { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_domain_error(const char*) { std::abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
[[noreturn]] void __throw_runtime_error(const char*) { std::abort(); }
[[noreturn]] void __throw_range_error(const char*) { std::abort(); }
[[noreturn]] void __throw_overflow_error(const char*) { std::abort(); }
[[noreturn]] void __throw_underflow_error(const char*) { std::abort(); }

} // namespace std

// Should anything still reach std::terminate (an exception thrown by code built with exceptions),
// end without the runtime's message: printing it links the demangler and printf, some 60 KB.
namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

} // namespace __gnu_cxx
