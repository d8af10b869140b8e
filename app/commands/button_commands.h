// The buttons' click handlers and which button runs which.
#pragma once

#include "main_window.h"

namespace orvanta {

// Translate: the source box's text, translated, into the result box.
void _按钮1_被单击();

using ClickHandler = void (*)();

// The handler bound to a click of the control, or nullptr when it has none.
ClickHandler click_handler(Control button) noexcept;

} // namespace orvanta
