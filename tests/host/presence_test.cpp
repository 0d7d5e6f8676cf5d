// Here, busy or away from the signals, and the program's own full-screen rule.
#include <gtest/gtest.h>

#include "app/presence.h"

namespace {

constexpr bool On = true, Off = false;

struct DecisionCase {
    const char* what;
    // locked, disconnected, displayOff, suspending, shell, full, rule, saver, covers
    PresenceSignals signals;
    Presence expected;
};

const DecisionCase DecisionCases[] = {
    {"nothing", {Off, Off, Off, Off, ShellStateAcceptsNotifications, Off, On, Off, Off},
     Presence::Here},
    {"no shell call", {Off, Off, Off, Off, ShellStateUnknown, Off, On, Off, Off}, Presence::Here},
    {"new account's first hour", {Off, Off, Off, Off, ShellStateQuietTime, Off, On, Off, Off},
     Presence::Here},
    // The shell's "busy" and "app" need the program's own look to agree.
    {"busy over an empty desktop", {Off, Off, Off, Off, ShellStateBusy, Off, On, Off, Off},
     Presence::Here},
    {"busy, a captioned window over its monitor",
     {Off, Off, Off, Off, ShellStateBusy, Off, On, Off, On}, Presence::Busy},
    {"app with the Start menu open", {Off, Off, Off, Off, ShellStateApp, Off, On, Off, Off},
     Presence::Here},
    {"app over its monitor", {Off, Off, Off, Off, ShellStateApp, Off, On, Off, On},
     Presence::Busy},
    {"Direct3D full screen", {Off, Off, Off, Off, ShellStateFullScreenD3d, Off, On, Off, Off},
     Presence::Busy},
    {"presentation", {Off, Off, Off, Off, ShellStatePresentation, Off, On, Off, Off},
     Presence::Busy},
    {"own check only", {Off, Off, Off, Off, ShellStateUnknown, On, On, Off, On}, Presence::Busy},
    {"covering with a caption, no word from the shell",
     {Off, Off, Off, Off, ShellStateAcceptsNotifications, Off, On, Off, On}, Presence::Here},
    {"busy rule off", {Off, Off, Off, Off, ShellStatePresentation, On, Off, Off, On},
     Presence::Here},
    {"screen saver", {Off, Off, Off, Off, ShellStateNotPresent, Off, On, Off, Off},
     Presence::Away},
    {"screen saver, rule off", {Off, Off, Off, Off, ShellStateNotPresent, Off, Off, Off, Off},
     Presence::Away},
    // The saver's own flag: away, ahead of the full-screen window the saver is on XP.
    {"saver's flag over its window", {Off, Off, Off, Off, ShellStateUnknown, On, On, On, On},
     Presence::Away},
    {"saver's flag, rule off", {Off, Off, Off, Off, ShellStateUnknown, Off, Off, On, Off},
     Presence::Away},
    {"locked over a film", {On, Off, Off, Off, ShellStateBusy, On, On, Off, On}, Presence::Away},
    {"disconnected", {Off, On, Off, Off, ShellStateUnknown, Off, On, Off, Off}, Presence::Away},
    {"display off", {Off, Off, On, Off, ShellStateUnknown, Off, Off, Off, Off}, Presence::Away},
    {"suspending", {Off, Off, Off, On, ShellStateUnknown, Off, On, Off, Off}, Presence::Away},
    {"a state the shell may add", {Off, Off, Off, Off, 99, Off, On, Off, On}, Presence::Here},
};

TEST(Presence, DecidedFromTheSignals) {
    for (const DecisionCase& c : DecisionCases) {
        EXPECT_EQ(DecidePresence(c.signals), c.expected) << c.what;
    }
    // Only the notices that end with a notice of their own let the look stop.
    EXPECT_TRUE(AwayByMessages({Off, Off, On, Off, ShellStateUnknown, Off, On, Off, Off}));
    EXPECT_FALSE(AwayByMessages({Off, Off, Off, Off, ShellStateNotPresent, Off, On, Off, Off}));
    EXPECT_FALSE(AwayByMessages({Off, Off, Off, Off, ShellStateUnknown, Off, On, On, Off}));
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
    ForegroundLook before;   // full screen, covers its monitor
    ForegroundLook expected;
};

const FullScreenCase FullScreenCases[] = {
    {"borderless over the primary", {On, Off, Off, Off, {0, 0, 1024, 768}}, 2, {Off, Off},
     {On, On}},
    {"borderless over the second", {On, Off, Off, Off, {-800, 0, 0, 600}}, 2, {Off, Off},
     {On, On}},
    {"larger than its monitor", {On, Off, Off, Off, {-8, -8, 1032, 776}}, 2, {Off, Off},
     {On, On}},
    {"over the work area only", {On, Off, Off, Off, {0, 0, 1024, 728}}, 2, {Off, Off},
     {Off, Off}},
    {"one pixel short", {On, Off, Off, Off, {0, 0, 1023, 768}}, 2, {Off, Off}, {Off, Off}},
    {"maximized with a caption", {On, Off, Off, On, {-8, -8, 1032, 776}}, 2, {Off, Off},
     {Off, On}},
    {"captioned over the second", {On, Off, Off, On, {-800, 0, 0, 600}}, 2, {Off, Off},
     {Off, On}},
    {"the desktop", {On, Off, On, Off, {0, 0, 1024, 768}}, 2, {Off, Off}, {Off, Off}},
    {"nothing in front", {Off, Off, Off, Off, {0, 0, 1024, 768}}, 2, {On, On}, {Off, Off}},
    {"no monitors told: the screen", {On, Off, Off, Off, {0, 0, 1024, 768}}, 0, {Off, Off},
     {On, On}},
    {"no monitors told: a part", {On, Off, Off, Off, {0, 0, 800, 600}}, 0, {Off, Off},
     {Off, Off}},
    {"our menu over a film", {On, On, Off, Off, {0, 0, 48, 48}}, 2, {On, On}, {On, On}},
    {"our menu over a captioned window", {On, On, Off, Off, {0, 0, 48, 48}}, 2, {Off, On},
     {Off, On}},
    {"our menu over the desktop", {On, On, Off, Off, {0, 0, 48, 48}}, 2, {Off, Off},
     {Off, Off}},
};

TEST(Presence, ForegroundFullScreenRule) {
    for (const FullScreenCase& c : FullScreenCases) {
        const ForegroundLook seen =
            LookAtForeground(c.front, Monitors, c.monitorCount, Primary, c.before);
        EXPECT_EQ(seen.fullScreen, c.expected.fullScreen) << c.what;
        EXPECT_EQ(seen.coversMonitor, c.expected.coversMonitor) << c.what;
    }
}

// The perch asks the same rule of the window it would stand beside; the sozu's own windows
// are never that window, so the rule alone answers.
TEST(Presence, PerchNeverBesideAFullScreenWindow) {
    const struct {
        const char* what;
        ForegroundFacts beside;
        bool fullScreen;
    } cases[] = {
        {"a film on the primary", {On, Off, Off, Off, {0, 0, 1024, 768}}, On},
        {"a film on the second, left of the primary", {On, Off, Off, Off, {-800, 0, 0, 600}}, On},
        {"a maximized document", {On, Off, Off, On, {-8, -8, 1032, 776}}, Off},
        {"an ordinary window", {On, Off, Off, Off, {200, 150, 600, 450}}, Off},
        {"the desktop", {On, Off, On, Off, {0, 0, 1024, 768}}, Off},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FullScreenWindow(c.beside, Monitors, 2, Primary), c.fullScreen) << c.what;
    }
}

}  // namespace
