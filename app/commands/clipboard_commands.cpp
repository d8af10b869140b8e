// The paste, clear, copy and listing commands.
#include "button_commands.h"
#include "clipboard.h"
#include "source_listing.h"

namespace orvanta {

// listing: _按钮2_被单击
void _按钮2_被单击()
{
    if (read_clipboard_text().empty()) {
        write_text(Control::编辑框1, "还没有复制内容!");
        return;
    }
    // Read again: what is written is the clipboard as it is now, even if it changed meanwhile.
    write_text(Control::编辑框1, read_clipboard_text());
}

// listing: _按钮3_被单击
void _按钮3_被单击()
{
    write_text(Control::编辑框1, "");
}

// listing: _按钮4_被单击
void _按钮4_被单击()
{
    write_clipboard_text(read_text(Control::编辑框2), main_window());
}

// listing: _按钮5_被单击
void _按钮5_被单击()
{
    write_text(Control::编辑框2, 源码);
}

} // namespace orvanta
