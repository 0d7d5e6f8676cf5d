// Win32 state of the main window: its handles, menus, icons and cursors, its timers and the
// messages it hears.
#pragma once
#include <windows.h>
#include <cstdint>

extern HINSTANCE Instance;
extern HWND MainWindow;
extern HMENU MainMenu;
extern HMENU PopupMenu;
extern HICON IconResting;      // 127: class icon and the tray icon at rest
extern HICON IconTipping;      // 125: the tray icon's other picture while the tube tips
extern HCURSOR CursorLadle;
extern HCURSOR CursorLadlePouring;
extern HCURSOR CursorHand;

constexpr UINT HeartbeatTimer = 1;
constexpr UINT ClickTipTimer = 2;
constexpr UINT WaterSoundTimer = 3;
constexpr UINT PresenceTimer = 4;
constexpr UINT WaterSoundMs = 500;
constexpr UINT PresenceLookMs = 1000;
constexpr char WindowClassName[] = "Tsutsuri";
constexpr char RegionProperty[] = "region";
// Per-monitor DPI messages (Windows 8.1 and 10 1607), which the headers give only for targets
// newer than the program's.
constexpr UINT DpiChangedMessage = 0x02E0;         // WM_DPICHANGED
constexpr UINT GetDpiScaledSizeMessage = 0x02E4;   // WM_GETDPISCALEDSIZE
