#include "skin.h"

#include "win32_handles.h"
#include "painter.h"
#include "palette.h"

#include <forward_list>
#include <iterator>
#include <vector>

namespace orvanta::skin {
namespace {

// One per wrapped window.
struct Record {
    HWND window = nullptr;
    Kind kind = Kind::push_button;
    ControlState state;
    WNDPROC previous = nullptr;
    ParentColours parent;
    bool parent_known = false;
    // Left in the chain because another procedure was installed over ours; it only passes messages on.
    bool passthrough = false;
};

// The skin belongs to the UI thread; nothing here is touched from any other.
std::forward_list<Record> records;
HHOOK create_hook = nullptr;
int scheme_number = blue_grey_scheme;

constexpr UINT full_redraw = RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW | RDW_UPDATENOW;
constexpr UINT client_redraw = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

LRESULT CALLBACK skin_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

[[nodiscard]] Record* find_record(HWND window) noexcept
{
    for (Record& record : records) {
        if (record.window == window) return &record;
    }
    return nullptr;
}

void forget_record(HWND window) noexcept
{
    records.remove_if([window](const Record& record) { return record.window == window; });
}

[[nodiscard]] bool is_button_kind(Kind kind) noexcept
{
    return kind == Kind::push_button || kind == Kind::check_box || kind == Kind::radio_button ||
           kind == Kind::group_box;
}

// Kinds whose client area the skin paints entirely; the others keep their own painting under a frame.
[[nodiscard]] bool paints_client(Kind kind) noexcept { return is_button_kind(kind); }

[[nodiscard]] bool ours(HWND window) noexcept
{
    return GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&skin_window_proc);
}

[[nodiscard]] ControlState current_state(HWND window, Kind kind) noexcept
{
    ControlState state;
    state.disabled = !IsWindowEnabled(window);
    state.focused = GetFocus() == window;
    if (is_button_kind(kind)) {
        const LRESULT button_state = SendMessageA(window, BM_GETSTATE, 0, 0);
        state.pressed = (button_state & BST_PUSHED) != 0;
        state.checked = (button_state & BST_CHECKED) != 0;
        state.indeterminate = (button_state & BST_INDETERMINATE) != 0;
        state.is_default = (GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    }
    return state;
}

// Asks the parent for the brush and text colour of this control, as the standard button does.
void fetch_parent_colours(HWND window, HDC hdc)
{
    ParentColours colours;
    {
        const SavedDcState keep(hdc);
        // What a parent that sets no colour of its own hands out.
        SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        // GetParent answers the owner of a top-level window, which hands out nothing for it.
        const bool is_child = (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) != 0;
        const HWND parent = is_child ? GetParent(window) : nullptr;
        if (parent != nullptr) {
            colours.brush = reinterpret_cast<HBRUSH>(SendMessageA(
                parent, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(window)));
        }
        colours.text = GetTextColor(hdc);
    }
    if (colours.brush == nullptr) colours.brush = GetSysColorBrush(COLOR_BTNFACE);
    // The parent may have done anything meanwhile, the control's destruction included.
    if (Record* record = find_record(window)) {
        record->parent = colours;
        record->parent_known = true;
    }
}

void paint_client(HWND window, HDC hdc)
{
    Record* record = find_record(window);
    if (record == nullptr) return;
    if (!record->parent_known) {
        fetch_parent_colours(window, hdc);
        record = find_record(window);
        if (record == nullptr) return;
    }
    // Copies: the painters send messages, and the record may go while they run.
    const ControlState state = record->state;
    const ParentColours parent = record->parent;
    const Scheme& scheme = scheme_colours(scheme_number);
    switch (record->kind) {
    case Kind::push_button: paint_push_button(window, hdc, state, parent, scheme); break;
    case Kind::check_box: paint_check_box(window, hdc, state, parent, scheme); break;
    case Kind::radio_button: paint_radio_button(window, hdc, state, parent, scheme); break;
    case Kind::group_box: paint_group_box(window, hdc, state, parent, scheme); break;
    default: break;
    }
}

// The frames of the kinds that keep their own painting, drawn after it.
void paint_frame(const Record& record)
{
    const ControlState state = record.state;
    const Scheme& scheme = scheme_colours(scheme_number);
    const HWND window = record.window;
    switch (record.kind) {
    case Kind::text_box: {
        const WindowDc dc(window, WindowDc::Area::whole_window);
        if (dc) paint_text_box_frame(window, dc.get(), state, scheme);
        break;
    }
    case Kind::combo_list: {
        const WindowDc dc(window, WindowDc::Area::whole_window);
        if (dc) paint_combo_list_frame(window, dc.get(), scheme);
        break;
    }
    case Kind::combo_box: {
        const WindowDc dc(window);
        if (dc) paint_combo_box_frame(window, dc.get(), state, scheme);
        break;
    }
    case Kind::up_down: {
        const WindowDc dc(window);
        if (dc) paint_up_down_frame(window, dc.get(), state, scheme);
        break;
    }
    default: break;
    }
}

// Shows a state change: the whole control where the skin paints it, else just the frame.
void show_state(HWND window)
{
    const Record* record = find_record(window);
    if (record == nullptr || !IsWindowVisible(window)) return;
    if (paints_client(record->kind)) {
        RedrawWindow(window, nullptr, nullptr, client_redraw);
    } else {
        paint_frame(*record);
    }
}

// Records what a message changes in the control's state; true when it changed anything.
bool track_state(Record& record, UINT message, WPARAM wparam)
{
    ControlState& state = record.state;
    const ControlState before = state;
    switch (message) {
    case WM_SETFOCUS: state.focused = true; break;
    case WM_KILLFOCUS: state.focused = false; break;
    case WM_ENABLE: state.disabled = wparam == FALSE; break;
    case WM_MOUSEMOVE:
        if (!state.hot && (wparam & MK_LBUTTON) == 0) {
            TRACKMOUSEEVENT leave{sizeof(TRACKMOUSEEVENT), TME_LEAVE, record.window, 0};
            if (TrackMouseEvent(&leave)) state.hot = true;
        }
        break;
    case WM_MOUSELEAVE: state.hot = false; break;
    default:
        if (!is_button_kind(record.kind)) break;
        if (message == BM_SETSTATE) state.pressed = wparam != FALSE;
        if (message == BM_SETCHECK) {
            state.checked = wparam == BST_CHECKED;
            state.indeterminate = wparam == BST_INDETERMINATE;
        }
        if (message == BM_SETSTYLE) state.is_default = (wparam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        break;
    }
    return before.disabled != state.disabled || before.pressed != state.pressed || before.hot != state.hot ||
           before.focused != state.focused || before.is_default != state.is_default ||
           before.checked != state.checked || before.indeterminate != state.indeterminate;
}

// Messages after which the standard controls draw themselves straight into their DC, not through
// WM_PAINT: Wine's buttons do so for focus, state, check, style and UI-state changes.
[[nodiscard]] bool draws_outside_paint(Kind kind, UINT message) noexcept
{
    if (is_button_kind(kind)) {
        return message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_ENABLE ||
               message == BM_SETSTATE || message == BM_SETCHECK || message == BM_SETSTYLE ||
               message == WM_UPDATEUISTATE;
    }
    // Making a box read-only changes the colour of its inner frame.
    return kind == Kind::text_box && message == EM_SETREADONLY;
}

LRESULT on_destroy(HWND window, WNDPROC previous, UINT message, WPARAM wparam, LPARAM lparam)
{
    const LRESULT result = CallWindowProcA(previous, window, message, wparam, lparam);
    // If a procedure was installed over ours it still calls us; the record must then live until
    // WM_NCDESTROY, the last message the window gets.
    if (message == WM_NCDESTROY || ours(window)) {
        if (ours(window)) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        forget_record(window);
    }
    return result;
}

LRESULT CALLBACK skin_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Record* record = find_record(window);
    if (record == nullptr) return DefWindowProcA(window, message, wparam, lparam);
    const WNDPROC previous = record->previous;
    if (message == WM_DESTROY || message == WM_NCDESTROY) return on_destroy(window, previous, message, wparam, lparam);
    if (record->passthrough) return CallWindowProcA(previous, window, message, wparam, lparam);

    const Kind kind = record->kind;
    switch (message) {
    case WM_PAINT:
        if (paints_client(kind)) {
            const PaintDc dc(window);
            if (dc.get() != nullptr) paint_client(window, dc.get());
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (paints_client(kind)) {
            paint_client(window, reinterpret_cast<HDC>(wparam));
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        fetch_parent_colours(window, reinterpret_cast<HDC>(wparam));
        // The painter covers every pixel; erasing first would only flicker.
        if (paints_client(kind)) return 1;
        break;
    case WM_SETTEXT:
        if (is_button_kind(kind)) {
            // The standard button would draw the new caption in its own look at once.
            const LRESULT result = DefWindowProcA(window, message, wparam, lparam);
            show_state(window);
            return result;
        }
        break;
    default: break;
    }

    const bool changed = track_state(*record, message, wparam);
    const LRESULT result = CallWindowProcA(previous, window, message, wparam, lparam);
    // The previous procedure may have destroyed the window or taken the skin off.
    record = find_record(window);
    if (record == nullptr || record->passthrough) return result;
    if (changed || draws_outside_paint(kind, message)) {
        show_state(window);
    } else if ((message == WM_NCPAINT && (kind == Kind::text_box || kind == Kind::combo_list)) ||
               (message == WM_PAINT && (kind == Kind::combo_box || kind == Kind::up_down))) {
        paint_frame(*record);
    }
    return result;
}

// Wraps a window of a skinned kind, once; windows of other threads are never touched.
void wrap(HWND window)
{
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
    if (Record* existing = find_record(window)) {
        if (!existing->passthrough) return;
        existing->passthrough = false;
        existing->state = current_state(window, existing->kind);
        existing->parent_known = false;
        RedrawWindow(window, nullptr, nullptr, full_redraw);
        return;
    }
    const std::optional<Kind> kind = classify_window(window);
    if (!kind) return;

    Record record;
    record.window = window;
    record.kind = *kind;
    record.state = current_state(window, *kind);
    record.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&skin_window_proc)));
    if (record.previous == nullptr) return;
    records.push_front(record);
    RedrawWindow(window, nullptr, nullptr, full_redraw);
}

BOOL CALLBACK wrap_child(HWND window, LPARAM) noexcept
{
    wrap(window);
    return TRUE;
}

BOOL CALLBACK wrap_with_descendants(HWND window, LPARAM) noexcept
{
    wrap(window);
    EnumChildWindows(window, wrap_child, 0);
    return TRUE;
}

LRESULT CALLBACK on_call_window_proc(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
        if (call->message == WM_CREATE) wrap(call->hwnd);
    }
    return CallNextHookEx(create_hook, code, wparam, lparam);
}

