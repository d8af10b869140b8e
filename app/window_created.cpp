// The window-created handler of the start window: the place where the window's extras are switched
// on before it is first shown.
#include "hot_key.h"
#include "main_window.h"
#include "skin.h"

namespace orvanta {

// listing: __启动窗口_创建完毕
void __启动窗口_创建完毕()
{
    skin::switch_skin(skin::olive_scheme);
    // When F4 is already taken (another program, another copy of this one) the window simply cannot
    // be hidden with it; nothing is said.
    (void)hotkey::register_hot_key(main_window(), control(Control::标签1), hotkey::kNone, VK_F4);
}

} // namespace orvanta
