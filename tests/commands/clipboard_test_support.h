// The tests' own hands on the system clipboard: putting known content there, reading what is
// there, and another process that holds it open.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "win32_handles.h"
#include "window_test_support.h"

namespace orvanta::testing {

// Replaces the clipboard's content; each returns false when the clipboard could not be had.
bool put_clipboard_text(std::string_view text);
bool put_clipboard_bitmap();                          // a picture and nothing else
bool put_clipboard_bitmap_and_text(std::string_view text);
bool empty_clipboard();

// The CF_TEXT content as the test reads it (up to the first zero byte); nullopt when there is none.
std::optional<std::string> clipboard_text();
// The formats the clipboard offers, synthesised ones included.
std::vector<UINT> clipboard_formats();

// A Unix path as Wine's Windows programs see it (drive Z: is the Unix root).
std::string windows_path(std::string unix_path);

// The helper process clipboard_holder, holding the clipboard open from start to end of this object
// (at most a minute); when given a text it puts that on the clipboard first.
class ClipboardHolder {
public:
    explicit ClipboardHolder(std::optional<std::string_view> text = std::nullopt);

    // Whether the helper has the clipboard open now.
    bool holding() const noexcept { return helper_.holding(); }
    // Lets the clipboard go and waits for the helper to end; true when it ended as it should.
    bool release() { return helper_.release(); }

private:
    HelperProcess helper_;
};

} // namespace orvanta::testing
