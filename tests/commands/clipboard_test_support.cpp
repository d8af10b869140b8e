#include "clipboard_test_support.h"

#include <cstring>

#include "window_test_support.h"

namespace orvanta::testing {
namespace {

constexpr DWORD kClipboardLimitMs = 10000;
constexpr DWORD kHolderLimitMs = 20000;

// Owns what the test puts on the clipboard. EmptyClipboard needs an owner for SetClipboardData to
// be allowed afterwards, and the owner gets WM_DESTROYCLIPBOARD when another program empties it.
HWND clipboard_owner()
{
    static const UniqueWindow owner(CreateWindowExA(0, "STATIC", "test clipboard owner", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                    nullptr, GetModuleHandleA(nullptr), nullptr));
    return owner.get();
}

// The test's own opening of the clipboard. The system's bridge to the X selection may hold the
// clipboard for a moment, so it tries for a while, answering messages meanwhile; the commands under
// test never retry.
class TestClipboard {
public:
    TestClipboard()
    {
        const HWND owner = clipboard_owner();
        pump_until(
            [this, owner] {
                open_ = OpenClipboard(owner) != FALSE;
                return open_;
            },
            kClipboardLimitMs);
    }
    TestClipboard(const TestClipboard&) = delete;
    TestClipboard& operator=(const TestClipboard&) = delete;
    ~TestClipboard()
    {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const noexcept { return open_; }

private:
    bool open_ = false;
};

bool set_text(std::string_view text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    if (block == nullptr) return false;
    if (void* data = GlobalLock(block)) {
        std::memcpy(data, text.data(), text.size());
        GlobalUnlock(block);
        if (SetClipboardData(CF_TEXT, block) != nullptr) return true;
    }
    GlobalFree(block);
    return false;
}

bool set_bitmap()
{
    UniqueBitmap bitmap(CreateBitmap(2, 2, 1, 32, nullptr));
    if (!bitmap || SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) return false;
    (void)bitmap.release(); // the clipboard owns it now
    return true;
}

} // namespace

bool put_clipboard_text(std::string_view text)
{
    const TestClipboard clipboard;
    return clipboard && EmptyClipboard() && set_text(text);
}

bool put_clipboard_bitmap()
{
    const TestClipboard clipboard;
    return clipboard && EmptyClipboard() && set_bitmap();
}

bool put_clipboard_bitmap_and_text(std::string_view text)
{
    const TestClipboard clipboard;
    return clipboard && EmptyClipboard() && set_bitmap() && set_text(text);
}

bool empty_clipboard()
{
    const TestClipboard clipboard;
    return clipboard && EmptyClipboard();
}

std::optional<std::string> clipboard_text()
{
    const TestClipboard clipboard;
    if (!clipboard) return std::nullopt;
    const HANDLE block = GetClipboardData(CF_TEXT);
    if (block == nullptr) return std::nullopt;
    const char* data = static_cast<const char*>(GlobalLock(block));
    if (data == nullptr) return std::nullopt;
    std::string text(data, strnlen(data, GlobalSize(block)));
    GlobalUnlock(block);
    return text;
}

std::vector<UINT> clipboard_formats()
{
    std::vector<UINT> formats;
    const TestClipboard clipboard;
    if (!clipboard) return formats;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
        formats.push_back(format);
    return formats;
}

std::string windows_path(std::string unix_path)
{
    for (char& c : unix_path)
        if (c == '/') c = '\\';
    return "Z:" + unix_path;
}

ClipboardHolder::ClipboardHolder(std::optional<std::string_view> text)
{
    static unsigned count = 0;
    const std::string prefix =
        "OrvantaClipboardHolder-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
    const std::string ready_name = prefix + "-ready";
    const std::string stop_name = prefix + "-stop";
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, ready_name.c_str()));
    stop_.reset(CreateEventA(nullptr, TRUE, FALSE, stop_name.c_str()));
    if (!ready_ || !stop_) return;

    std::string command_line =
        '"' + windows_path(ORVANTA_CLIPBOARD_HOLDER_EXE) + "\" " + ready_name + ' ' + stop_name;
    if (text) {
        static const char digits[] = "0123456789abcdef";
        command_line += ' ';
        for (const char c : *text) {
            const auto byte = static_cast<unsigned char>(c);
            command_line += digits[byte >> 4];
            command_line += digits[byte & 15];
        }
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    process_.reset(info.hProcess);
    CloseHandle(info.hThread);

    // Messages are answered while waiting: the helper's EmptyClipboard sends WM_DESTROYCLIPBOARD
    // to the current owner, which may be a window of this thread.
    pump_until(
        [this] {
            return WaitForSingleObject(ready_.get(), 0) == WAIT_OBJECT_0 ||
                   WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
        },
        kHolderLimitMs);
    holding_ = WaitForSingleObject(ready_.get(), 0) == WAIT_OBJECT_0;
}

bool ClipboardHolder::release()
{
    if (!process_) return false;
    SetEvent(stop_.get());
    const bool ended = pump_until([this] { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; },
                                  kHolderLimitMs);
    if (!ended) TerminateProcess(process_.get(), 99);
    DWORD exit_code = 1;
    GetExitCodeProcess(process_.get(), &exit_code);
    process_.reset();
    holding_ = false;
    return ended && exit_code == 0;
}

ClipboardHolder::~ClipboardHolder() { release(); }

} // namespace orvanta::testing
