#include "kinds.h"

#include <array>

namespace orvanta::skin {
namespace {

// Long enough for every class name the table compares against.
constexpr int class_name_capacity = 64;
constexpr LONG_PTR combo_box_type_mask = CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST;

[[nodiscard]] bool same_class(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

[[nodiscard]] std::optional<Kind> classify_button(const WindowTraits& window) noexcept
{
    const LONG_PTR type = window.style & BS_TYPEMASK;
    const bool push_like = (window.style & BS_PUSHLIKE) != 0;
    switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        // Image buttons show no caption for the skin to draw.
        if ((window.style & (BS_BITMAP | BS_ICON)) != 0) return std::nullopt;
        if (!window.has_text && window.style == (WS_CHILD | WS_TABSTOP)) return std::nullopt;
        return Kind::push_button;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
        return push_like ? Kind::push_button : Kind::check_box;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return push_like ? Kind::push_button : Kind::radio_button;
    case BS_GROUPBOX:
        return Kind::group_box;
    default: // owner-drawn, user and split buttons keep their own drawing
        return std::nullopt;
    }
}

[[nodiscard]] std::string_view class_of(HWND window, std::array<char, class_name_capacity>& buffer) noexcept
{
    if (window == nullptr) return {};
    const int length = GetClassNameA(window, buffer.data(), class_name_capacity);
    return {buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0)};
}

} // namespace

std::optional<Kind> classify(const WindowTraits& window) noexcept
{
    const std::string_view name = window.class_name;
    if (same_class(name, "Button")) return classify_button(window);
    if (same_class(name, "Edit")) {
        // The four fields of an IP address control are edits that it draws as one box.
        if (same_class(window.parent_class_name, "SysIPAddress32")) return std::nullopt;
        return Kind::text_box;
    }
    if (same_class(name, "ComboBox")) {
        if ((window.style & combo_box_type_mask) == CBS_SIMPLE) return std::nullopt;
        return Kind::combo_box;
    }
    if (same_class(name, "msctls_updown32")) return Kind::up_down;
    if (same_class(name, "ComboLBox")) return Kind::combo_list;
    return std::nullopt;
}

std::optional<Kind> classify_window(HWND window) noexcept
{
    std::array<char, class_name_capacity> own{};
    std::array<char, class_name_capacity> parent{};
    WindowTraits traits;
    traits.class_name = class_of(window, own);
    traits.style = GetWindowLongPtrA(window, GWL_STYLE);
    traits.has_text = GetWindowTextLengthA(window) > 0;
    // GetAncestor rather than GetParent: GetParent answers the owner for top-level windows.
    traits.parent_class_name = class_of(GetAncestor(window, GA_PARENT), parent);
    return classify(traits);
}

} // namespace orvanta::skin
