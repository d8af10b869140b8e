// The Windows benchmarks of the program against the bare programs of bench/, run under Wine by
// tools/bench.sh. Prints its rows as one JSON array on standard output.
//
//   window_bench startup RUNS PROGRAM BARE
//       start-up (process start to the window painted in full, as each says on the debug channel)
//       and the peak working set at rest after it, RUNS alternating runs of each after a warm-up;
//       BARE is bare_window.exe
//   window_bench roundtrip RUNS PROGRAM BARE PORT
//       a click of Translate to the translation in the result box against the loopback fake
//       service on PORT, and bare_request.exe's one synchronous GET of the same URL
//
// PROGRAM and BARE may be Unix paths (Wine's Z: drive).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <psapi.h>

#include "fake_service.h"
#include "main_window.h"
#include "win32_handles.h"

namespace {

using orvanta::UniqueKernelHandle;

double now_ms()
{
    static const double ticks_per_ms = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / ticks_per_ms;
}

std::string windows_path(std::string path)
{
    if (path.empty() || path.front() != '/') return path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
};

Spread spread_of(std::vector<double> samples)
{
    if (samples.empty()) return {};
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {median, samples.front(), samples.back()};
}

std::string json_of(const Spread& spread)
{
    char text[160];
    std::snprintf(text, sizeof text, "{\"median\": %.3f, \"min\": %.3f, \"max\": %.3f}", spread.median, spread.min,
                  spread.max);
    return text;
}

// Listens on the system-wide debug-output channel, the one a debug viewer reads: OutputDebugStringA
// of a process with no debugger writes its line into a shared buffer and signals.
class DebugChannel {
public:
    DebugChannel()
        : buffer_ready_(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY")),
          data_ready_(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY")),
          mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, "DBWIN_BUFFER"))
    {
        if (mapping_) view_ = static_cast<const char*>(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, kSize));
        if (ready()) SetEvent(buffer_ready_.get());
    }
    DebugChannel(const DebugChannel&) = delete;
    DebugChannel& operator=(const DebugChannel&) = delete;
    ~DebugChannel()
    {
        if (view_ != nullptr) UnmapViewOfFile(view_);
    }

    bool ready() const noexcept { return buffer_ready_ && data_ready_ && view_ != nullptr; }

    // Waits for `line` from process `pid`; the time it arrived (now_ms), or a negative number.
    double wait_for(DWORD pid, const char* line, DWORD timeout_ms)
    {
        const double deadline = now_ms() + timeout_ms;
        for (;;) {
            const double left = deadline - now_ms();
            if (left <= 0 || WaitForSingleObject(data_ready_.get(), static_cast<DWORD>(left)) != WAIT_OBJECT_0)
                return -1;
            const double arrived = now_ms();
            DWORD from = 0;
            std::memcpy(&from, view_, sizeof from);
            const bool wanted = from == pid && std::strncmp(view_ + sizeof from, line, kSize - sizeof from) == 0;
            SetEvent(buffer_ready_.get());
            if (wanted) return arrived;
        }
    }

private:
    static constexpr DWORD kSize = 4096;
    UniqueKernelHandle buffer_ready_;
    UniqueKernelHandle data_ready_;
    UniqueKernelHandle mapping_;
    const char* view_ = nullptr;
};

// User and kernel time of a process so far.
double cpu_ms(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    const auto ticks = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0; // 100 ns units
}

// EnumThreadWindows callback: stores the first visible window into the HWND that `found` points to.
BOOL CALLBACK first_visible(HWND window, LPARAM found)
{
    if (!IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A started program with its main window up and painted.
class Started {
public:
    Started(DebugChannel& channel, const std::string& exe, const std::string& arguments = {})
    {
        std::string command_line = '"' + windows_path(exe) + '"';
        if (!arguments.empty()) command_line += ' ' + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        const double started = now_ms();
        if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info)) {
            return;
        }
        process_.reset(info.hProcess);
        UniqueKernelHandle thread(info.hThread);
        thread_id_ = info.dwThreadId;
        const double painted = channel.wait_for(info.dwProcessId, orvanta::kWindowPaintedDebugLine, 60000);
        if (painted >= 0) {
            startup_ms_ = painted - started;
            startup_cpu_ms_ = cpu_ms(process_.get());
        }
        EnumThreadWindows(thread_id_, first_visible, reinterpret_cast<LPARAM>(&window_));
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    ~Started()
    {
        if (!process_) return;
        if (window_ != nullptr) PostMessageA(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.get(), 20000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 99);
    }

    bool ok() const noexcept { return startup_ms_ >= 0 && window_ != nullptr; }
    double startup_ms() const noexcept { return startup_ms_; }
    // The processor time the process had used by then, which a busy machine disturbs far less.
    double startup_cpu_ms() const noexcept { return startup_cpu_ms_; }
    HWND window() const noexcept { return window_; }

    double peak_working_set_mb() const
    {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!GetProcessMemoryInfo(process_.get(), &counters, sizeof counters)) return -1;
        return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    }

private:
    UniqueKernelHandle process_;
    DWORD thread_id_ = 0;
    HWND window_ = nullptr;
    double startup_ms_ = -1;
    double startup_cpu_ms_ = -1;
};

