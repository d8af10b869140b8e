// Drives the running program's window from outside, as another process on the same desktop: the
// shell test uses it where a Linux tool cannot reach into the window.
//
//   window_driver click paste|copy        presses the button (BM_CLICK) and waits for it to finish
//   window_driver set-result TEXT_IN_HEX  replaces the result box's text
//   window_driver source                  writes the source box's text to stdout, in hex
//   window_driver close                   asks the window to close
//
// Texts go in and out in hex so that their bytes cross the command line and the pipe unchanged.
// Exit code 0 on success, 1 when the window or the control cannot be found.
#include <windows.h>

#include "hex_text.h"

#include <cstring>
#include <string>

namespace {

constexpr DWORD kFindLimitMs = 30000;
constexpr UINT kSendLimitMs = 20000;

HWND find_main_window()
{
    const ULONGLONG end = GetTickCount64() + kFindLimitMs;
    for (;;) {
        const HWND window = FindWindowA("OrvantaMainWindow", nullptr);
        if (window != nullptr && IsWindowVisible(window)) return window;
        if (GetTickCount64() >= end) return nullptr;
        Sleep(50);
    }
}

struct Search {
    const char* caption;
    HWND found;
};

BOOL CALLBACK match_button(HWND child, LPARAM search_address)
{
    auto& search = *reinterpret_cast<Search*>(search_address);
    char class_name[32] = {};
    char caption[256] = {};
    GetClassNameA(child, class_name, sizeof class_name);
    GetWindowTextA(child, caption, sizeof caption);
    if (lstrcmpiA(class_name, "Button") != 0 || std::strcmp(caption, search.caption) != 0) return TRUE;
    search.found = child;
    return FALSE;
}

// A button anywhere under the window: some sit inside a group box.
HWND find_button(HWND window, const char* caption)
{
    Search search{caption, nullptr};
    EnumChildWindows(window, match_button, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The edit box inside the group box of that caption.
HWND box_in_group(HWND window, const char* group_caption)
{
    const HWND group = FindWindowExA(window, nullptr, "Button", group_caption);
    return group == nullptr ? nullptr : FindWindowExA(group, nullptr, "Edit", nullptr);
}

HWND source_box(HWND window) { return box_in_group(window, "原文,仅支持中译英"); }
HWND result_box(HWND window) { return box_in_group(window, "译文,翻译的结果"); }

bool send(HWND target, UINT message, WPARAM w, LPARAM l, DWORD_PTR* result = nullptr)
{
    return SendMessageTimeoutA(target, message, w, l, SMTO_ABORTIFHUNG, kSendLimitMs, result) != 0;
}

using orvanta::testing::from_hex;

bool write_out(const std::string& text)
{
    DWORD written = 0;
    return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
                     nullptr) != FALSE &&
           written == text.size();
}

std::string text_of(HWND control)
{
    DWORD_PTR length = 0;
    if (!send(control, WM_GETTEXTLENGTH, 0, 0, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied);
    text.resize(copied);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    const std::string command = argv[1];
    const HWND window = find_main_window();
    if (window == nullptr) return 1;

    if (command == "click" && argc == 3) {
        const std::string which = argv[2];
        const char* caption = which == "paste" ? "复制粘贴的内容到原文框" : which == "copy" ? "复制译文" : nullptr;
        if (caption == nullptr) return 2;
        const HWND button = find_button(window, caption);
        return button != nullptr && send(button, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (command == "set-result" && argc == 3) {
        std::string text;
        if (!from_hex(argv[2], text)) return 2;
        const HWND box = result_box(window);
        return box != nullptr && send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) ? 0 : 1;
    }
    if (command == "source" && argc == 2) {
        const HWND box = source_box(window);
        if (box == nullptr) return 1;
        static const char digits[] = "0123456789abcdef";
        std::string hex;
        for (const char c : text_of(box)) {
            const auto byte = static_cast<unsigned char>(c);
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
        return write_out(hex + "\n") ? 0 : 1;
    }
    if (command == "close" && argc == 2) return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    return 2;
}
