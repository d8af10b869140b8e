// The program as a whole process: started as a user starts it, it shows its window, translates
// through it, and Esc ends it with exit code 0.
#include <gtest/gtest.h>

#include <string>

#include "fake_service.h"
#include "main_window.h"
#include "win32_handles.h"
#include "window_test_support.h"

namespace orvanta {
namespace {

using testing::FakeService;
using testing::json_answer;
using testing::press_key;
using testing::pump_until;

constexpr std::uint16_t kPort = ORVANTA_TEST_SERVICE_PORT;

std::string windows_path(std::string unix_path)
{
    for (char& c : unix_path)
        if (c == '/') c = '\\';
    return "Z:" + unix_path;
}

class ProgramProcess {
public:
    ProgramProcess()
    {
        std::string command_line = '"' + windows_path(ORVANTA_LOOPBACK_EXE) + '"';
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        // Started from another folder: the program moves to its own.
        if (CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &startup,
                           &info_)) {
            process_.reset(info_.hProcess);
            thread_.reset(info_.hThread);
        }
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;
    ~ProgramProcess()
    {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.get(), 99);
    }

    HANDLE process() const noexcept { return process_.get(); }

    // The program's main window, once it is on the screen.
    HWND wait_for_window() const
    {
        HWND window = nullptr;
        pump_until(
            [&window, this] {
                window = FindWindowA(kMainWindowClass, kMainWindowCaption);
                DWORD owner = 0;
                if (window != nullptr) GetWindowThreadProcessId(window, &owner);
                return window != nullptr && owner == info_.dwProcessId && IsWindowVisible(window);
            },
            30000);
        return window;
    }

private:
    PROCESS_INFORMATION info_{};
    UniqueKernelHandle process_;
    UniqueKernelHandle thread_;
};

// Another process's control, found the way a user finds it: by its text and place.
HWND child(HWND parent, const char* window_class, const char* text)
{
    return FindWindowExA(parent, nullptr, window_class, text);
}

std::string text_of(HWND window)
{
    char text[256] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 10000,
                        nullptr);
    return text;
}

TEST(ProcessTest, ShowsItsWindowTranslatesAndEndsWithEscAndExitCodeZero)
{
    FakeService service{kPort};
    ASSERT_TRUE(service.listening());
    service.answer_with(json_answer(R"([[["Hello","x"]]])"));

    ProgramProcess program;
    ASSERT_NE(program.process(), nullptr) << "cannot start " << ORVANTA_LOOPBACK_EXE;
    const HWND window = program.wait_for_window();
    ASSERT_NE(window, nullptr) << "the window did not appear";

    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 493) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 435) / 2);

    const HWND source_group = child(window, "Button", "\xD4\xAD\xCE\xC4,\xBD\xF6\xD6\xA7\xB3\xD6\xD6\xD0\xD2\xEB\xD3\xA2");
    const HWND result_group = child(window, "Button", "\xD2\xEB\xCE\xC4,\xB7\xAD\xD2\xEB\xB5\xC4\xBD\xE1\xB9\xFB");
    const HWND translate = child(window, "Button", "\xB7\xAD\xD2\xEB"); // 翻译
    ASSERT_NE(source_group, nullptr);
    ASSERT_NE(result_group, nullptr);
    ASSERT_NE(translate, nullptr);
    const HWND source = child(source_group, "Edit", nullptr);
    const HWND result = child(result_group, "Edit", nullptr);
    ASSERT_NE(source, nullptr);
    ASSERT_NE(result, nullptr);

    SendMessageTimeoutA(source, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\xC4\xE3\xBA\xC3"), SMTO_ABORTIFHUNG, 10000,
                        nullptr);
    SendMessageTimeoutA(translate, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 30000, nullptr);
    EXPECT_TRUE(pump_until([result] { return text_of(result) == "Hello"; }, 10000)) << text_of(result);
    EXPECT_EQ(service.request_lines().size(), 1u);

    SetForegroundWindow(window);
    ASSERT_TRUE(pump_until([window] { return GetForegroundWindow() == window; }));
    press_key(VK_ESCAPE);
    ASSERT_EQ(WaitForSingleObject(program.process(), 20000), WAIT_OBJECT_0) << "Esc did not end the program";
    DWORD exit_code = 1234;
    GetExitCodeProcess(program.process(), &exit_code);
    EXPECT_EQ(exit_code, 0u);
}

} // namespace
} // namespace orvanta
