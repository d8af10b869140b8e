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

double click_ms(Control button)
{
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    SendMessageA(control(button), BM_CLICK, 0, 0);
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
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

namespace {

bool signaled(HANDLE handle) { return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }

} // namespace

HelperProcess::HelperProcess(const std::string& windows_exe, const char* kind, std::size_t extra_events,
                             const std::string& arguments, Waiting waiting, DWORD limit_ms)
    : waiting_(waiting), limit_ms_(limit_ms)
{
    static unsigned count = 0;
    const std::string prefix =
        std::string("Orvanta") + kind + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
    std::string command_line = '"' + windows_exe + '"';
    const auto add_event = [&](const std::string& name, BOOL manual_reset) {
        command_line += ' ' + prefix + '-' + name;
        return UniqueKernelHandle(CreateEventA(nullptr, manual_reset, FALSE, (prefix + '-' + name).c_str()));
    };
    ready_ = add_event("ready", TRUE);
    stop_ = add_event("stop", TRUE);
    bool events_made = ready_ && stop_;
    for (std::size_t i = 0; i < extra_events; ++i) {
        extra_events_.push_back(add_event(std::to_string(i), FALSE));
        events_made = events_made && extra_events_.back();
    }
    if (!events_made) return;
    if (!arguments.empty()) command_line += ' ' + arguments;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    process_.reset(info.hProcess);
    CloseHandle(info.hThread);

    wait([this] { return signaled(ready_.get()) || signaled(process_.get()); }, {ready_.get(), process_.get()});
    holding_ = signaled(ready_.get());
}

template <typename Condition>
void HelperProcess::wait(Condition done, const std::vector<HANDLE>& handles) const
{
    if (waiting_ == Waiting::pumping) {
        pump_until(done, limit_ms_);
    } else {
        WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, limit_ms_);
    }
}

bool HelperProcess::release()
{
    if (!process_) return false;
    SetEvent(stop_.get());
    wait([this] { return signaled(process_.get()); }, {process_.get()});
    const bool ended = signaled(process_.get());
    if (!ended) TerminateProcess(process_.get(), 99);
    DWORD exit_code = 1;
    GetExitCodeProcess(process_.get(), &exit_code);
    process_.reset();
    holding_ = false;
    return ended && exit_code == 0;
}

} // namespace orvanta::testing
