// The Translate command.
#include "button_commands.h"

namespace orvanta {

// listing: _按钮1_被单击
void _按钮1_被单击()
{
    if (read_text(Control::编辑框1).empty()) {
        // No owner: the box stands on its own; MB_TASKMODAL still disables the main window meanwhile.
        MessageBoxA(nullptr, "请填写欲翻译的中文内容!", "", MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
        return;
    }
    write_text(Control::编辑框2, "");
    // Read afresh: the box is the only source of truth, whatever the check above saw.
    write_text(Control::编辑框2, 翻译(read_text(Control::编辑框1)));
}

} // namespace orvanta
