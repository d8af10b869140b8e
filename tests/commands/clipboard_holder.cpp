// Another process that holds the clipboard open, so the tests can see what the commands do when
// they cannot have it.
//
//   clipboard_holder READY_EVENT STOP_EVENT [TEXT_IN_HEX]
//
// Opens the clipboard, puts the text on it when one is given (hex, so the bytes survive the command
// line unchanged), sets the event READY_EVENT and keeps the clipboard open until STOP_EVENT is set
// or a minute has passed, then closes it. Exit code 0 when it held the clipboard.
#include <windows.h>

#include "hex_text.h"
#include "win32_handles.h"

#include <cstring>
#include <string>

namespace {

constexpr DWORD kOpenLimitMs = 10000;
constexpr DWORD kHoldLimitMs = 60000;

orvanta::UniqueKernelHandle open_event(const char* name)
{
    return orvanta::UniqueKernelHandle(OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name));
}

class HeldClipboard {
public:
    // The clipboard may be busy for a moment (the system's own clipboard bridge): try for a while.
    explicit HeldClipboard(HWND owner)
    {
        const ULONGLONG end = GetTickCount64() + kOpenLimitMs;
        while (!(open_ = OpenClipboard(owner) != FALSE) && GetTickCount64() < end) Sleep(10);
    }
    HeldClipboard(const HeldClipboard&) = delete;
    HeldClipboard& operator=(const HeldClipboard&) = delete;
    ~HeldClipboard()
    {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const noexcept { return open_; }

private:
    bool open_ = false;
};

using orvanta::testing::from_hex;

bool put_text(const std::string& text)
{
    EmptyClipboard();
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

// Waits for the event while answering messages, so that nobody sending to the owner waits on us.
void wait_pumping(HANDLE event)
{
    const ULONGLONG end = GetTickCount64() + kHoldLimitMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        const DWORD result =
            MsgWaitForMultipleObjects(1, &event, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        if (result != WAIT_OBJECT_0 + 1) return;
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) return 2;
    std::string text;
    if (argc == 4 && !from_hex(argv[3], text)) return 2;
    const orvanta::UniqueKernelHandle ready = open_event(argv[1]);
    const orvanta::UniqueKernelHandle stop = open_event(argv[2]);
    if (!ready || !stop) return 3;

    const orvanta::UniqueWindow owner(CreateWindowExA(0, "STATIC", "clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                      nullptr, GetModuleHandleA(nullptr), nullptr));
    const HeldClipboard clipboard(owner.get());
    if (!clipboard) return 4;
    if (argc == 4 && !put_text(text)) return 5;
    SetEvent(ready.get());
    wait_pumping(stop.get());
    return 0;
}
