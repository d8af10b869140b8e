// What the F4 notification does: hides the main window or shows it again.
#include "hot_key.h"
#include "main_window.h"

namespace orvanta {

// listing: _标签1_反馈事件
int _标签1_反馈事件(int 参数一, int 参数二)
{
    (void)参数一;
    (void)参数二;
    // A minimised window counts as visible, so it is hidden and later comes back still minimised;
    // nothing is restored, moved or brought to the front.
    set_main_window_visible(!main_window_visible());
    return 0;
}

} // namespace orvanta