void put_on()
{
    EnumThreadWindows(GetCurrentThreadId(), wrap_with_descendants, 0);
    create_hook = SetWindowsHookExA(WH_CALLWNDPROC, on_call_window_proc, nullptr, GetCurrentThreadId());
}

int take_off()
{
    if (create_hook == nullptr) return 0;
    // Unwrap first and redraw afterwards: redrawing sends messages, which must not find the list
    // half walked.
    std::vector<HWND> unwrapped;
    for (auto before = records.before_begin(); std::next(before) != records.end();) {
        Record& record = *std::next(before);
        unwrapped.push_back(record.window);
        if (ours(record.window)) {
            SetWindowLongPtrA(record.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record.previous));
            records.erase_after(before);
        } else {
            record.passthrough = true;
            ++before;
        }
    }
    const BOOL removed = UnhookWindowsHookEx(create_hook);
    create_hook = nullptr;
    for (const HWND window : unwrapped) RedrawWindow(window, nullptr, nullptr, full_redraw);
    return removed != FALSE ? 1 : 0;
}

} // namespace

int switch_skin(int scheme)
{
    if (!is_scheme(scheme)) return take_off();
    take_off();
    scheme_number = scheme;
    put_on();
    return 1;
}

int current_scheme() noexcept { return scheme_number; }

std::size_t wrapped_window_count() noexcept
{
    return static_cast<std::size_t>(std::distance(records.begin(), records.end()));
}

std::optional<Kind> wrapped_kind(HWND window) noexcept
{
    const Record* record = find_record(window);
    if (record == nullptr || record->passthrough) return std::nullopt;
    return record->kind;
}

} // namespace orvanta::skin
