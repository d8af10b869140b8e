#include "painter.h"

#include "win32_handles.h"

#include <array>

namespace orvanta::skin {
namespace {

// Captions are drawn up to this many bytes.
constexpr int caption_capacity = 256;

// Push buttons, from the outside in: system-face ring, scheme frame, 2-pixel band, face.
constexpr int frame_inset = 1;
constexpr int band_inset = 2;
constexpr int band_width = 2;
constexpr int face_inset = band_inset + band_width;
constexpr int focus_inset = face_inset - 1;
constexpr int pressed_caption_shift = 1;

// Group box captions.
constexpr int left_caption_start = 9;
constexpr int left_gap_start = 8;
constexpr int centred_caption_gap = 5;
constexpr int right_caption_end = 10;

// Check boxes and radio buttons, which this program does not show, are drawn simply.
constexpr int mark_box_size = 13;
constexpr int mark_text_spacing = 4;
constexpr int radio_dot_inset = 4;

[[nodiscard]] RECT inset(RECT rect, int by) noexcept
{
    InflateRect(&rect, -by, -by);
    return rect;
}

[[nodiscard]] bool is_empty(const RECT& rect) noexcept { return rect.right <= rect.left || rect.bottom <= rect.top; }

void fill_solid(HDC hdc, const RECT& rect, COLORREF colour)
{
    if (is_empty(rect)) return;
    const UniqueBrush brush(CreateSolidBrush(colour));
    if (brush) FillRect(hdc, &rect, brush.get());
}

void frame_solid(HDC hdc, const RECT& rect, COLORREF colour)
{
    if (is_empty(rect)) return;
    const UniqueBrush brush(CreateSolidBrush(colour));
    if (brush) FrameRect(hdc, &rect, brush.get());
}

// A 1-pixel frame whose four corner pixels are left out, which reads as rounded at this size.
void frame_rounded(HDC hdc, const RECT& r, COLORREF colour)
{
    if (r.right - r.left < 3 || r.bottom - r.top < 3) return;
    const UniqueBrush brush(CreateSolidBrush(colour));
    if (!brush) return;
    const std::array<RECT, 4> edges{{
        {r.left + 1, r.top, r.right - 1, r.top + 1},
        {r.left + 1, r.bottom - 1, r.right - 1, r.bottom},
        {r.left, r.top + 1, r.left + 1, r.bottom - 1},
        {r.right - 1, r.top + 1, r.right, r.bottom - 1},
    }};
    for (const RECT& edge : edges) FillRect(hdc, &edge, brush.get());
}

[[nodiscard]] COLOR16 channel16(BYTE value) noexcept { return static_cast<COLOR16>(value << 8); }

[[nodiscard]] TRIVERTEX vertex(LONG x, LONG y, COLORREF colour) noexcept
{
    return TRIVERTEX{x, y, channel16(GetRValue(colour)), channel16(GetGValue(colour)),
                     channel16(GetBValue(colour)), 0};
}

// GradientFill stops one step short of the bottom colour on the last row; the gradient runs over all
// rows but the last and the last is filled with the bottom colour, so both ends are the table's.
void fill_gradient(HDC hdc, const RECT& rect, const Gradient& gradient)
{
    if (is_empty(rect)) return;
    if (gradient.top == gradient.bottom || rect.bottom - rect.top < 2) {
        fill_solid(hdc, rect, gradient.top);
        return;
    }
    std::array<TRIVERTEX, 2> vertices{vertex(rect.left, rect.top, gradient.top),
                                      vertex(rect.right, rect.bottom - 1, gradient.bottom)};
    GRADIENT_RECT span{0, 1};
    GradientFill(hdc, vertices.data(), static_cast<ULONG>(vertices.size()), &span, 1, GRADIENT_FILL_RECT_V);
    fill_solid(hdc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, gradient.bottom);
}

[[nodiscard]] COLORREF disabled_frame_colour() noexcept
{
    return darkened(GetSysColor(COLOR_BTNFACE), disabled_frame_darkening);
}

[[nodiscard]] HBRUSH parent_brush(const ParentColours& parent) noexcept
{
    return parent.brush != nullptr ? parent.brush : GetSysColorBrush(COLOR_BTNFACE);
}

[[nodiscard]] RECT client_rect(HWND window) noexcept
{
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

struct Caption {
    std::array<char, caption_capacity> bytes{};
    int length = 0;
};

[[nodiscard]] Caption read_caption(HWND window) noexcept
{
    Caption caption;
    caption.length = GetWindowTextA(window, caption.bytes.data(), caption_capacity);
    if (caption.length < 0) caption.length = 0;
    return caption;
}

[[nodiscard]] HFONT font_of(HWND window) noexcept
{
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

[[nodiscard]] UINT horizontal_text_flags(LONG_PTR style, UINT fallback) noexcept
{
    switch (style & BS_CENTER) {
    case BS_LEFT: return DT_LEFT;
    case BS_RIGHT: return DT_RIGHT;
    case BS_CENTER: return DT_CENTER;
    default: return fallback;
    }
}

// Draws a caption into `box` with the alignment the button style asks for; multi-line captions are
// measured first because DT_VCENTER only works on single lines.
void draw_caption(HDC hdc, const Caption& caption, RECT box, LONG_PTR style, UINT default_horizontal)
{
    if (caption.length == 0) return;
    const UINT horizontal = horizontal_text_flags(style, default_horizontal);
    const LONG_PTR vertical = style & BS_VCENTER;
    if ((style & BS_MULTILINE) == 0) {
        const UINT v = vertical == BS_TOP ? DT_TOP : vertical == BS_BOTTOM ? DT_BOTTOM : DT_VCENTER;
        DrawTextA(hdc, caption.bytes.data(), caption.length, &box, horizontal | v | DT_SINGLELINE);
        return;
    }
    RECT measured = box;
    DrawTextA(hdc, caption.bytes.data(), caption.length, &measured, horizontal | DT_WORDBREAK | DT_CALCRECT);
    const LONG height = measured.bottom - measured.top;
    if (vertical == BS_BOTTOM) {
        box.top = box.bottom - height;
    } else if (vertical != BS_TOP) {
        box.top += (box.bottom - box.top - height) / 2;
    }
    box.bottom = box.top + height;
    DrawTextA(hdc, caption.bytes.data(), caption.length, &box, horizontal | DT_WORDBREAK);
}

[[nodiscard]] const Gradient& band_for(const ControlState& state, const PushButtonGradients& colours) noexcept
{
    if (state.pressed) return colours.band_pressed;
    if (state.hot) return colours.band_hot;
    if (state.checked) return colours.band_pressed;
    if (state.focused || state.is_default) return colours.band_focused_or_default;
    return colours.band_normal;
}

[[nodiscard]] COLORREF caption_colour_for(const ControlState& state) noexcept
{
    return state.disabled || state.indeterminate ? greyed_caption_colour : caption_colour;
}

// DrawFocusRect inverts through a pattern drawn in the text and background colours; black on white
// makes the inversion the same whatever the caller's DC held.
void draw_focus(HDC hdc, const RECT& rect)
{
    SetTextColor(hdc, RGB(0, 0, 0));
    SetBkColor(hdc, RGB(255, 255, 255));
    DrawFocusRect(hdc, &rect);
}

// Where a check box's or radio button's mark goes and where its caption goes.
struct MarkLayout {
    RECT mark;
    RECT text;
};

[[nodiscard]] MarkLayout layout_mark(const RECT& client, LONG_PTR style) noexcept
{
    const LONG top = client.top + (client.bottom - client.top - mark_box_size) / 2;
    MarkLayout layout{};
    if ((style & BS_LEFTTEXT) != 0) {
        layout.mark = {client.right - mark_box_size, top, client.right, top + mark_box_size};
        layout.text = {client.left, client.top, layout.mark.left - mark_text_spacing, client.bottom};
    } else {
        layout.mark = {client.left, top, client.left + mark_box_size, top + mark_box_size};
        layout.text = {layout.mark.right + mark_text_spacing, client.top, client.right, client.bottom};
    }
    return layout;
}

[[nodiscard]] COLORREF mark_frame_colour(const ControlState& state, const Scheme& scheme) noexcept
{
    return state.disabled ? disabled_frame_colour() : scheme.push_button_frame;
}

[[nodiscard]] COLORREF mark_fill_colour(const ControlState& state) noexcept
{
    return GetSysColor(state.disabled || state.indeterminate ? COLOR_BTNFACE : COLOR_WINDOW);
}

// A check box or radio button: background, caption and focus, then the mark, which draw_mark(mark
// rectangle, frame colour) draws; the DC's state is put back afterwards.
template <typename DrawMark>
void paint_marked_button(HWND window, HDC hdc, const ControlState& state, const ParentColours& parent,
                         const Scheme& scheme, DrawMark draw_mark)
{
    const SavedDcState keep(hdc);
    const RECT client = client_rect(window);
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    const MarkLayout layout = layout_mark(client, style);
    FillRect(hdc, &client, parent_brush(parent));
    const Caption caption = read_caption(window);
    {
        const SelectedObject font(hdc, font_of(window));
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, caption_colour_for(state));
        draw_caption(hdc, caption, layout.text, style, DT_LEFT);
        if (state.focused && caption.length > 0) {
            RECT measured = layout.text;
            DrawTextA(hdc, caption.bytes.data(), caption.length, &measured, DT_SINGLELINE | DT_CALCRECT);
            const LONG height = measured.bottom - measured.top;
            measured.top = layout.text.top + (layout.text.bottom - layout.text.top - height) / 2;
            measured.bottom = measured.top + height;
            InflateRect(&measured, 1, 1);
            draw_focus(hdc, measured);
        }
    }
    draw_mark(layout.mark, mark_frame_colour(state, scheme));
}

} // namespace

void paint_push_button(HWND window, HDC hdc, const ControlState& state, const ParentColours& parent,
                       const Scheme& scheme)
{
    const SavedDcState keep(hdc);
    const RECT client = client_rect(window);
    FillRect(hdc, &client, parent_brush(parent));
    FrameRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
    frame_rounded(hdc, inset(client, frame_inset),
                  state.disabled ? disabled_frame_colour() : scheme.push_button_frame);

    const PushButtonGradients& colours = scheme.push_button;
    const RECT band = inset(client, band_inset);
    const RECT face = inset(client, face_inset);
    if (state.disabled) {
        // A disabled button shows no state, so the band takes the flat face as well.
        fill_gradient(hdc, band, colours.face_disabled);
    } else {
        fill_gradient(hdc, band, band_for(state, colours));
        fill_gradient(hdc, face,
                      state.pressed || state.checked ? colours.face_pressed_or_checked : colours.face_normal);
    }
    if (state.focused && !state.disabled) draw_focus(hdc, inset(client, focus_inset));

    const Caption caption = read_caption(window);
    RECT text = face;
    if (state.pressed) OffsetRect(&text, pressed_caption_shift, pressed_caption_shift);
    const SelectedObject font(hdc, font_of(window));
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, caption_colour_for(state));
    draw_caption(hdc, caption, text, GetWindowLongPtrA(window, GWL_STYLE), DT_CENTER);
}

void paint_check_box(HWND window, HDC hdc, const ControlState& state, const ParentColours& parent,
                     const Scheme& scheme)
{
    paint_marked_button(window, hdc, state, parent, scheme, [&](const RECT& mark, COLORREF frame) {
        frame_solid(hdc, mark, frame);
        fill_solid(hdc, inset(mark, 1), mark_fill_colour(state));
        if (!state.checked && !state.indeterminate) return;
        const UniquePen pen(CreatePen(PS_SOLID, 2, state.indeterminate ? greyed_caption_colour : frame));
        const SelectedObject use_pen(hdc, pen.get());
        const std::array<POINT, 3> tick{
            {{mark.left + 3, mark.top + 6}, {mark.left + 5, mark.top + 9}, {mark.left + 10, mark.top + 3}}};
        Polyline(hdc, tick.data(), static_cast<int>(tick.size()));
    });
}

void paint_radio_button(HWND window, HDC hdc, const ControlState& state, const ParentColours& parent,
                        const Scheme& scheme)
{
    paint_marked_button(window, hdc, state, parent, scheme, [&](const RECT& mark, COLORREF frame) {
        {
            const UniquePen pen(CreatePen(PS_SOLID, 1, frame));
            const UniqueBrush fill(CreateSolidBrush(mark_fill_colour(state)));
            const SelectedObject use_pen(hdc, pen.get());
            const SelectedObject use_fill(hdc, fill.get());
            Ellipse(hdc, mark.left, mark.top, mark.right, mark.bottom);
        }
        if (!state.checked) return;
        const RECT dot = inset(mark, radio_dot_inset);
        const UniqueBrush dot_fill(CreateSolidBrush(frame));
        const SelectedObject use_fill(hdc, dot_fill.get());
        const SelectedObject no_outline(hdc, GetStockObject(NULL_PEN));
        Ellipse(hdc, dot.left, dot.top, dot.right + 1, dot.bottom + 1);
    });
}

GroupCaptionLayout layout_group_caption(LONG_PTR style, int box_width, int text_width, int text_height) noexcept
{
    GroupCaptionLayout layout{};
    LONG left = left_caption_start;
    switch (style & BS_CENTER) {
    case BS_CENTER:
        left = (box_width - text_width) / 2;
        layout.gap_left = left - centred_caption_gap;
        layout.gap_right = left + text_width + centred_caption_gap;
        break;
    case BS_RIGHT:
        left = box_width - right_caption_end - text_width;
        layout.gap_left = left - 1;
        layout.gap_right = left + text_width + 1;
        break;
    default:
        layout.gap_left = left_gap_start;
        layout.gap_right = left + text_width + 1;
        break;
    }
    layout.text = {left, 0, left + text_width, text_height};
    if (text_width == 0) layout.gap_left = layout.gap_right = 0;
    return layout;
}

void paint_group_box(HWND window, HDC hdc, const ControlState& state, const ParentColours& parent,
                     const Scheme& scheme)
{
    const SavedDcState keep(hdc);
    const RECT client = client_rect(window);
    // A group box is the parent of the controls inside it but has no WS_CLIPCHILDREN, so its DC
    // reaches over them; keep the fill off the visible ones.
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT area{};
        GetWindowRect(child, &area);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
        ExcludeClipRect(hdc, area.left, area.top, area.right, area.bottom);
    }
    const HBRUSH background = parent_brush(parent);
    FillRect(hdc, &client, background);

