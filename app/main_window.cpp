#include "main_window.h"

#include <array>
#include <cstring>
#include <iterator>

#include "commands/button_commands.h"
#include "hot_key.h"
#include "win32_handles.h"

namespace orvanta {
namespace {

enum class Kind { push_button, group_box, text_box, label };
enum class FontChoice { song_bold, song_normal, gui_default, none };

struct ControlLayout {
    Control name;
    Kind kind;
    std::optional<Control> group; // the group box it lives in; none: the main window
    int x, y, width, height;      // in the client area of its parent
    const char* text;
    FontChoice font;
};

constexpr std::optional<Control> kOnMainWindow = std::nullopt;

// The design's control table, in creation order.
constexpr ControlLayout kControls[] = {
    {Control::按钮1, Kind::push_button, kOnMainWindow, 8, 368, 128, 32, "翻译", FontChoice::song_bold},
    {Control::分组框1, Kind::group_box, kOnMainWindow, 7, 2, 473, 158, "原文,仅支持中译英", FontChoice::gui_default},
    {Control::编辑框1, Kind::text_box, Control::分组框1, 8, 16, 457, 110, "", FontChoice::song_normal},
    {Control::编辑框2, Kind::text_box, Control::分组框2, 8, 16, 457, 168, "", FontChoice::song_normal},
    {Control::分组框2, Kind::group_box, kOnMainWindow, 8, 168, 473, 192, "译文,翻译的结果", FontChoice::gui_default},
    {Control::按钮2, Kind::push_button, Control::分组框1, 7, 129, 162, 23, "复制粘贴的内容到原文框", FontChoice::song_normal},
    {Control::按钮3, Kind::push_button, Control::分组框1, 305, 129, 162, 23, "清空原文", FontChoice::song_normal},
    {Control::按钮4, Kind::push_button, kOnMainWindow, 354, 368, 128, 32, "复制译文", FontChoice::song_bold},
    {Control::按钮5, Kind::push_button, kOnMainWindow, 216, 368, 128, 32, "获取程序源码", FontChoice::song_bold},
    {Control::标签1, Kind::label, Control::分组框1, 209, 78, 32, 8, "", FontChoice::none},
};
static_assert(std::size(kControls) == kControlCount);

// Tab walks these; Shift+Tab walks them backwards.
constexpr Control kFocusOrder[] = {Control::按钮1, Control::编辑框1, Control::编辑框2, Control::按钮2,
                                   Control::按钮3, Control::按钮4, Control::按钮5};

constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kFirstControlId = 1001;

struct KindStyle {
    const char* window_class;
    DWORD style;
    DWORD extended_style;
};

KindStyle style_of(Kind kind) noexcept
{
    switch (kind) {
    case Kind::push_button:
        return {"BUTTON",
                WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0};
    case Kind::group_box:
        return {"BUTTON", WS_CHILD | WS_CLIPSIBLINGS | BS_GROUPBOX | BS_LEFT, 0};
    case Kind::text_box:
        return {"EDIT",
                WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL |
                    ES_WANTRETURN,
                WS_EX_CLIENTEDGE};
    case Kind::label:
        return {kLabelClass, WS_CHILD | WS_CLIPSIBLINGS, 0};
    }
    return {};
}

UniqueFont make_song_font(LONG weight) noexcept
{
    LOGFONTA font{};
    font.lfHeight = -14;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    std::strcpy(font.lfFaceName, "宋体");
    return UniqueFont(CreateFontIndirectA(&font));
}

HFONT default_gui_font() noexcept { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

// What lives exactly as long as the main window.
struct MainWindowState {
    HWND window = nullptr;
    std::array<HWND, kControlCount> controls{};
    UniqueFont song_bold;
    UniqueFont song_normal;
    HFONT own_font = nullptr;  // the window's WM_SETFONT / WM_GETFONT value
    HWND last_focus = nullptr; // given back when the window is activated again
    bool built = false;        // a window that failed to build must not post the quit message
    unsigned long change_notifications = 0; // EN_CHANGE seen coming out of the text boxes
};

MainWindowState g_main;
WNDPROC g_group_box_procedure = nullptr;

HWND handle_of(Control which) noexcept { return g_main.controls[static_cast<std::size_t>(which)]; }

bool is_ours(HWND window) noexcept
{
    return g_main.window != nullptr && window != nullptr && (window == g_main.window || IsChild(g_main.window, window));
}

// --- the main window's messages -------------------------------------------------------------

void on_command(WPARAM wparam) noexcept
{
    if (HIWORD(wparam) != BN_CLICKED) return;
    const int index = LOWORD(wparam) - kFirstControlId;
    if (index < 0 || index >= kControlCount) return;
    if (const ClickHandler handler = click_handler(static_cast<Control>(index))) handler();
}

// Remembers the focus when the window loses the activation and gives it back when it returns.
bool on_activate(WPARAM wparam) noexcept
{
    if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != g_main.window && is_ours(focus)) g_main.last_focus = focus;
        return false;
    }
    if (HIWORD(wparam) != 0) return false; // minimised: DefWindowProc keeps the focus off
    if (g_main.last_focus == nullptr || !IsWindow(g_main.last_focus)) return false;
    SetFocus(g_main.last_focus);
    return true;
}

void on_destroy() noexcept
{
    if (g_main.built) PostQuitMessage(0);
}

void on_nc_destroy() noexcept
{
    // The controls are gone by now, so the fonts they used can go too.
    g_main = MainWindowState{};
}

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_COMMAND:
        on_command(wparam);
        return 0;
    case WM_ACTIVATE:
        if (on_activate(wparam)) return 0;
        break;
    case WM_SETFONT:
        g_main.own_font = reinterpret_cast<HFONT>(wparam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(g_main.own_font);
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_DESTROY:
        on_destroy();
        return 0;
    case WM_NCDESTROY:
        on_nc_destroy();
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// Fills a group box with the brush its parent hands out. A group box paints only its frame and
// caption, and the main window's WS_CLIPCHILDREN keeps it from painting underneath, so without this
// the inside would show whatever was on the screen before.
void erase_group_box(HWND window, HDC dc) noexcept
{
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
    if (brush == nullptr) brush = GetSysColorBrush(COLOR_BTNFACE);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);
}

LRESULT CALLBACK group_box_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_COMMAND:
        // The controls inside notify the group box; the handlers are bound on the main window.
        if (HIWORD(wparam) == EN_CHANGE) ++g_main.change_notifications;
        if (g_main.window != nullptr) return SendMessageA(g_main.window, message, wparam, lparam);
        break;
    case WM_ERASEBKGND:
        erase_group_box(window, reinterpret_cast<HDC>(wparam));
        return TRUE;
    default:
        break;
    }
    return CallWindowProcA(g_group_box_procedure, window, message, wparam, lparam);
}

