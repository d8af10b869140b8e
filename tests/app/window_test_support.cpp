#include "window_test_support.h"

namespace orvanta::testing {

QuitSeen& quit_seen() noexcept
{
    static QuitSeen seen;
    return seen;
}

void pump_pending()
{
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit_seen() = {true, message.wParam};
            continue;
        }
        handle_message(message);
    }
}

namespace {

INPUT key_input(WORD virtual_key, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtual_key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void send(std::vector<INPUT> inputs)
{
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

} // namespace

void press_key_with(WORD virtual_key, const std::vector<WORD>& modifiers)
{
    std::vector<INPUT> inputs;
    for (const WORD modifier : modifiers) inputs.push_back(key_input(modifier, false));
    inputs.push_back(key_input(virtual_key, false));
    inputs.push_back(key_input(virtual_key, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) inputs.push_back(key_input(*it, true));
    send(std::move(inputs));
}

void press_key(WORD virtual_key, bool shift)
{
    press_key_with(virtual_key, shift ? std::vector<WORD>{VK_SHIFT} : std::vector<WORD>{});
}

void type_text(const std::string& letters)
{
    for (const char letter : letters) {
        const auto key = static_cast<WORD>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
        press_key(key);
    }
}

bool bring_to_foreground(HWND window)
{
    SetForegroundWindow(window);
    return pump_until([window] { return GetForegroundWindow() == window; });
}

UniqueWindow make_plain_top_level_window()
{
    return UniqueWindow(CreateWindowExA(0, "STATIC", "other window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                        nullptr, GetModuleHandleA(nullptr), nullptr));
}

MainWindowSession::MainWindowSession() : window_(start_main_window(GetModuleHandleA(nullptr)))
{
    quit_seen() = {};
    pump_pending();
}

MainWindowSession::~MainWindowSession()
{
    if (IsWindow(window_)) DestroyWindow(window_);
    // The window posted its quit message; it must not end a later message box or loop.
    pump_pending();
}

std::vector<HWND> children_top_down(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::string window_text(HWND window)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string class_name(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

} // namespace orvanta::testing