    const Caption caption = read_caption(window);
    const SelectedObject font(hdc, font_of(window));
    TEXTMETRICA metrics{};
    GetTextMetricsA(hdc, &metrics);
    RECT measured{};
    if (caption.length > 0) {
        DrawTextA(hdc, caption.bytes.data(), caption.length, &measured, DT_SINGLELINE | DT_CALCRECT);
    }
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    const GroupCaptionLayout layout =
        layout_group_caption(style, client.right, measured.right - measured.left, metrics.tmHeight);

    const RECT frame{client.left, client.top + metrics.tmHeight / 2, client.right, client.bottom};
    frame_rounded(hdc, frame, scheme.group_box_frame);
    if (caption.length == 0) return;
    const RECT gap{layout.gap_left, frame.top, layout.gap_right, frame.top + 1};
    FillRect(hdc, &gap, background);

    RECT text = layout.text;
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, state.disabled ? greyed_caption_colour : parent.text);
    DrawTextA(hdc, caption.bytes.data(), caption.length, &text, DT_SINGLELINE | DT_LEFT | DT_TOP);
}

bool has_text_box_border(HWND window) noexcept
{
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    const LONG_PTR ex_style = GetWindowLongPtrA(window, GWL_EXSTYLE);
    return (style & WS_BORDER) != 0 || (ex_style & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0;
}

namespace {

// The outer frame in the scheme's colour and, inside it, one in the colour of the box's interior.
void paint_box_frames(HDC hdc, const RECT& outer, const ControlState& state, bool read_only, const Scheme& scheme)
{
    frame_solid(hdc, outer, state.disabled ? disabled_frame_colour() : scheme.text_box_frame);
    frame_solid(hdc, inset(outer, 1), GetSysColor(state.disabled || read_only ? COLOR_BTNFACE : COLOR_WINDOW));
}

[[nodiscard]] RECT whole_window_rect(HWND window) noexcept
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace

void paint_text_box_frame(HWND window, HDC window_dc, const ControlState& state, const Scheme& scheme)
{
    if (!has_text_box_border(window)) return;
    const SavedDcState keep(window_dc);
    const bool read_only = (GetWindowLongPtrA(window, GWL_STYLE) & ES_READONLY) != 0;
    paint_box_frames(window_dc, whole_window_rect(window), state, read_only, scheme);
}

void paint_combo_box_frame(HWND window, HDC client_dc, const ControlState& state, const Scheme& scheme)
{
    const SavedDcState keep(client_dc);
    paint_box_frames(client_dc, client_rect(window), state, false, scheme);
}

void paint_combo_list_frame(HWND window, HDC window_dc, const Scheme& scheme)
{
    if ((GetWindowLongPtrA(window, GWL_STYLE) & WS_BORDER) == 0) return;
    const SavedDcState keep(window_dc);
    frame_solid(window_dc, whole_window_rect(window), scheme.text_box_frame);
}

void paint_up_down_frame(HWND window, HDC client_dc, const ControlState& state, const Scheme& scheme)
{
    const SavedDcState keep(client_dc);
    frame_solid(client_dc, client_rect(window), mark_frame_colour(state, scheme));
}

} // namespace orvanta::skin
