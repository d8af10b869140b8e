// Another program that holds plain F4 as its own hot key, so the tests can see the translator start
// and work without the key.
//
//   hot_key_holder READY_EVENT STOP_EVENT PRESSED_EVENT
//
// Registers F4 for its thread, sets READY_EVENT, sets PRESSED_EVENT each time the key reaches it,
// and lets the key go when STOP_EVENT is set or a minute has passed. Exit code 0 when it held the key,
// 4 when the key was taken already.
#include <windows.h>

#include "win32_handles.h"

namespace {

constexpr int kHotKeyId = 1;
constexpr DWORD kHoldLimitMs = 60000;

orvanta::UniqueKernelHandle open_event(const char* name)
{
    return orvanta::UniqueKernelHandle(OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) return 2;
    const orvanta::UniqueKernelHandle ready = open_event(argv[1]);
    const orvanta::UniqueKernelHandle stop = open_event(argv[2]);
    const orvanta::UniqueKernelHandle pressed = open_event(argv[3]);
    if (!ready || !stop || !pressed) return 3;

    // No window: WM_HOTKEY comes to the thread's queue.
    if (!RegisterHotKey(nullptr, kHotKeyId, 0, VK_F4)) return 4;
    SetEvent(ready.get());

    const HANDLE stop_event = stop.get();
    const ULONGLONG end = GetTickCount64() + kHoldLimitMs;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        const DWORD woke =
            MsgWaitForMultipleObjects(1, &stop_event, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) break;
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message == WM_HOTKEY && message.wParam == kHotKeyId) SetEvent(pressed.get());
    }
    UnregisterHotKey(nullptr, kHotKeyId);
    return 0;
}
