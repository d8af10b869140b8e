#include "clipboard.h"

#include <cstring>

namespace orvanta {
namespace {

// Holds the clipboard open for one scope.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) noexcept : open_(OpenClipboard(owner) != FALSE) {}
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    ~OpenClipboardScope()
    {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const noexcept { return open_; }

private:
    bool open_;
};

// GlobalLock / GlobalUnlock of one memory block.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL block) noexcept : block_(block), data_(GlobalLock(block)) {}
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    ~GlobalLockScope()
    {
        if (data_ != nullptr) GlobalUnlock(block_);
    }
    void* data() const noexcept { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};

// A block of global memory until the clipboard takes it over.
class OwnedGlobal {
public:
    explicit OwnedGlobal(HGLOBAL block) noexcept : block_(block) {}
    OwnedGlobal(const OwnedGlobal&) = delete;
    OwnedGlobal& operator=(const OwnedGlobal&) = delete;
    ~OwnedGlobal()
    {
        if (block_ != nullptr) GlobalFree(block_);
    }
    HGLOBAL get() const noexcept { return block_; }
    void hand_over() noexcept { block_ = nullptr; }

private:
    HGLOBAL block_;
};

} // namespace

Text read_clipboard_text()
{
    const OpenClipboardScope clipboard(nullptr);
    if (!clipboard) return {};
    const HANDLE block = GetClipboardData(CF_TEXT);
    if (block == nullptr) return {};
    const GlobalLockScope lock(block);
    if (lock.data() == nullptr) return {};
    // Another program wrote the block: never read past its end, even without a terminating zero.
    const char* text = static_cast<const char*>(lock.data());
    return Text(text, strnlen(text, GlobalSize(block)));
}

void write_clipboard_text(std::string_view text, HWND owner)
{
    const OpenClipboardScope clipboard(owner);
    if (!clipboard) return;
    EmptyClipboard();
    OwnedGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1));
    if (block.get() == nullptr) return;
    {
        const GlobalLockScope lock(block.get());
        if (lock.data() == nullptr) return;
        std::memcpy(lock.data(), text.data(), text.size()); // the block is zeroed: the terminator is there
    }
    // Only a successful SetClipboardData hands the block to the system; otherwise it is ours to free.
    if (SetClipboardData(CF_TEXT, block.get()) != nullptr) block.hand_over();
}

} // namespace orvanta
