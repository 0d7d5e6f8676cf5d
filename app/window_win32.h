// Win32 state of the main window and the graphics made once at start-up.
#pragma once
#include <windows.h>
#include <cstdint>
#include "app/heartbeat.h"

extern HINSTANCE Instance;
extern HWND MainWindow;
extern HMENU MainMenu;
extern HMENU PopupMenu;
extern HICON IconResting;      // 127: class icon and the tray icon at rest
extern HICON IconTipping;      // 125: the tray icon's other picture while the tube tips
extern HCURSOR CursorLadle;
extern HCURSOR CursorLadlePouring;
extern HCURSOR CursorHand;

constexpr int FrameCount = 9;
extern HBITMAP FrameBitmaps[FrameCount];
extern HRGN FrameRegions[FrameCount];
extern HBITMAP StreamSheet;
extern HBITMAP StreamMask;
extern HBITMAP MeterStrip;

extern HWND PerchTarget;
extern HWND TaskbarWindow;
extern uint8_t TaskbarEdge;
extern int32_t ScreenHeight;
// The registered message "TaskbarCreated" (0 until registered, or when registration failed).
extern UINT TaskbarCreatedMessage;
constexpr char TaskbarCreatedMessageName[] = "TaskbarCreated";

constexpr UINT HeartbeatTimer = 1;
constexpr UINT ClickTipTimer = 2;
constexpr UINT WaterSoundTimer = 3;
constexpr UINT PresenceTimer = 4;
constexpr UINT HeartbeatMs = HeartbeatPeriodMs;
constexpr UINT WaterSoundMs = 500;
constexpr UINT PresenceLookMs = 1000;
constexpr char WindowClassName[] = "Tsutsuri";
constexpr char RegionProperty[] = "region";
// Per-monitor DPI messages (Windows 8.1 and 10 1607), which the headers give only for targets
// newer than the program's.
constexpr UINT DpiChangedMessage = 0x02E0;         // WM_DPICHANGED
constexpr UINT GetDpiScaledSizeMessage = 0x02E4;   // WM_GETDPISCALEDSIZE

// The timers that run only while someone is at the machine: the heartbeat, on which the
// presence look and the watch over the sound output ride, started once the start-up has looked
// at presence and again on coming back. Stopping them stops the water sound's timer 3 and a
// click's pending tip as well; whoever starts again starts timer 3 where the loops play.
void StartPresentTimers(HWND window);
void StopPresentTimers(HWND window);
// Each heartbeat: the heartbeat's timer kept on its steady schedule (app/heartbeat.h), and
// the slow chores of this step: the device watch's look, then presence's.
void KeepHeartbeat(HWND window);

// Everything after the window exists: the first look at presence, then the settings applied
// (the sound device among them), the place, the first picture, and the window shown as
// presence allows.
void StartSozu(HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
