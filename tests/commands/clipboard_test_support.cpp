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

namespace {

// The text in hex, so that its bytes survive the command line unchanged.
std::string hex_argument(std::optional<std::string_view> text)
{
    std::string hex;
    if (!text) return hex;
    static const char digits[] = "0123456789abcdef";
    for (const char c : *text) {
        const auto byte = static_cast<unsigned char>(c);
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

} // namespace

// Messages are answered while waiting: the helper's EmptyClipboard sends WM_DESTROYCLIPBOARD to
// the current owner, which may be a window of this thread.
ClipboardHolder::ClipboardHolder(std::optional<std::string_view> text)
    : helper_(windows_path(ORVANTA_CLIPBOARD_HOLDER_EXE), "ClipboardHolder", 0, hex_argument(text),
              HelperProcess::Waiting::pumping, kHolderLimitMs)
{
}

} // namespace orvanta::testing
