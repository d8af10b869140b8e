// Start-up and the end of the program.
#include <string>

#include <ole2.h>

#include "fatal_error.h"
#include "main_window.h"

namespace orvanta {

std::string_view folder_of(std::string_view program_path) noexcept
{
    // Walk by characters: the second byte of a double-byte character may be 0x5C, a backslash.
    std::size_t last_separator = std::string_view::npos;
    for (std::size_t index = 0; index < program_path.size(); ++index) {
        const char byte = program_path[index];
        if (byte == '\\' || byte == '/') last_separator = index;
        else if (IsDBCSLeadByte(static_cast<BYTE>(byte))) ++index;
    }
    if (last_separator == std::string_view::npos) return {};
    // "C:\x.exe" lives in "C:\"; "C:" alone would name the drive's current folder instead.
    const bool root = last_separator == 2 && program_path[1] == ':';
    return program_path.substr(0, root ? last_separator + 1 : last_separator);
}

void enter_program_folder() noexcept
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::string folder(folder_of(path));
    if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
}

HWND start_main_window(HINSTANCE instance)
{
    const HWND window = build_main_window(instance);
    if (window == nullptr) return nullptr;
    __启动窗口_创建完毕();
    ShowWindow(window, SW_SHOW);
    SetFocus(control(Control::按钮1));
    return window;
}

int run_program(HINSTANCE instance)
{
    install_out_of_memory_handler();
    // The translation client's request object needs the thread to be a single-threaded apartment;
    // if OLE will not start, translations come back empty and the window still works.
    const bool ole = SUCCEEDED(OleInitialize(nullptr));
    enter_program_folder();

    if (start_main_window(instance) == nullptr) fatal_error("主窗口无法创建，程序无法运行。");
    run_message_loop();
    if (ole) OleUninitialize();
    return 0;
}

} // namespace orvanta