// Time the processes get after their first paint before their memory is read: "at rest".
constexpr DWORD kRestMs = 500;

struct StartupSample {
    double startup_ms;
    double startup_cpu_ms;
    double peak_mb;
};

bool sample_startup(DebugChannel& channel, const std::string& exe, std::vector<StartupSample>& samples)
{
    Started program(channel, exe);
    if (!program.ok()) {
        std::fprintf(stderr, "window_bench: %s did not show its window\n", exe.c_str());
        return false;
    }
    Sleep(kRestMs);
    samples.push_back({program.startup_ms(), program.startup_cpu_ms(), program.peak_working_set_mb()});
    return true;
}

void print_ratio_row(const char* name, const char* unit, int runs, const Spread& program, const Spread& bare,
                     double goal, bool last)
{
    const double ratio = program.median / bare.median;
    std::printf("  {\"benchmark\": \"%s\", \"unit\": \"%s\", \"runs\": %d, \"program\": %s, \"baseline\": %s, "
                "\"ratio\": %.4f, \"goal\": \"ratio <= %.2f\", \"met\": %s}%s\n",
                name, unit, runs, json_of(program).c_str(), json_of(bare).c_str(), ratio, goal,
                ratio <= goal ? "true" : "false", last ? "" : ",");
}

int run_startup(int runs, const std::string& program, const std::string& bare)
{
    DebugChannel channel;
    if (!channel.ready()) {
        std::fprintf(stderr, "window_bench: cannot open the debug-output channel\n");
        return 1;
    }
    std::vector<StartupSample> warm_up;
    std::vector<StartupSample> program_samples;
    std::vector<StartupSample> bare_samples;
    for (int i = 0; i < 2; ++i)
        if (!sample_startup(channel, program, warm_up) || !sample_startup(channel, bare, warm_up)) return 1;
    for (int i = 0; i < runs; ++i) {
        // Alternating, and each pair in turned order, so a drift of the machine hits both alike.
        const bool program_first = i % 2 == 0;
        if (!sample_startup(channel, program_first ? program : bare, program_first ? program_samples : bare_samples) ||
            !sample_startup(channel, program_first ? bare : program, program_first ? bare_samples : program_samples)) {
            return 1;
        }
    }
    const auto field = [](const std::vector<StartupSample>& samples, double StartupSample::*member) {
        std::vector<double> values;
        for (const StartupSample& sample : samples) values.push_back(sample.*member);
        return spread_of(values);
    };
    const Spread program_memory = field(program_samples, &StartupSample::peak_mb);
    const Spread bare_memory = field(bare_samples, &StartupSample::peak_mb);
    const double extra = program_memory.median - bare_memory.median;
    std::printf("[\n");
    print_ratio_row("start-up", "ms", runs, field(program_samples, &StartupSample::startup_ms),
                    field(bare_samples, &StartupSample::startup_ms), 1.15, false);
    print_ratio_row("start-up, processor time", "ms", runs, field(program_samples, &StartupSample::startup_cpu_ms),
                    field(bare_samples, &StartupSample::startup_cpu_ms), 1.15, false);
    std::printf("  {\"benchmark\": \"memory\", \"unit\": \"MB\", \"runs\": %d, \"program\": %s, \"baseline\": %s, "
                "\"difference\": %.3f, \"goal\": \"difference <= 3 MB\", \"met\": %s}\n",
                runs, json_of(program_memory).c_str(), json_of(bare_memory).c_str(), extra,
                extra <= 3.0 ? "true" : "false");
    std::printf("]\n");
    return 0;
}

// --- the round trip ------------------------------------------------------------------------

std::string text_of(HWND window)
{
    char text[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 10000,
                        &copied);
    return text;
}

void set_text(HWND window, const char* text)
{
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 10000, nullptr);
}

// One click of `button` until `result` reads `expected`; milliseconds, or a negative number.
double click_until(HWND button, HWND result, const std::string& expected)
{
    set_text(result, "");
    const double clicked = now_ms();
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 60000, nullptr);
    // Both write the result before their click handler returns; the wait only covers a program
    // that would answer later.
    while (text_of(result) != expected) {
        if (now_ms() - clicked > 30000) return -1;
        Sleep(0);
    }
    return now_ms() - clicked;
}

