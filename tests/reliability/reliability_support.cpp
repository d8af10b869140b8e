#include "reliability_support.h"

#include "clipboard_test_support.h"
#include "hex_text.h"
#include "window_test_support.h"

namespace orvanta::testing {
namespace {

constexpr DWORD kHelperLimitMs = 30000;
constexpr UINT kCodePage = 936;

std::string convert(std::string_view text, UINT from, UINT to)
{
    if (text.empty()) return {};
    const int wide_length = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), wide_length);
    const int length = WideCharToMultiByte(to, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wide_length, converted.data(), length, nullptr, nullptr);
    return converted;
}

} // namespace

std::string utf8_from_gbk(std::string_view gbk) { return convert(gbk, kCodePage, CP_UTF8); }
std::string gbk_from_utf8(std::string_view utf8) { return convert(utf8, CP_UTF8, kCodePage); }

std::optional<std::string> text_parameter(std::string_view request_line)
{
    constexpr std::string_view start = "?client=t&text=";
    constexpr std::string_view end = "&slzh-CN&tl=en HTTP/1.1";
    const std::size_t from = request_line.find(start);
    if (from == std::string_view::npos || !request_line.ends_with(end)) return std::nullopt;
    const std::size_t first = from + start.size();
    return std::string(request_line.substr(first, request_line.size() - end.size() - first));
}

std::optional<std::string> percent_decoded(std::string_view encoded)
{
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            decoded.push_back(encoded[i]);
            continue;
        }
        if (i + 2 >= encoded.size()) return std::nullopt;
        const int high = hex_digit(encoded[i + 1]);
        const int low = hex_digit(encoded[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        decoded.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return decoded;
}

HotKeyHolder::HotKeyHolder()
    : helper_(windows_path(ORVANTA_HOT_KEY_HOLDER_EXE), "HotKeyHolder", 1, "", HelperProcess::Waiting::blocked,
              kHelperLimitMs)
{
}

bool HotKeyHolder::pressed_within(DWORD limit_ms) const
{
    const HANDLE pressed = helper_.extra_event(0);
    return pump_until([pressed] { return WaitForSingleObject(pressed, 0) == WAIT_OBJECT_0; }, limit_ms);
}

ProgramCopy::ProgramCopy()
{
    std::string command_line = '"' + windows_path(ORVANTA_LOOPBACK_EXE) + '"';
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_)) {
        process_.reset(info_.hProcess);
        thread_.reset(info_.hThread);
    }
}

ProgramCopy::~ProgramCopy()
{
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.get(), 99);
}

HWND ProgramCopy::wait_for_window(DWORD limit_ms) const
{
    HWND found = nullptr;
    pump_until(
        [&found, this] {
            found = nullptr;
            for (HWND window = FindWindowExA(nullptr, nullptr, kMainWindowClass, kMainWindowCaption); window != nullptr;
                 window = FindWindowExA(nullptr, window, kMainWindowClass, kMainWindowCaption)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == info_.dwProcessId && IsWindowVisible(window)) found = window;
            }
            return found != nullptr;
        },
        limit_ms);
    return found;
}

std::optional<DWORD> ProgramCopy::close(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    return wait_for_exit();
}

std::optional<DWORD> ProgramCopy::wait_for_exit(DWORD limit_ms) const
{
    if (!process_) return std::nullopt;
    if (!pump_until([this] { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }, limit_ms))
        return std::nullopt;
    DWORD exit_code = 1234;
    GetExitCodeProcess(process_.get(), &exit_code);
    return exit_code;
}

std::string text_of(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 10000, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        10000, &copied);
    text.resize(copied);
    return text;
}

} // namespace orvanta::testing
