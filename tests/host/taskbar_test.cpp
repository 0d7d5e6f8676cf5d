#include <gtest/gtest.h>
#include "display/taskbar.h"

TEST(Taskbar, ClassifiesByShapeAndTop) {
    struct Case { ScreenRect bar; uint8_t edge; } cases[] = {
        {{0, 748, 1024, 768}, TaskbarBottom},   // the Wine shell desktop's bar
        {{0, 0, 1024, 30}, TaskbarTop},
        {{0, 1, 1024, 31}, TaskbarTop},         // a top of 1 still counts as the top edge
        {{0, 2, 1024, 32}, TaskbarBottom},      // anything lower is the bottom
        {{0, 0, 60, 768}, TaskbarSide},
        {{964, 0, 1024, 768}, TaskbarSide},
        {{0, 700, 40, 740}, TaskbarSide},       // exactly square is vertical
        {{0, 0, 0, 0}, TaskbarSide},            // no rectangle at all
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyTaskbar(c.bar), c.edge)
            << c.bar.left << "," << c.bar.top << "," << c.bar.right << "," << c.bar.bottom;
    }
}
