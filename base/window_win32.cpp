#include "base/window_win32.h"

HINSTANCE Instance = nullptr;
HWND MainWindow = nullptr;
HMENU MainMenu = nullptr;
HMENU PopupMenu = nullptr;
HICON IconResting = nullptr;
HICON IconTipping = nullptr;
HCURSOR CursorLadle = nullptr;
HCURSOR CursorLadlePouring = nullptr;
HCURSOR CursorHand = nullptr;
