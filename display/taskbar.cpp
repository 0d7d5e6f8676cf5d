#include "display/taskbar.h"

uint8_t ClassifyTaskbar(const ScreenRect& bar) {
    const int64_t width = int64_t(bar.right) - bar.left;
    const int64_t height = int64_t(bar.bottom) - bar.top;
    if (width > height) return bar.top > 1 ? TaskbarBottom : TaskbarTop;
    return TaskbarSide;
}
