// Which windows the skin draws, decided from the class name and style alone.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

namespace orvanta::skin {

enum class Kind {
    push_button,
    check_box,
    radio_button,
    group_box,
    text_box,
    combo_box,
    up_down,
    combo_list,
};

// What a window would be wrapped as; nothing for windows that keep their own drawing.
struct WindowTraits {
    std::string_view class_name;
    LONG_PTR style = 0;
    bool has_text = false;
    std::string_view parent_class_name;
};

[[nodiscard]] std::optional<Kind> classify(const WindowTraits& window) noexcept;

// The same decision for a live window.
[[nodiscard]] std::optional<Kind> classify_window(HWND window) noexcept;

} // namespace orvanta::skin
