// A small Windows helper for the end-to-end hot key script, which drives the program from Linux:
//   hot_key_probe window           shows a plain window of another program, to hold the keyboard focus
//                                  (ends on WM_CLOSE, or after two minutes at the latest)
//   hot_key_probe f4-free          exit code 0 when plain F4 can be registered now, 1 when it is taken
//   hot_key_probe translate PORT DELAY_MS
//                                  serves one slow answer on PORT, clicks the running program's
//                                  Translate button, and reports when the request came, when the
//                                  result box showed the answer and when the window went hidden
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <windows.h>

#include "fake_service.h"
#include "main_window.h"

namespace {

int show_window()
{
    const HWND window = CreateWindowExA(0, "STATIC", "Orvanta hot key probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                        240, 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) return 2;
    std::printf("window %p\n", static_cast<void*>(window));
    std::fflush(stdout);
    const ULONGLONG end = GetTickCount64() + 120000;
    while (IsWindow(window) && GetTickCount64() < end) {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            // A STATIC window does not end on WM_CLOSE by itself.
            if (message.message == WM_CLOSE || (message.message == WM_SYSCOMMAND && message.wParam == SC_CLOSE)) {
                DestroyWindow(window);
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return 0;
}

int f4_free()
{
    if (!RegisterHotKey(nullptr, 1, 0, VK_F4)) return 1;
    UnregisterHotKey(nullptr, 1);
    return 0;
}

std::string text_of(HWND window, UINT limit_ms)
{
    char text[256] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, limit_ms,
                             &copied)) {
        return {};
    }
    return text;
}

int translate(std::uint16_t port, unsigned delay_ms)
{
    orvanta::testing::FakeService service{port};
    if (!service.listening()) {
        std::printf("port %u is taken\n", port);
        return 2;
    }
    orvanta::testing::FakeAnswer answer = orvanta::testing::json_answer(R"([[["Hello","x"]]])");
    answer.delay_ms = delay_ms;
    service.answer_with(answer);

    const HWND window = FindWindowA(orvanta::kMainWindowClass, orvanta::kMainWindowCaption);
    // The group boxes by their captions: 原文,仅支持中译英 and 译文,翻译的结果.
    const HWND source_group =
        FindWindowExA(window, nullptr, "Button", "\xD4\xAD\xCE\xC4,\xBD\xF6\xD6\xA7\xB3\xD6\xD6\xD0\xD2\xEB\xD3\xA2");
    const HWND result_group =
        FindWindowExA(window, nullptr, "Button", "\xD2\xEB\xCE\xC4,\xB7\xAD\xD2\xEB\xB5\xC4\xBD\xE1\xB9\xFB");
    const HWND translate_button = FindWindowExA(window, nullptr, "Button", "\xB7\xAD\xD2\xEB"); // 翻译
    const HWND source = FindWindowExA(source_group, nullptr, "Edit", nullptr);
    const HWND result = FindWindowExA(result_group, nullptr, "Edit", nullptr);
    if (window == nullptr || translate_button == nullptr || source == nullptr || result == nullptr) {
        std::printf("the program's window or controls were not found\n");
        return 2;
    }
    SendMessageTimeoutA(source, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\xC4\xE3\xBA\xC3"), SMTO_NORMAL, 10000,
                        nullptr);
    // Posted: the click blocks the program's thread for the whole translation, not this one.
    PostMessageA(translate_button, BM_CLICK, 0, 0);

    const ULONGLONG give_up = GetTickCount64() + 30000;
    while (service.request_lines().empty() && GetTickCount64() < give_up) Sleep(5);
    if (service.request_lines().empty()) {
        std::printf("no request came\n");
        return 1;
    }
    const ULONGLONG request_tick = GetTickCount64();
    std::printf("request\n");
    std::fflush(stdout);

    // Answered only once the program's thread is free again, which is when the translation has ended.
    std::atomic<ULONGLONG> result_tick{0};
    std::thread reader([&result_tick, result, give_up] {
        while (GetTickCount64() < give_up) {
            if (text_of(result, 5000) == "Hello") {
                result_tick = GetTickCount64();
                return;
            }
            Sleep(10);
        }
    });
    ULONGLONG hidden_tick = 0;
    while (GetTickCount64() < give_up) {
        if (!IsWindowVisible(window)) {
            hidden_tick = GetTickCount64();
            break;
        }
        Sleep(5);
    }
    reader.join();
    if (result_tick != 0) std::printf("result\n");
    if (hidden_tick == 0) {
        std::printf("the window was not hidden\n");
        return 1;
    }
    // The answer leaves the service no sooner than DELAY_MS after the request; a window hidden earlier
    // was hidden while the translation was still waiting for it. (The request was noticed at most a
    // polling step late, hence the small allowance.)
    const ULONGLONG earliest = request_tick + delay_ms - 50;
    std::printf("hidden %llu ms after the request, the answer was due after %u ms\n",
                static_cast<unsigned long long>(hidden_tick - request_tick), delay_ms);
    if (hidden_tick < earliest) {
        std::printf("hidden while the translation was in progress\n");
        return 1;
    }
    return result_tick != 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "window") == 0) return show_window();
    if (argc >= 2 && std::strcmp(argv[1], "f4-free") == 0) return f4_free();
    if (argc >= 4 && std::strcmp(argv[1], "translate") == 0)
        return translate(static_cast<std::uint16_t>(std::atoi(argv[2])), static_cast<unsigned>(std::atoi(argv[3])));
    std::printf("usage: hot_key_probe window | f4-free | translate PORT DELAY_MS\n");
    return 2;
}
