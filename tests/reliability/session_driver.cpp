// One whole session of the program, driven from another process as a user would go through it:
// translate (against the loopback fake service in this process), paste, copy, F4 twice, Esc.
// The shell test compares the Wine prefix before and after it. Prints one line per step,
// "step | what was tried | what held", and ends with exit code 0 when every step held.
//   session_driver          the session
//   session_driver idle     a window of its own for a second and nothing else: what any Wine
//                           program with a window changes, for the shell test to tell apart
#include <cstdio>
#include <cstring>
#include <string>

#include <ole2.h>
#include <windows.h>

#include "clipboard_test_support.h"
#include "fake_service.h"
#include "main_window.h"
#include "reliability_support.h"
#include "window_test_support.h"

namespace {

using namespace orvanta::testing;

constexpr UINT kSendLimitMs = 30000;

int g_failed = 0;

void step(const char* name, const char* tried, bool held, const std::string& what)
{
    std::printf("%s | %s | %s%s\n", name, tried, held ? "" : "FAILED: ", what.c_str());
    std::fflush(stdout);
    if (!held) ++g_failed;
}

HWND child(HWND parent, const char* window_class, const char* text)
{
    return FindWindowExA(parent, nullptr, window_class, text);
}

void click(HWND button) { SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendLimitMs, nullptr); }

int run()
{
    FakeService service{ORVANTA_TEST_SERVICE_PORT};
    if (!service.listening()) {
        std::printf("port %d is taken\n", ORVANTA_TEST_SERVICE_PORT);
        return 2;
    }
    service.answer_with(json_answer(R"([[["Hello","x"]]])"));

    ProgramCopy program;
    const HWND window = program.wait_for_window();
    if (window == nullptr) {
        std::printf("the program's window did not appear\n");
        return 2;
    }
    const HWND source_group = child(window, "Button", "原文,仅支持中译英");
    const HWND result_group = child(window, "Button", "译文,翻译的结果");
    const HWND source = child(source_group, "Edit", nullptr);
    const HWND result = child(result_group, "Edit", nullptr);
    const HWND translate = child(window, "Button", "翻译");
    const HWND copy = child(window, "Button", "复制译文");
    const HWND paste = child(source_group, "Button", "复制粘贴的内容到原文框");
    if (source == nullptr || result == nullptr || translate == nullptr || copy == nullptr || paste == nullptr) {
        std::printf("the program's controls were not found\n");
        return 2;
    }

    SendMessageTimeoutA(source, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("你好"), SMTO_ABORTIFHUNG, kSendLimitMs,
                        nullptr);
    click(translate);
    const bool translated = pump_until([result] { return text_of(result) == "Hello"; }, 10000);
    step("translate", "a Chinese text in the source box, Translate clicked",
         translated && service.request_lines().size() == 1,
         "result box shows \"" + text_of(result) + "\" after " + std::to_string(service.request_lines().size()) +
             " request(s)");

    const bool put = put_clipboard_text("粘贴的原文");
    click(paste);
    step("paste", "a text put on the clipboard, paste clicked", put && text_of(source) == "粘贴的原文",
         "source box holds the clipboard's text");

    click(copy);
    step("copy", "copy clicked", clipboard_text() == "Hello", "clipboard holds the result");

    const bool in_front = bring_to_foreground(window);
    press_key(VK_F4);
    const bool hidden = pump_until([window] { return !IsWindowVisible(window); }, 5000);
    press_key(VK_F4);
    const bool shown = pump_until([window] { return IsWindowVisible(window) != FALSE; }, 5000);
    step("toggle", "F4 pressed twice", in_front && hidden && shown, "hidden by the first press, shown by the second");

    bring_to_foreground(window);
    press_key(VK_ESCAPE);
    const std::optional<DWORD> exit_code = program.wait_for_exit(20000);
    step("quit", "Esc pressed", exit_code == std::optional<DWORD>(0),
         exit_code ? "ended with exit code " + std::to_string(*exit_code) : std::string("did not end"));
    return g_failed == 0 ? 0 : 1;
}

} // namespace

// A Wine program with a window that does nothing: its changes to the prefix are Wine's own.
int idle()
{
    const orvanta::UniqueWindow window = make_plain_top_level_window();
    ShowWindow(window.get(), SW_SHOW);
    pump_until([] { return false; }, 1000);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "idle") == 0) return idle();
    if (FAILED(OleInitialize(nullptr))) return 3;
    const int result = run();
    OleUninitialize();
    return result;
}
