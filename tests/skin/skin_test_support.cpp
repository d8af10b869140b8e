#include "skin_test_support.h"

#include <cstdio>
#include <cstdlib>

namespace orvanta::skin::test {
namespace {

constexpr char window_class[] = "OrvantaSkinTestWindow";
constexpr char label_class[] = "OrvantaSkinTestLabel";
constexpr POINT window_origin{40, 40};
constexpr SIZE window_size{493, 435};
// The low words Wine hands out as GDI handles.
constexpr unsigned gdi_handle_space = 0x10000;
// How far from the screen's bottom-right corner the pointer is parked, away from every test window.
constexpr int parking_margin = 20;

LRESULT CALLBACK test_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

void register_classes()
{
    static const bool registered = [] {
        WNDCLASSA main{};
        main.lpfnWndProc = test_window_proc;
        main.hInstance = GetModuleHandleA(nullptr);
        main.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        main.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        main.lpszClassName = window_class;
        RegisterClassA(&main);
        WNDCLASSA label = main;
        label.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        label.hbrBackground = nullptr;
        label.lpszClassName = label_class;
        RegisterClassA(&label);
        return true;
    }();
    (void)registered;
}

[[nodiscard]] HFONT song_font(LONG weight)
{
    LOGFONTA font{};
    font.lfHeight = -14;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    lstrcpynA(font.lfFaceName, "宋体", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

constexpr DWORD push_style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON | BS_CENTER |
                             BS_VCENTER | BS_MULTILINE;
constexpr DWORD group_style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX | BS_LEFT;
constexpr DWORD box_style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | WS_VSCROLL | ES_LEFT |
                            ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;

HWND make(DWORD ex_style, const char* class_name, const char* text, DWORD style, RECT place, HWND parent,
          HFONT font)
{
    HWND window = CreateWindowExA(ex_style, class_name, text, style, place.left, place.top, place.right,
                                  place.bottom, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr && font != nullptr) SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return window;
}

void send_mouse(DWORD flags, POINT screen)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = static_cast<LONG>((screen.x * 65535LL + width / 2) / (width - 1));
    input.mi.dy = static_cast<LONG>((screen.y * 65535LL + height / 2) / (height - 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(INPUT));
}

POINT cursor() noexcept
{
    POINT where{};
    GetCursorPos(&where);
    return where;
}

} // namespace

COLORREF Pixels::at(int x, int y) const noexcept
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const std::uint32_t bgra = bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                     static_cast<std::size_t>(x)];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

namespace {

// Lets `draw` paint into a top-down 32-bit DIB section of `size` and hands back its pixels.
Pixels copy_pixels(SIZE size, const std::function<void(HDC)>& draw)
{
    if (size.cx <= 0 || size.cy <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    const UniqueBitmap bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) return {};
    {
        const SelectedObject select(memory.get(), bitmap.get());
        draw(memory.get());
        GdiFlush();
    }
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> copy(first, first + static_cast<std::size_t>(size.cx) * static_cast<std::size_t>(size.cy));
    return Pixels(size.cx, size.cy, std::move(copy));
}

} // namespace

Pixels capture_window(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
    const WindowDc source(window, WindowDc::Area::whole_window);
    return copy_pixels(size, [&](HDC target) { BitBlt(target, 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY); });
}

Pixels print_client(HWND window)
{
    RECT rect{};
    GetClientRect(window, &rect);
    return copy_pixels(SIZE{rect.right, rect.bottom}, [&](HDC target) {
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target), PRF_CLIENT | PRF_ERASEBKGND);
    });
}

std::string describe(COLORREF colour)
{
    if (colour == CLR_INVALID) return "outside the window";
    char text[32];
    std::snprintf(text, sizeof text, "RGB(%d, %d, %d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

int channel_distance(COLORREF a, COLORREF b) noexcept
{
    if (a == CLR_INVALID || b == CLR_INVALID) return 255;
    const int r = std::abs(GetRValue(a) - GetRValue(b));
    const int g = std::abs(GetGValue(a) - GetGValue(b));
    const int bl = std::abs(GetBValue(a) - GetBValue(b));
    return r > g ? (r > bl ? r : bl) : (g > bl ? g : bl);
}

COLORREF system_colour(int index) noexcept { return GetSysColor(index); }

COLORREF darkened_face() noexcept
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    auto less = [](int value) { return value > 0x20 ? value - 0x20 : 0; };
    return RGB(less(GetRValue(face)), less(GetGValue(face)), less(GetBValue(face)));
}

void pump_messages(int milliseconds)
{
    pump_until([] { return false; }, milliseconds);
}

bool pump_until(const std::function<bool()>& done, int timeout_ms)
{
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return done();
        const ULONGLONG left = deadline - now;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 20 ? left : 20), QS_ALLINPUT);
    }
}

