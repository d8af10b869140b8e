// Long use: one process, a thousand translations through the real button and a thousand full
// repaints with the skin on; afterwards the process holds no more window-system objects than before
// and its private memory has grown by less than a megabyte. Counts are asserted, never times.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include <psapi.h>

#include "fake_service.h"
#include "main_window.h"
#include "skin_test_support.h"
#include "window_test_support.h"

namespace orvanta {
namespace {

using testing::FakeService;
using testing::MainWindowSession;
using testing::json_answer;

constexpr std::uint16_t kPort = ORVANTA_TEST_SERVICE_PORT;
constexpr int kRounds = 1000;
constexpr int kStretch = 100; // rounds between two readings of the private bytes
// The platform fills its caches (DCs, brushes, the request object's class factory) on first use.
constexpr int kWarmUpRounds = 20;
constexpr SIZE_T kPrivateGrowthLimit = 1u << 20;
constexpr UINT kFullRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN;
const std::string kHello = "\xC4\xE3\xBA\xC3"; // 你好

BOOL CALLBACK count_window(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK count_window_and_children(HWND window, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, count_window, count);
    return TRUE;
}

struct Usage {
    DWORD user_objects = 0; // GetGuiResources: the count Windows keeps; Wine answers 0
    DWORD gdi_objects = 0;
    int live_gdi = 0;       // GDI objects found in the handle table
    int windows = 0;        // windows of this thread, the USER objects a leak would pile up
    DWORD kernel_handles = 0;
    SIZE_T private_bytes = 0; // PrivateUsage, or the committed private regions where that is 0
};

// Committed private memory, region by region: what GetProcessMemoryInfo reports as PrivateUsage on
// Windows, and what Wine leaves at 0 there.
SIZE_T committed_private_bytes()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    }
    return total;
}

Usage usage()
{
    Usage result;
    result.user_objects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    result.gdi_objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    result.live_gdi = skin::test::live_gdi_objects();
    EnumThreadWindows(GetCurrentThreadId(), count_window_and_children, reinterpret_cast<LPARAM>(&result.windows));
    GetProcessHandleCount(GetCurrentProcess(), &result.kernel_handles);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    result.private_bytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : committed_private_bytes();
    return result;
}

void print(const char* when, const Usage& u)
{
    std::printf("%-7s USER objects %lu, GDI objects %lu (GetGuiResources); live GDI objects %d, windows %d, "
                "kernel handles %lu, private bytes %llu\n",
                when, static_cast<unsigned long>(u.user_objects), static_cast<unsigned long>(u.gdi_objects),
                u.live_gdi, u.windows, static_cast<unsigned long>(u.kernel_handles),
                static_cast<unsigned long long>(u.private_bytes));
    std::fflush(stdout);
}

double now_ms()
{
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Where the rounds spend their time, printed for the log (nothing is asserted on it).
struct Spent {
    double translating_ms = 0;
    double repainting_ms = 0;
};

// One translation through a click of the real button, then a repaint of the whole window.
bool round(FakeService& service, int number, Spent& spent)
{
    const std::string answer = "Hello " + std::to_string(number);
    write_text(Control::编辑框1, kHello + std::to_string(number));
    service.answer_with(json_answer("[[[\"" + answer + "\",\"x\"]]]"));
    const double start = now_ms();
    SendMessageA(control(Control::按钮1), BM_CLICK, 0, 0);
    const double translated = now_ms();
    RedrawWindow(main_window(), nullptr, nullptr, kFullRepaint);
    testing::pump_pending();
    spent.translating_ms += translated - start;
    spent.repainting_ms += now_ms() - translated;
    return read_text(Control::编辑框2) == answer;
}

TEST(LongUse, ThousandTranslationsAndRepaintsLeaveNothingBehind)
{
    FakeService service{kPort};
    ASSERT_TRUE(service.listening()) << "port " << kPort << " is taken";
    MainWindowSession session;
    ASSERT_NE(session.window(), nullptr);

    Spent spent;
    // The skin wraps every button: the Translate button's procedure is no longer its class's.
    const HWND translate = control(Control::按钮1);
    const auto class_procedure = static_cast<LONG_PTR>(GetClassLongPtrA(translate, GCLP_WNDPROC));
    ASSERT_NE(GetWindowLongPtrA(translate, GWLP_WNDPROC), class_procedure) << "the skin is not on";
    for (int i = 0; i < kWarmUpRounds; ++i) ASSERT_TRUE(round(service, i, spent));
    const Usage before = usage();
    print("before", before);
    ASSERT_GT(before.live_gdi, 0) << "no way to count GDI objects";

    int failed = 0;
    spent = {};
    // Private bytes at every stretch's end: a leak grows each stretch alike; the heap under Wine
    // now and then takes a whole new block at once (2 MB and 1 MB together, seen after 100 and
    // after 250 requests of a bare client, in one run and not the next), which is no leak.
    std::vector<long long> stretch_growth;
    SIZE_T stretch_start = before.private_bytes;
    for (int i = 0; i < kRounds; ++i) {
        if (!round(service, kWarmUpRounds + i, spent)) ++failed;
        if ((i + 1) % kStretch == 0) {
            const SIZE_T now = usage().private_bytes;
            stretch_growth.push_back(static_cast<long long>(now) - static_cast<long long>(stretch_start));
            stretch_start = now;
            std::printf("%4d rounds: %.0f ms translating, %.0f ms repainting, private bytes %+lld\n", i + 1,
                        spent.translating_ms, spent.repainting_ms, stretch_growth.back());
            std::fflush(stdout);
        }
    }
    const Usage after = usage();
    print("after", after);

    EXPECT_EQ(failed, 0) << "translations that did not show their answer";
    EXPECT_EQ(service.request_lines().size(), static_cast<std::size_t>(kWarmUpRounds + kRounds))
        << "every click makes one request";
    EXPECT_EQ(after.user_objects, before.user_objects);
    EXPECT_EQ(after.gdi_objects, before.gdi_objects);
    EXPECT_EQ(after.live_gdi, before.live_gdi);
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.kernel_handles, before.kernel_handles + 4) << "a few the platform keeps for itself";
    ASSERT_GT(before.private_bytes, 0u) << "no way to measure private bytes";
    // A stretch that grew by the whole limit at once holds one of the heap's new blocks: at most one
    // such is let off, and the others must stay within the limit scaled to the whole run. The fake
    // service in this process keeps every request line, about 150 KB of the growth.
    long long steady = 0;
    int blocks = 0;
    for (const long long growth : stretch_growth) {
        if (growth >= static_cast<long long>(kPrivateGrowthLimit)) ++blocks;
        else steady += growth;
    }
    const auto steady_stretches = static_cast<long long>(stretch_growth.size()) - blocks;
    const long long steady_per_run = steady_stretches > 0 ? steady * (kRounds / kStretch) / steady_stretches : 0;
    const long long total = static_cast<long long>(after.private_bytes) - static_cast<long long>(before.private_bytes);
    std::printf("private bytes grew by %lld over %d rounds; %d stretch(es) with a new heap block; the others grew "
                "at %lld bytes a %d rounds\n",
                total, kRounds, blocks, steady_per_run, kRounds);
    EXPECT_LE(blocks, 1) << "more than one stretch grew by a megabyte or more";
    EXPECT_LT(steady_per_run, static_cast<long long>(kPrivateGrowthLimit));
}

} // namespace
} // namespace orvanta
