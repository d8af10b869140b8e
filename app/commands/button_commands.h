// The buttons' click handlers and which button runs which.
#pragma once

#include "main_window.h"

namespace orvanta {

// Translate: the source box's text, translated, into the result box.
void _按钮1_被单击();
// Paste: the clipboard's text replaces the source box's, or a notice does when there is none.
void _按钮2_被单击();
// Clear the source box.
void _按钮3_被单击();
// Copy: the result box's text onto the clipboard, an empty one included.
void _按钮4_被单击();
// Listing: the program's own source into the result box.
void _按钮5_被单击();

using ClickHandler = void (*)();

// The handler bound to a click of the control, or nullptr when it has none.
ClickHandler click_handler(Control button) noexcept;

} // namespace orvanta