// The hidden label only receives the hot key's notification.
LRESULT CALLBACK label_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == hotkey::kFeedbackMessage) {
        return _标签1_反馈事件(static_cast<int>(wparam), static_cast<int>(lparam));
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

bool register_classes(HINSTANCE instance) noexcept
{
    WNDCLASSEXA main_class{};
    main_class.cbSize = sizeof main_class;
    main_class.style = CS_DBLCLKS;
    main_class.lpfnWndProc = main_window_procedure;
    main_class.hInstance = instance;
    // Shared icons belong to the system; there is nothing to destroy.
    main_class.hIcon = static_cast<HICON>(LoadImageA(instance, kIconResource, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                     GetSystemMetrics(SM_CYICON), LR_SHARED));
    main_class.hIconSm = static_cast<HICON>(LoadImageA(instance, kIconResource, IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                       LR_SHARED));
    main_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    main_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main_class.lpszClassName = kMainWindowClass;

    WNDCLASSEXA label_class{};
    label_class.cbSize = sizeof label_class;
    label_class.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    label_class.lpfnWndProc = label_procedure;
    label_class.hInstance = instance;
    label_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    label_class.lpszClassName = kLabelClass;

    // A window built again in the same process (the tests do) finds its classes in place.
    const auto registered = [instance](const WNDCLASSEXA& window_class) {
        WNDCLASSEXA existing{};
        existing.cbSize = sizeof existing;
        return GetClassInfoExA(instance, window_class.lpszClassName, &existing) ||
               RegisterClassExA(&window_class) != 0;
    };
    return registered(main_class) && registered(label_class);
}

HFONT font_for(FontChoice choice) noexcept
{
    switch (choice) {
    case FontChoice::song_bold:
        return g_main.song_bold.get();
    case FontChoice::song_normal:
        return g_main.song_normal.get();
    case FontChoice::gui_default:
        return default_gui_font();
    case FontChoice::none:
        return nullptr;
    }
    return nullptr;
}

// Raises a window to the top of its siblings: each control goes above those made before it.
void put_on_top(HWND window) noexcept
{
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool create_controls(HINSTANCE instance) noexcept
{
    for (const ControlLayout& layout : kControls) {
        const KindStyle kind = style_of(layout.kind);
        const int id = kFirstControlId + static_cast<int>(layout.name);
        const HWND window = CreateWindowExA(kind.extended_style, kind.window_class, layout.text, kind.style, layout.x,
                                            layout.y, layout.width, layout.height, g_main.window,
                                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (window == nullptr) return false;
        g_main.controls[static_cast<std::size_t>(layout.name)] = window;
        put_on_top(window);
        if (const HFONT font = font_for(layout.font)) SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (layout.kind == Kind::text_box) {
            SendMessageA(window, EM_LIMITTEXT, 0, 0);
            SendMessageA(window, EM_SETSEL, 0, 0);
            SendMessageA(window, EM_SCROLLCARET, 0, 0);
        }
        if (layout.kind == Kind::group_box) {
            g_group_box_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&group_box_procedure)));
        }
    }
    // A group box made after one of its controls (分组框2) can take it in only now.
    for (const ControlLayout& layout : kControls) {
        if (!layout.group) continue;
        const HWND window = handle_of(layout.name);
        if (SetParent(window, handle_of(*layout.group)) == nullptr) return false;
        SetWindowPos(window, HWND_TOP, layout.x, layout.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (const ControlLayout& layout : kControls)
        ShowWindow(handle_of(layout.name), layout.kind == Kind::label ? SW_HIDE : SW_SHOWNA);
    return true;
}

} // namespace

HWND build_main_window(HINSTANCE instance)
{
    if (g_main.window != nullptr || !register_classes(instance)) return nullptr;

    const int x = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
    const HWND window = CreateWindowExA(0, kMainWindowClass, kMainWindowCaption, kMainWindowStyle, x, y,
                                        kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    g_main.window = window;
    g_main.own_font = default_gui_font();
    g_main.song_bold = make_song_font(FW_BOLD);
    g_main.song_normal = make_song_font(FW_NORMAL);
    if (!g_main.song_bold || !g_main.song_normal || !create_controls(instance)) {
        DestroyWindow(window);
        return nullptr;
    }
    g_main.last_focus = handle_of(Control::按钮1);
    g_main.built = true;
    return window;
}

HWND main_window() noexcept { return g_main.window; }

HWND control(Control which) noexcept { return handle_of(which); }

std::optional<Control> control_from_window(HWND window) noexcept
{
    if (window == nullptr) return std::nullopt;
    for (int index = 0; index < kControlCount; ++index)
        if (g_main.controls[static_cast<std::size_t>(index)] == window) return static_cast<Control>(index);
    return std::nullopt;
}

Text read_text(Control box)
{
    const HWND window = handle_of(box);
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    Text text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void write_text(Control box, std::string_view text)
{
    const HWND window = handle_of(box);
    const Text terminated(text); // SetWindowTextA needs its zero byte
    const unsigned long changes_before = g_main.change_notifications;
    SetWindowTextA(window, terminated.c_str());
    // A multi-line edit control does not notify WM_SETTEXT on every system (Wine's never does);
    // each write still reports exactly one change.
    if (g_main.change_notifications == changes_before) {
        SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), EN_CHANGE),
                     reinterpret_cast<LPARAM>(window));
    }
}

