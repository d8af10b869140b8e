# Compiler settings every target of the project shares.

# Sources are UTF-8; the program's texts must be GBK bytes (code page 936) in the binary.
# clang cannot re-encode literals, so portable code keeps its literals ASCII.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(ORVANTA_GBK_FLAGS -finput-charset=UTF-8 -fexec-charset=GBK)
else()
  set(ORVANTA_GBK_FLAGS)
endif()

function(orvanta_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion)
  if(ORVANTA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A Windows executable that needs no DLL beyond those every Windows has.
function(orvanta_static_runtime target)
  if(WIN32)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()

if(WIN32)
  # Windows 7 API level; the A functions are used throughout (texts are ANSI bytes).
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
endif()

if(WIN32)
  # The program is small only if the linker may drop what nothing calls, down to single functions
  # of the static runtime.
  add_compile_options($<$<CONFIG:Release,MinSizeRel>:-Os> -ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
endif()

# The program's own code: it throws and catches nothing (app/lean_runtime.cpp ends it instead),
# and its local statics are first reached on the user-interface thread, so they need no lock (the
# lock would link the threads library).
function(orvanta_program_code)
  if(WIN32)
    foreach(target IN LISTS ARGN)
      target_compile_options(${target} PRIVATE -fno-exceptions -fno-threadsafe-statics)
    endforeach()
  endif()
endfunction()

# A program as it ships: the lean runtime in place of the throwing one, no symbols in release builds.
function(orvanta_lean_program target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/app/lean_runtime.cpp)
  target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  orvanta_program_code(${target})
endfunction()
