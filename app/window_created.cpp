// The window-created handler of the start window: the place where the window's extras are switched
// on before it is first shown.
#include "main_window.h"

namespace orvanta {

void __启动窗口_创建完毕() {}

} // namespace orvanta
