#include "bare_program.h"

#include "main_window.h"

namespace bare {
namespace {

Extras g_extras;

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wparam) == BN_CLICKED && g_extras.on_click != nullptr) g_extras.on_click(LOWORD(wparam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

} // namespace

int run(HINSTANCE instance, Extras extras)
{
    g_extras = extras;
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = "BareWindow";
    if (RegisterClassA(&window_class) == 0) return 1;
    const HWND window = CreateWindowExA(0, "BareWindow", "bare", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                        CW_USEDEFAULT, CW_USEDEFAULT, orvanta::kMainWindowWidth,
                                        orvanta::kMainWindowHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    if (extras.add_controls != nullptr) extras.add_controls(window, instance);
    ShowWindow(window, SW_SHOW);

    MSG message{};
    bool painted = false;
    for (;;) {
        if (!painted && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            OutputDebugStringA(orvanta::kWindowPaintedDebugLine);
            painted = true;
        }
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return 1;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace bare