void move_mouse_to(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    send_mouse(MOUSEEVENTF_MOVE, screen);
    pump_until([&] { const POINT at = cursor(); return at.x == screen.x && at.y == screen.y; }, 1000);
}

void move_mouse_over(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    move_mouse_to(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void move_mouse_away()
{
    move_mouse_to(POINT{GetSystemMetrics(SM_CXSCREEN) - parking_margin, GetSystemMetrics(SM_CYSCREEN) - parking_margin});
}

void press_left_button() { send_mouse(MOUSEEVENTF_LEFTDOWN, cursor()); }
void release_left_button() { send_mouse(MOUSEEVENTF_LEFTUP, cursor()); }

int live_gdi_objects()
{
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return static_cast<int>(reported);
    int live = 0;
    for (unsigned handle = 1; handle < gdi_handle_space; ++handle) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(handle))) != 0) ++live;
    }
    return live;
}

TestWindow::TestWindow() : bold_(song_font(FW_BOLD)), normal_(song_font(FW_NORMAL))
{
    register_classes();
    const auto gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    main = CreateWindowExA(0, window_class, "Orvanta  -  F4可隐藏/呼出",
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, window_origin.x,
                           window_origin.y, window_size.cx, window_size.cy, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    SendMessageA(main, WM_SETFONT, reinterpret_cast<WPARAM>(gui_font), FALSE);
    translate_button = make(0, "BUTTON", "翻译", push_style, {8, 368, 128, 32}, main, bold_.get());
    source_group = make(0, "BUTTON", "原文,仅支持中译英", group_style, {7, 2, 473, 158}, main, gui_font);
    source_box = make(WS_EX_CLIENTEDGE, "EDIT", "", box_style, {8, 16, 457, 110}, source_group, normal_.get());
    result_group = make(0, "BUTTON", "译文,翻译的结果", group_style, {8, 168, 473, 192}, main, gui_font);
    result_box = make(WS_EX_CLIENTEDGE, "EDIT", "", box_style, {8, 16, 457, 80}, result_group, normal_.get());
    read_only_box = make(WS_EX_CLIENTEDGE, "EDIT", "", box_style | ES_READONLY, {8, 100, 220, 84}, result_group,
                         normal_.get());
    disabled_box = make(WS_EX_CLIENTEDGE, "EDIT", "", box_style | WS_DISABLED, {236, 100, 229, 84}, result_group,
                        normal_.get());
    paste_button = make(0, "BUTTON", "复制粘贴的内容到原文框", push_style, {7, 129, 162, 23}, source_group,
                        normal_.get());
    copy_button = make(0, "BUTTON", "复制译文", push_style, {354, 368, 128, 32}, main, bold_.get());
    disabled_button = make(0, "BUTTON", "获取程序源码", push_style | WS_DISABLED, {216, 368, 128, 32}, main,
                           bold_.get());
    label = make(0, label_class, nullptr, WS_CHILD | WS_CLIPSIBLINGS, {209, 78, 32, 8}, source_group, nullptr);
}

TestWindow::~TestWindow()
{
    if (main != nullptr) DestroyWindow(main);
    pump_messages(0);
}

void TestWindow::show()
{
    ShowWindow(main, SW_SHOW);
    SetForegroundWindow(main);
    UpdateWindow(main);
    pump_until([&] { return GetForegroundWindow() == main; }, 2000);
    pump_messages(50);
}

std::vector<HWND> TestWindow::skinned_controls() const
{
    return {translate_button, copy_button, disabled_button, source_group, source_box, paste_button,
            result_group,     result_box,  read_only_box,   disabled_box};
}

} // namespace orvanta::skin::test