bool main_window_visible() noexcept { return IsWindowVisible(g_main.window) != FALSE; }

void set_main_window_visible(bool visible) noexcept { ShowWindow(g_main.window, visible ? SW_SHOW : SW_HIDE); }

namespace {

bool can_take_focus(HWND window) noexcept { return IsWindowVisible(window) && IsWindowEnabled(window); }

// The next control of the focus order after `from` (backwards for Shift+Tab), skipping those that
// cannot take the focus; a focus outside the order starts at its beginning (or end).
HWND next_in_focus_order(HWND from, bool backwards) noexcept
{
    constexpr int count = static_cast<int>(std::size(kFocusOrder));
    int position = backwards ? 0 : count - 1;
    for (int index = 0; index < count; ++index)
        if (handle_of(kFocusOrder[index]) == from) position = index;
    for (int step = 1; step <= count; ++step) {
        const int index = ((position + (backwards ? -step : step)) % count + count) % count;
        const HWND candidate = handle_of(kFocusOrder[index]);
        if (can_take_focus(candidate)) return candidate;
    }
    return nullptr;
}

} // namespace

bool pretranslate_key(const MSG& message) noexcept
{
    // Alt with a key belongs to the system (Alt+F4, Alt+Tab); only plain key presses are ours.
    if (message.message != WM_KEYDOWN || !is_ours(message.hwnd)) return false;
    switch (message.wParam) {
    case VK_TAB: {
        const bool backwards = GetKeyState(VK_SHIFT) < 0;
        if (const HWND next = next_in_focus_order(GetFocus(), backwards)) SetFocus(next);
        return true;
    }
    case VK_ESCAPE:
        SendMessageA(g_main.window, WM_CLOSE, 0, 0);
        return true;
    default:
        return false;
    }
}

void handle_message(const MSG& message) noexcept
{
    if (pretranslate_key(message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

int run_message_loop() noexcept
{
    MSG message{};
    bool painted = false;
    for (;;) {
        // The queue's first moment with nothing in it and no paint pending: the window is on the
        // screen, painted in full. Benchmarks and debuggers watch for this one line.
        if (!painted && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            OutputDebugStringA(kWindowPaintedDebugLine);
            painted = true;
        }
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return 0;
        handle_message(message);
    }
}

} // namespace orvanta
