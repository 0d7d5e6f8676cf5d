// floor.exe: the least a 48x48 desktop accessory can cost, the yardstick for the program's
// idle CPU time, start-up time and working set: the floor's window (bench/floor_window.h)
// and nothing else.
//
//   floor.exe [LEFT TOP]     the window's place (default: the middle of the screen)
#include <windows.h>

#include "bench/floor_window.h"

namespace {
constexpr char ClassName[] = "TsutsuriFloor";
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND window = CreateFloorWindow(instance, ClassName, nullptr);
    if (!window) return 1;
    return ShowFloorWindowAndRun(window);
}
