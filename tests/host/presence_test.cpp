// Here, busy or away from the signals, and the program's own full-screen rule.
#include <gtest/gtest.h>

#include "app/presence.h"

namespace {

constexpr bool On = true, Off = false;

struct DecisionCase {
    const char* what;
    PresenceSignals signals;   // locked, disconnected, displayOff, suspending, shell, full, rule
    Presence expected;
};

const DecisionCase DecisionCases[] = {
    {"nothing", {Off, Off, Off, Off, ShellStateAcceptsNotifications, Off, On}, Presence::Here},
    {"no shell call", {Off, Off, Off, Off, ShellStateUnknown, Off, On}, Presence::Here},
    {"new account's first hour", {Off, Off, Off, Off, ShellStateQuietTime, Off, On},
     Presence::Here},
    {"full-screen application", {Off, Off, Off, Off, ShellStateBusy, Off, On}, Presence::Busy},
    {"Direct3D full screen", {Off, Off, Off, Off, ShellStateFullScreenD3d, Off, On},
     Presence::Busy},
    {"presentation", {Off, Off, Off, Off, ShellStatePresentation, Off, On}, Presence::Busy},
    {"store app", {Off, Off, Off, Off, ShellStateApp, Off, On}, Presence::Busy},
    {"own check only", {Off, Off, Off, Off, ShellStateUnknown, On, On}, Presence::Busy},
    {"busy rule off", {Off, Off, Off, Off, ShellStatePresentation, On, Off}, Presence::Here},
    {"screen saver", {Off, Off, Off, Off, ShellStateNotPresent, Off, On}, Presence::Away},
    {"screen saver, rule off", {Off, Off, Off, Off, ShellStateNotPresent, Off, Off},
     Presence::Away},
    {"locked over a film", {On, Off, Off, Off, ShellStateBusy, On, On}, Presence::Away},
    {"disconnected", {Off, On, Off, Off, ShellStateUnknown, Off, On}, Presence::Away},
    {"display off", {Off, Off, On, Off, ShellStateUnknown, Off, Off}, Presence::Away},
    {"suspending", {Off, Off, Off, On, ShellStateUnknown, Off, On}, Presence::Away},
    {"a state the shell may add", {Off, Off, Off, Off, 99, Off, On}, Presence::Here},
};

TEST(Presence, DecidedFromTheSignals) {
    for (const DecisionCase& c : DecisionCases) {
        EXPECT_EQ(DecidePresence(c.signals), c.expected) << c.what;
    }
    // Only the notices that end with a notice of their own let the look stop.
    EXPECT_TRUE(AwayByMessages({Off, Off, On, Off, ShellStateUnknown, Off, On}));
    EXPECT_FALSE(AwayByMessages({Off, Off, Off, Off, ShellStateNotPresent, Off, On}));
}

TEST(Presence, ShellWindowsByClass) {
    for (const char* name : {"Progman", "WorkerW", "Shell_TrayWnd", "#32769"}) {
        EXPECT_TRUE(ShellWindowClass(name)) << name;
    }
    for (const char* name : {"", "progman", "Shell_SecondaryTrayWnd2", "WorkerWindow"}) {
        EXPECT_FALSE(ShellWindowClass(name)) << name;
    }
}

// Two monitors side by side: the primary 1024x768 at the origin, a second 800x600 on its left.
const MonitorArea Monitors[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 728}, 96},
                                {{-800, 0, 0, 600}, {-800, 0, 0, 560}, 96}};
constexpr ScreenRect Primary = {0, 0, 1024, 768};

struct FullScreenCase {
    const char* what;
    ForegroundFacts front;   // exists, ours, shell, captioned, rect
    int32_t monitorCount;
    bool before;
    bool expected;
};

const FullScreenCase FullScreenCases[] = {
    {"borderless over the primary", {On, Off, Off, Off, {0, 0, 1024, 768}}, 2, Off, On},
    {"borderless over the second", {On, Off, Off, Off, {-800, 0, 0, 600}}, 2, Off, On},
    {"larger than its monitor", {On, Off, Off, Off, {-8, -8, 1032, 776}}, 2, Off, On},
    {"over the work area only", {On, Off, Off, Off, {0, 0, 1024, 728}}, 2, Off, Off},
    {"one pixel short", {On, Off, Off, Off, {0, 0, 1023, 768}}, 2, Off, Off},
    {"maximized with a caption", {On, Off, Off, On, {-8, -8, 1032, 776}}, 2, Off, Off},
    {"the desktop", {On, Off, On, Off, {0, 0, 1024, 768}}, 2, Off, Off},
    {"nothing in front", {Off, Off, Off, Off, {0, 0, 1024, 768}}, 2, On, Off},
    {"no monitors told: the screen", {On, Off, Off, Off, {0, 0, 1024, 768}}, 0, Off, On},
    {"no monitors told: a part", {On, Off, Off, Off, {0, 0, 800, 600}}, 0, Off, Off},
    {"our menu over a film", {On, On, Off, Off, {0, 0, 48, 48}}, 2, On, On},
    {"our menu over the desktop", {On, On, Off, Off, {0, 0, 48, 48}}, 2, Off, Off},
};

TEST(Presence, ForegroundFullScreenRule) {
    for (const FullScreenCase& c : FullScreenCases) {
        EXPECT_EQ(ForegroundFullScreen(c.front, Monitors, c.monitorCount, Primary, c.before),
                  c.expected)
            << c.what;
    }
}

}  // namespace
