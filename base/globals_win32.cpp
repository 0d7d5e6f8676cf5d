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
HBITMAP FrameBitmaps[FrameCount] = {};
HRGN FrameRegions[FrameCount] = {};
HBITMAP StreamSheet = nullptr;
HBITMAP StreamMask = nullptr;
HBITMAP MeterStrip = nullptr;
HWND PerchTarget = nullptr;
HWND TaskbarWindow = nullptr;
uint8_t TaskbarEdge = 0;
int32_t ScreenHeight = 0;
UINT TaskbarCreatedMessage = 0;