struct Target {
    HWND button = nullptr;
    HWND result = nullptr;
    std::string expected;
    std::vector<double> samples;
};

int run_roundtrip(int runs, const std::string& program_exe, const std::string& bare_exe, int port)
{
    // The service's answer for the program's source text 你好; the program shows "Hello" of it.
    const std::string body = "[[[\"Hello\",\"\xE4\xBD\xA0\xE5\xA5\xBD\",null,null,10]],null,\"zh-CN\"]";
    orvanta::testing::FakeService service(static_cast<std::uint16_t>(port));
    if (!service.listening()) {
        std::fprintf(stderr, "window_bench: port %d is taken\n", port);
        return 1;
    }
    service.answer_with(orvanta::testing::json_answer(body));
    DebugChannel channel;
    if (!channel.ready()) return 1;

    Started program(channel, program_exe);
    if (!program.ok()) return 1;
    Target orvanta;
    // Found as a user finds them: the groups by their captions, the button by its text (GBK).
    const HWND source_group = FindWindowExA(program.window(), nullptr, "Button",
                                            "\xD4\xAD\xCE\xC4,\xBD\xF6\xD6\xA7\xB3\xD6\xD6\xD0\xD2\xEB\xD3\xA2");
    const HWND result_group =
        FindWindowExA(program.window(), nullptr, "Button", "\xD2\xEB\xCE\xC4,\xB7\xAD\xD2\xEB\xB5\xC4\xBD\xE1\xB9\xFB");
    orvanta.button = FindWindowExA(program.window(), nullptr, "Button", "\xB7\xAD\xD2\xEB");
    const HWND source = FindWindowExA(source_group, nullptr, "Edit", nullptr);
    orvanta.result = FindWindowExA(result_group, nullptr, "Edit", nullptr);
    orvanta.expected = "Hello";
    if (source == nullptr || orvanta.button == nullptr || orvanta.result == nullptr) {
        std::fprintf(stderr, "window_bench: the program's controls were not found\n");
        return 1;
    }
    set_text(source, "\xC4\xE3\xBA\xC3");
    if (click_until(orvanta.button, orvanta.result, orvanta.expected) < 0 || service.request_lines().empty()) {
        std::fprintf(stderr, "window_bench: the program's Translate did not reach the service\n");
        return 1;
    }
    // "GET /path?query HTTP/1.1": the bare program asks for exactly what the program asked for.
    const std::string line = service.request_lines().front();
    const std::size_t path_start = line.find(' ') + 1;
    const std::string url =
        "http://127.0.0.1:" + std::to_string(port) + line.substr(path_start, line.rfind(' ') - path_start);

    Started bare_program(channel, bare_exe, url);
    if (!bare_program.ok()) return 1;
    Target bare;
    bare.button = FindWindowExA(bare_program.window(), nullptr, "Button", nullptr);
    bare.result = FindWindowExA(bare_program.window(), nullptr, "Edit", nullptr);
    bare.expected = body;
    if (bare.button == nullptr || bare.result == nullptr) return 1;

    for (int i = 0; i < 3; ++i)
        if (click_until(orvanta.button, orvanta.result, orvanta.expected) < 0 ||
            click_until(bare.button, bare.result, bare.expected) < 0) {
            std::fprintf(stderr, "window_bench: a warm-up round trip failed\n");
            return 1;
        }
    for (int i = 0; i < runs; ++i) {
        Target& first = i % 2 == 0 ? orvanta : bare;
        Target& second = i % 2 == 0 ? bare : orvanta;
        for (Target* target : {&first, &second}) {
            const double ms = click_until(target->button, target->result, target->expected);
            if (ms < 0) {
                std::fprintf(stderr, "window_bench: a round trip failed\n");
                return 1;
            }
            target->samples.push_back(ms);
        }
    }
    std::printf("[\n");
    print_ratio_row("round trip", "ms", runs, spread_of(orvanta.samples), spread_of(bare.samples), 1.05, true);
    std::printf("]\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 0;
    if (mode == "startup" && argc == 5 && runs > 0) return run_startup(runs, argv[3], argv[4]);
    if (mode == "roundtrip" && argc == 6 && runs > 0) return run_roundtrip(runs, argv[3], argv[4], std::atoi(argv[5]));
    std::fprintf(stderr, "usage: window_bench startup RUNS PROGRAM BARE\n"
                         "       window_bench roundtrip RUNS PROGRAM BARE PORT\n");
    return 2;
}
