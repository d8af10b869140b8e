// The system clipboard, in its plain-text format (CF_TEXT) only.
#pragma once

#include <string_view>

#include <windows.h>

#include "translation_client.h"

namespace orvanta {

// The clipboard's text up to its first zero byte; empty when the clipboard cannot be opened (another
// program holds it), holds no text, or holds an empty one. Nothing is retried or reported.
Text read_clipboard_text();

// Replaces the clipboard's whole content with the text. When the clipboard cannot be opened it is
// left as it was; when the memory for the text cannot be had it is left empty.
//
// `owner` owns the new content: EmptyClipboard after OpenClipboard(NULL) leaves the clipboard
// without an owner, and the documentation says SetClipboardData then fails.
void write_clipboard_text(std::string_view text, HWND owner);

} // namespace orvanta
