// probe.exe: looks at the running program from inside the same Wine session and answers in
// `key=value` lines on stdout, so that shell scripts can check what a user would see.
//
//   probe.exe SUBCOMMAND [ARGS] [--class C] [--title T] [--title-hex H] [--timeout MS]
//
// Window selection (--class/--title, both "Tsutsuri" unless given; an empty value matches any)
// applies to find, info, post, close, command, key, move, activate, shape-log, tray-delete,
// resources and wait-gone.
// --timeout waits up to MS milliseconds for what the subcommand looks for (default 0: look once);
// --visible counts only visible windows.
// Texts in code page 932 are printed twice: as raw bytes (key=...) and as hex (key_hex=...).
// --wide reads every text through the wide calls instead, as a system of any language shows it,
// and prints it as UTF-8 (key=..., key_hex=... its UTF-8 bytes); titles to look for are still
// given in code page 932 and compared in UTF-16.
// Exit codes: 0 done, 1 not found (or still there, for wait-gone), 2 bad arguments.
#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitNotFound = 1;
constexpr int ExitUsage = 2;
constexpr DWORD PollMs = 50;
constexpr UINT TextTimeoutMs = 2000;
constexpr int TextMax = 1024;
constexpr char DialogClass[] = "#32770";
constexpr char AboutCaption[] = "Tsutsuri について";
constexpr char TestWindowClass[] = "TsutsuriProbeWindow";
constexpr UINT ProgramTrayIcon = 200;
constexpr char TooltipClass[] = "tooltips_class32";
constexpr UINT ProgramCodePage = 932;

// --wide: texts are read through the wide calls and kept as UTF-8.
bool WideTexts = false;

struct Options {
    std::string command;
    std::vector<std::string> args;
    std::string className = "Tsutsuri";
    std::string title = "Tsutsuri";
    DWORD timeoutMs = 0;
    bool visibleOnly = false;
    bool topmost = false;
    bool hidden = false;
    bool shaped = false;
    bool popup = false;
    bool maximized = false;
    DWORD seconds = 0;
};

std::string Utf8Of(const wchar_t* text, int length) {
    if (length <= 0) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], bytes, nullptr, nullptr);
    return out;
}

// A title to look for, given in code page 932, in the form texts are read in.
std::string AsRead(const std::string& cp932) {
    if (!WideTexts || cp932.empty()) return cp932;
    std::wstring wide(cp932.size(), L'\0');
    const int n = MultiByteToWideChar(ProgramCodePage, 0, cp932.data(),
                                      static_cast<int>(cp932.size()), &wide[0],
                                      static_cast<int>(wide.size()));
    return Utf8Of(wide.data(), n);
}

// Hex digits as they come ("e6a2" or "E6A2"); an odd or foreign digit gives an empty result.
std::string FromHex(const std::string& hex) {
    std::string out;
    if (hex.size() % 2 != 0) return out;
    for (size_t i = 0; i < hex.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = hex.substr(i, 2);
        const long value = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0') return std::string();
        out.push_back(static_cast<char>(value));
    }
    return out;
}

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

// Control characters would break the one-line-per-key output; the hex form keeps them.
std::string Printable(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else out.push_back(c);
    }
    return out;
}

void PrintText(const char* key, const std::string& text) {
    std::printf("%s=%s\n%s_hex=%s\n", key, Printable(text).c_str(), key, ToHex(text).c_str());
}

void PrintHandle(const char* key, HWND window) {
    std::printf("%s=0x%lx\n", key, static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
}

void PrintRect(const char* prefix, const RECT& r) {
    std::printf("%sleft=%ld\n%stop=%ld\n%sright=%ld\n%sbottom=%ld\n%swidth=%ld\n%sheight=%ld\n",
                prefix, r.left, prefix, r.top, prefix, r.right, prefix, r.bottom, prefix,
                r.right - r.left, prefix, r.bottom - r.top);
}

std::string ClassOf(HWND window) {
    char buffer[256] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

// Asks the owner for the text with a time limit, so a hung program cannot hang the probe.
std::string TextOf(HWND window) {
    if (WideTexts) {
        wchar_t wide[TextMax] = {};
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(window, WM_GETTEXT, TextMax, reinterpret_cast<LPARAM>(wide),
                                 SMTO_ABORTIFHUNG, TextTimeoutMs, &copied)) {
            return std::string();
        }
        return Utf8Of(wide, static_cast<int>(copied));
    }
    char buffer[TextMax] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, TextTimeoutMs, &copied)) {
        return std::string();
    }
    return std::string(buffer, copied);
}

// The title as the window manager keeps it; never waits on the owner.
std::string TitleOf(HWND window) {
    if (WideTexts) {
        wchar_t wide[TextMax] = {};
        return Utf8Of(wide, GetWindowTextW(window, wide, TextMax));
    }
    char buffer[TextMax] = {};
    const int n = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

struct Search {
    std::string className;
    std::string title;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    if (!s->className.empty() && ClassOf(window) != s->className) return TRUE;
    if (!s->title.empty() && TitleOf(window) != s->title) return TRUE;
    if (s->visibleOnly && !IsWindowVisible(window)) return TRUE;
    s->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindAll(const std::string& className, const std::string& title,
                          bool visibleOnly = false) {
    Search s{className, title, visibleOnly, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// Polls until at least one match exists or the time is up.
std::vector<HWND> WaitFor(const std::string& className, const std::string& title, DWORD timeoutMs,
                          bool visibleOnly = false) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = FindAll(className, title, visibleOnly);
        if (!found.empty() || GetTickCount() - start >= timeoutMs) return found;
        Sleep(PollMs);
    }
}

HWND FindTarget(const Options& o) {
    std::vector<HWND> found = WaitFor(o.className, o.title, o.timeoutMs, o.visibleOnly);
    if (found.empty()) {
        std::printf("found=0\n");
        return nullptr;
    }
    std::printf("found=1\ncount=%u\n", static_cast<unsigned>(found.size()));
    PrintHandle("hwnd", found[0]);
    return found[0];
}

void PrintRegion(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int type = GetWindowRgn(window, region);
    std::printf("region_type=%d\n", type);   // 0 none, 1 empty, 2 one rectangle, 3 complex
    if (type != ERROR) {
        const DWORD size = GetRegionData(region, 0, nullptr);
        std::vector<char> data(size);
        RGNDATA* rd = reinterpret_cast<RGNDATA*>(data.data());
        if (size && GetRegionData(region, size, rd)) {
            const RECT* rects = reinterpret_cast<const RECT*>(rd->Buffer);
            long area = 0;
            std::string list;
            for (DWORD i = 0; i < rd->rdh.nCount; ++i) {
                const RECT& r = rects[i];
                area += (r.right - r.left) * (r.bottom - r.top);
                char item[64];
                std::snprintf(item, sizeof item, "%s%ld,%ld,%ld,%ld", i ? " " : "", r.left, r.top,
                              r.right, r.bottom);
                list += item;
            }
            std::printf("region_count=%lu\nregion_area=%ld\n",
                        static_cast<unsigned long>(rd->rdh.nCount), area);
            std::printf("region_bound=%ld,%ld,%ld,%ld\nregion_rects=%s\n", rd->rdh.rcBound.left,
                        rd->rdh.rcBound.top, rd->rdh.rcBound.right, rd->rdh.rcBound.bottom,
                        list.c_str());
        }
    }
    DeleteObject(region);
    HANDLE prop = GetPropA(window, "region");
    std::printf("region_prop=%d\nregion_prop_value=0x%lx\n", prop ? 1 : 0,
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(prop)));
}

// The region in force as "l,t,r,b l,t,r,b ..." in window coordinates; "none" when the window
// has no region.
// The rectangles of the region in force; hasRegion tells a window without one.
std::vector<RECT> RegionRectList(HWND window, bool* hasRegion = nullptr) {
    std::vector<RECT> list;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool has = GetWindowRgn(window, region) != ERROR;
    if (has) {
        const DWORD size = GetRegionData(region, 0, nullptr);
        std::vector<char> data(size);
        RGNDATA* rd = reinterpret_cast<RGNDATA*>(data.data());
        if (size && GetRegionData(region, size, rd)) {
            const RECT* rects = reinterpret_cast<const RECT*>(rd->Buffer);
            list.assign(rects, rects + rd->rdh.nCount);
        }
    }
    DeleteObject(region);
    if (hasRegion) *hasRegion = has;
    return list;
}

std::string RegionRects(HWND window) {
    bool has = false;
    const std::vector<RECT> rects = RegionRectList(window, &has);
    if (!has) return "none";
    std::string list;
    for (size_t i = 0; i < rects.size(); ++i) {
        char item[64];
        std::snprintf(item, sizeof item, "%s%ld,%ld,%ld,%ld", i ? " " : "", rects[i].left,
                      rects[i].top, rects[i].right, rects[i].bottom);
        list += item;
    }
    return list;
}

// The mouse buttons held down, desktop-wide: 1 left, 2 right, 4 middle.
int MouseButtons() {
    int buttons = 0;
    if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) buttons |= 1;
    if (GetAsyncKeyState(VK_RBUTTON) & 0x8000) buttons |= 2;
    if (GetAsyncKeyState(VK_MBUTTON) & 0x8000) buttons |= 4;
    return buttons;
}

// Watches the main window for --timeout ms from the moment it first exists (waiting up to
// a minute for it) and prints every change of its position, visibility or region, or of the
// mouse buttons, in order, with the time since the window was first seen: s<i>_ms,
// s<i>_left, s<i>_top, s<i>_visible, s<i>_buttons, s<i>_rects. A separate probe run per sample would take longer than one frame of the sozu
// lasts; this one polls every millisecond. "watching=1" is printed first, so a script can
// start the program only once the watch is ready; every state is flushed as it comes. The
// watch also ends when the window is gone.
int WatchCommand(const Options& o) {
    constexpr int MaxStates = 1000;
    constexpr DWORD AppearMs = 60000;
    std::printf("watching=1\n");
    std::fflush(stdout);
    DWORD start = GetTickCount();
    HWND window = nullptr;
    bool seen = false;
    int count = 0;
    std::string last;
    while (GetTickCount() - start < (seen ? o.timeoutMs : AppearMs) && count < MaxStates) {
        if (!window) {
            std::vector<HWND> found = FindAll(o.className, o.title);
            if (!found.empty()) {
                window = found[0];
                seen = true;
                start = GetTickCount();
            }
        } else if (!IsWindow(window)) {
            break;
        }
        if (window) {
            RECT r = {};
            GetWindowRect(window, &r);
            const int visible = IsWindowVisible(window) ? 1 : 0;
            const int buttons = MouseButtons();
            const std::string rects = RegionRects(window);
            char head[96];
            std::snprintf(head, sizeof head, "%ld %ld %d %d ", r.left, r.top, visible, buttons);
            const std::string state = head + rects;
            if (state != last) {
                last = state;
                std::printf("s%d_ms=%lu\ns%d_left=%ld\ns%d_top=%ld\ns%d_visible=%d\n"
                            "s%d_buttons=%d\ns%d_rects=%s\n",
                            count, static_cast<unsigned long>(GetTickCount() - start), count,
                            r.left, count, r.top, count, visible, count, buttons, count,
                            rects.c_str());
                ++count;
                std::fflush(stdout);
            }
        }
        Sleep(1);
    }
    std::printf("count=%d\n", count);
    return count ? ExitOk : ExitNotFound;
}

// The window's shape in window coordinates as one line of rectangles ("" when it has none).
std::string RegionSignature(HWND window, long& area) {
    area = 0;
    std::string list;
    for (const RECT& r : RegionRectList(window)) {
        area += (r.right - r.left) * (r.bottom - r.top);
        char item[64];
        std::snprintf(item, sizeof item, "%ld,%ld,%ld,%ld;", r.left, r.top, r.right, r.bottom);
        list += item;
    }
    return list;
}

unsigned long Fnv1a(const std::string& text) {
    unsigned long hash = 2166136261UL;
    for (unsigned char c : text) hash = (hash ^ c) * 16777619UL;
    return hash & 0xffffffffUL;
}

// Every change of the main window's shape for --seconds N, looked at every 10 ms from the
// moment the window is found (--timeout waits for it): lines `shape<i>=<ms> <area> <hash>`,
// ms counted from the first look, then `shapes=<count>`. The hash names a shape, so the
// same frame gives the same hash in any copy of the program.
int ShapeLogCommand(HWND window, const Options& o) {
    const DWORD start = GetTickCount();
    std::string last;
    bool first = true;
    int count = 0;
    do {
        if (!IsWindow(window)) break;
        long area = 0;
        const std::string shape = RegionSignature(window, area);
        if (first || shape != last) {
            std::printf("shape%d=%lu %ld %08lx\n", count++,
                        static_cast<unsigned long>(GetTickCount() - start), area, Fnv1a(shape));
            std::fflush(stdout);
            last = shape;
            first = false;
        }
        Sleep(10);
    } while (GetTickCount() - start < o.seconds * 1000);
    std::printf("shapes=%d\n", count);
    return ExitOk;
}

void PrintWindowFacts(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    PrintRect("", r);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    PrintText("class", ClassOf(window));
    PrintText("title", TitleOf(window));
    std::printf("visible=%d\niconic=%d\nenabled=%d\n", IsWindowVisible(window) ? 1 : 0,
                IsIconic(window) ? 1 : 0, IsWindowEnabled(window) ? 1 : 0);
    std::printf("style=0x%08lx\nexstyle=0x%08lx\n", static_cast<unsigned long>(style),
                static_cast<unsigned long>(exStyle));
    std::printf("popup=%d\ntopmost=%d\ntoolwindow=%d\n", (style & WS_POPUP) ? 1 : 0,
                (exStyle & WS_EX_TOPMOST) ? 1 : 0, (exStyle & WS_EX_TOOLWINDOW) ? 1 : 0);
    std::printf("pid=%lu\n", static_cast<unsigned long>(pid));
    PrintHandle("foreground", GetForegroundWindow());
    std::printf("is_foreground=%d\n", GetForegroundWindow() == window ? 1 : 0);
}

// Message names the scripts use; anything else is a number (decimal or 0x...).
UINT MessageFromName(const std::string& name) {
    struct Named { const char* name; UINT message; };
    static const Named table[] = {
        {"close", WM_CLOSE},       {"command", WM_COMMAND},         {"keydown", WM_KEYDOWN},
        {"keyup", WM_KEYUP},       {"char", WM_CHAR},               {"timer", WM_TIMER},
        {"destroy", WM_DESTROY},   {"quit", WM_QUIT},               {"lbuttondown", WM_LBUTTONDOWN},
        {"lbuttonup", WM_LBUTTONUP}, {"rbuttonup", WM_RBUTTONUP},   {"mousemove", WM_MOUSEMOVE},
    };
    for (const Named& n : table) {
        if (name == n.name) return n.message;
    }
    return static_cast<UINT>(std::strtoul(name.c_str(), nullptr, 0));
}

unsigned long Number(const std::string& text) { return std::strtoul(text.c_str(), nullptr, 0); }

int Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const BOOL ok = PostMessageA(window, message, wParam, lParam);
    std::printf("posted=%d\n", ok ? 1 : 0);
    return ok ? ExitOk : ExitNotFound;
}

// The first non-empty static control: the message text of a message box (its identifier
// differs between Windows and Wine, so it is found by class).
std::string StaticTextOf(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiA(ClassOf(child).c_str(), "Static") != 0) continue;
        const std::string text = TextOf(child);
        if (!text.empty()) return text;
    }
    return std::string();
}

constexpr int AboutFontPoints = 9;
constexpr wchar_t AboutFontFace[] = L"ＭＳ Ｐゴシック";

// Whether a control's text, in the dialog's font, fits within its client area: on a
// scaled display a dialog laid out for 96 DPI can cut its texts off. Pictures have no text.
bool TextFits(HWND control) {
    if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ClassOf(control) == "Static")
        return true;
    wchar_t text[256] = {};
    const int length = GetWindowTextW(control, text, 256);
    if (length <= 0) return true;
    // The control's font handle belongs to the program's process, and graphics handles do not
    // cross processes: the font the about dialog's template names is made here at this DPI.
    HDC dc = GetDC(control);
    HFONT font = CreateFontW(-MulDiv(AboutFontPoints, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0,
                             FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, AboutFontFace);
    const HGDIOBJ original = SelectObject(dc, font);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, length, &extent);
    SelectObject(dc, original);
    DeleteObject(font);
    ReleaseDC(control, dc);
    RECT client = {};
    GetClientRect(control, &client);
    return extent.cx <= client.right && extent.cy <= client.bottom;
}

void PrintControls(HWND dialog) {
    int cut = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        char key[48];
        std::snprintf(key, sizeof key, "ctrl_%d_class", id);
        PrintText(key, ClassOf(child));
        std::snprintf(key, sizeof key, "ctrl_%d_text", id);
        PrintText(key, TextOf(child));
        cut += TextFits(child) ? 0 : 1;
    }
    std::printf("texts_cut=%d\n", cut);
}

int MessageBoxCommand(const Options& o, bool pressOk) {
    const std::string caption = o.args.empty() ? o.title : AsRead(o.args[0]);
    std::vector<HWND> boxes = WaitFor(DialogClass, caption, o.timeoutMs);
    std::printf("count=%u\n", static_cast<unsigned>(boxes.size()));
    if (boxes.empty()) return ExitNotFound;
    HWND box = boxes[0];
    PrintHandle("hwnd", box);
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    std::printf("pid=%lu\n", static_cast<unsigned long>(pid));
    PrintText("caption", TitleOf(box));
    PrintText("text", StaticTextOf(box));
    if (pressOk) {
        HWND ok = GetDlgItem(box, IDOK);
        return Post(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    }
    return ExitOk;
}

// A dialog counts once it shows: it has its caption from its creation, but the texts its
// procedure sets come with WM_INITDIALOG, before the dialog is shown.
int DialogCommand(const Options& o, const std::string& caption) {
    std::vector<HWND> dialogs = WaitFor(DialogClass, AsRead(caption), o.timeoutMs, true);
    std::printf("count=%u\n", static_cast<unsigned>(dialogs.size()));
    if (dialogs.empty()) return ExitNotFound;
    HWND dialog = dialogs[0];
    PrintHandle("hwnd", dialog);
    PrintText("caption", TitleOf(dialog));
    RECT r = {};
    GetWindowRect(dialog, &r);
    PrintRect("", r);
    for (int id : {1002, 1003}) {
        char key[16];
        std::snprintf(key, sizeof key, "text%d", id);
        PrintText(key, TextOf(GetDlgItem(dialog, id)));
    }
    PrintControls(dialog);
    return ExitOk;
}

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// An ordinary framed window at a chosen place, for the program to perch beside. It stays
// until it is closed (WM_CLOSE), its time runs out (--seconds) or its process is ended.
// A hidden one (--hidden) only keeps the desktop process alive; --shaped gives it an
// elliptic window region. --popup makes it captionless (WS_POPUP), as a film or slide show in
// full screen is; --maximized shows it maximized.
int TestWindowCommand(const Options& o) {
    if (o.args.size() < 5) return ExitUsage;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = TestWindowClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(o.topmost ? WS_EX_TOPMOST : 0, TestWindowClass,
                                  o.args[4].c_str(),
                                  o.popup ? WS_POPUP : WS_OVERLAPPEDWINDOW,
                                  static_cast<int>(Number(o.args[0])),
                                  static_cast<int>(Number(o.args[1])),
                                  static_cast<int>(Number(o.args[2])),
                                  static_cast<int>(Number(o.args[3])), nullptr, nullptr,
                                  wc.hInstance, nullptr);
    if (!window) return ExitNotFound;
    if (o.shaped) {
        // A window-relative ellipse, kept also as the property "region", the way the
        // program marks the shape in force: lets the rig check its own region reading.
        RECT r = {};
        GetWindowRect(window, &r);
        HRGN shape = CreateEllipticRgn(0, 0, r.right - r.left, r.bottom - r.top);
        SetWindowRgn(window, shape, TRUE);
        SetPropA(window, "region", shape);
    }
    if (!o.hidden) {
        ShowWindow(window, o.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        UpdateWindow(window);
        SetForegroundWindow(window);
    }
    if (o.seconds) SetTimer(window, 1, o.seconds * 1000, nullptr);
    PrintHandle("hwnd", window);
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitOk;
}

void PrintWindowSummary(const char* prefix, HWND window) {
    std::string key = std::string(prefix) + "hwnd";
    PrintHandle(key.c_str(), window);
    if (!window) return;
    RECT r = {};
    GetWindowRect(window, &r);
    PrintRect(prefix, r);
    PrintText((std::string(prefix) + "class").c_str(), ClassOf(window));
    PrintText((std::string(prefix) + "title").c_str(), TitleOf(window));
}

// record FILE ARG...: appends the arguments, one line each, to FILE and ends. A file type's
// open command can name it, so that a test learns what the shell was asked to open; the
// arguments are taken as they come, before any option parsing, so "--x" or "hex:" stay as
// they are.
int RecordCommand(int argc, char** argv) {
    FILE* file = std::fopen(argv[2], "ab");
    if (!file) return ExitNotFound;
    for (int i = 3; i < argc; ++i) std::fprintf(file, "%s\n", argv[i]);
    return std::fclose(file) == 0 ? ExitOk : ExitNotFound;
}

// The tooltip shown now (the pointer resting on a tray icon shows that icon's): waits up to
// --timeout for a visible tooltip window that has a text and prints `count`, then `text` of
// the first.
int TooltipCommand(const Options& o) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<std::string> shown;
        for (HWND tip : FindAll(TooltipClass, "", true)) {
            const std::string text = TextOf(tip);
            if (!text.empty()) shown.push_back(text);
        }
        if (!shown.empty() || GetTickCount() - start >= o.timeoutMs) {
            std::printf("count=%u\n", static_cast<unsigned>(shown.size()));
            if (shown.empty()) return ExitNotFound;
            PrintText("text", shown[0]);
            return ExitOk;
        }
        Sleep(PollMs);
    }
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM found) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        reinterpret_cast<std::vector<MONITORINFO>*>(found)->push_back(info);
    }
    return TRUE;
}

// What a leak would show, for the process that owns the window: its GDI and USER objects as
// GetGuiResources answers them, its handles as GetProcessHandleCount does (Wine 8 answers 0 to
// all three), and what Wine does answer: the process's entries in the system's handle list, its
// threads, and its windows, message-only ones included.
constexpr int SystemProcessClass = 5;
constexpr int SystemHandleClass = 16;
constexpr ULONG ProcessInfoBytes = 1 << 22;
using QuerySystemCall = LONG(WINAPI*)(int, void*, ULONG, ULONG*);

// The native records, in as far as they are read here.
struct ProcessRecord {
    ULONG next;
    ULONG threads;
    BYTE reserved[sizeof(void*) == 4 ? 0x44 - 8 : 0x50 - 8];
    ULONG_PTR pid;
};
struct HandleRecord {
    ULONG ownerPid;
    BYTE type;
    BYTE flags;
    USHORT value;
    void* object;
    ULONG access;
};

QuerySystemCall SystemQuery() {
    return reinterpret_cast<QuerySystemCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
}

long ListedHandles(DWORD pid) {
    const QuerySystemCall query = SystemQuery();
    std::vector<ULONG_PTR> list(ProcessInfoBytes / sizeof(ULONG_PTR));
    if (!query || query(SystemHandleClass, list.data(), ProcessInfoBytes, nullptr) != 0) return -1;
    const ULONG count = static_cast<ULONG>(list[0]);
    const auto* records = reinterpret_cast<const HandleRecord*>(&list[1]);
    if (count > (ProcessInfoBytes - sizeof(ULONG_PTR)) / sizeof(HandleRecord)) return -1;
    long mine = 0;
    for (ULONG i = 0; i < count; ++i) mine += records[i].ownerPid == pid;
    return mine;
}

long ThreadsOf(DWORD pid) {
    const QuerySystemCall query = SystemQuery();
    std::vector<ULONG_PTR> list(ProcessInfoBytes / sizeof(ULONG_PTR));
    if (!query || query(SystemProcessClass, list.data(), ProcessInfoBytes, nullptr) != 0) return -1;
    const char* at = reinterpret_cast<const char*>(list.data());
    for (;;) {
        const auto* record = reinterpret_cast<const ProcessRecord*>(at);
        if (record->pid == pid) return static_cast<long>(record->threads);
        if (!record->next) return -1;
        at += record->next;
    }
}

struct WindowCount {
    DWORD pid;
    long count;
};

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM param) {
    auto* c = reinterpret_cast<WindowCount*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == c->pid) ++c->count;
    return TRUE;
}

BOOL CALLBACK CountWindowTree(HWND window, LPARAM param) {
    CountOwnWindow(window, param);
    EnumChildWindows(window, CountOwnWindow, param);
    return TRUE;
}

int ResourcesCommand(HWND window, const Options&) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process) return ExitNotFound;
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles)) handles = 0;
    WindowCount windows = {pid, 0};
    EnumWindows(CountWindowTree, reinterpret_cast<LPARAM>(&windows));
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
        CountWindowTree(w, reinterpret_cast<LPARAM>(&windows));
    std::printf("gui_gdi=%lu\ngui_user=%lu\nhandle_count=%lu\nhandles_listed=%ld\nthreads=%ld\n"
                "windows=%ld\n",
                GetGuiResources(process, GR_GDIOBJECTS), GetGuiResources(process, GR_USEROBJECTS),
                handles, ListedHandles(pid), ThreadsOf(pid), windows.count);
    CloseHandle(process);
    return ExitOk;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: probe.exe find|info|wait-gone|close|command ID|key VK|post MSG [W [L]]\n"
                 "       | move L T W H | activate | msgbox [CAPTION] | msgbox-ok [CAPTION]\n"
                 "       | about | dialog CAPTION | testwin L T W H TITLE [--topmost] [--hidden] [--shaped]\n"
                 "         [--popup] [--maximized] [--seconds N]\n"
                 "       | foreground | tray | tooltip | screen | monitors | windows | watch\n"
                 "       | shape-log --seconds N | resources\n"
                 "       | record FILE ARG... | tray-delete [ID] | broadcast NAME | load LIBRARY\n"
                 "       [--class C] [--title T] [--title-hex H] [--timeout MS] [--visible] [--wide]\n");
    return ExitUsage;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    if (argc < 2) return false;
    o.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--class" && hasValue) o.className = argv[++i];
        else if (a == "--title" && hasValue) o.title = argv[++i];
        else if (a == "--title-hex" && hasValue) o.title = FromHex(argv[++i]);
        else if (a == "--timeout" && hasValue) o.timeoutMs = Number(argv[++i]);
        else if (a == "--seconds" && hasValue) o.seconds = Number(argv[++i]);
        else if (a == "--topmost") o.topmost = true;
        else if (a == "--visible") o.visibleOnly = true;
        else if (a == "--hidden") o.hidden = true;
        else if (a == "--shaped") o.shaped = true;
        else if (a == "--popup") o.popup = true;
        else if (a == "--maximized") o.maximized = true;
        else if (a == "--wide") WideTexts = true;
        else if (a.rfind("hex:", 0) == 0) o.args.push_back(FromHex(a.substr(4)));
        else o.args.push_back(a);
    }
    return true;
}

// The taskbar, and its child windows (buttons, notification area).
int TaskbarCommand(const Options&) {
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    PrintWindowSummary("", tray);
    if (!tray) return ExitNotFound;
    int i = 0;
    for (HWND child = GetWindow(tray, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "child%d_", i++);
        PrintWindowSummary(prefix, child);
    }
    std::printf("children=%d\n", i);
    return ExitOk;
}

int ScreenCommand(const Options&) {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    std::printf("width=%d\nheight=%d\n", GetSystemMetrics(SM_CXSCREEN),
                GetSystemMetrics(SM_CYSCREEN));
    PrintRect("work_", work);
    return ExitOk;
}

// Every monitor: its rectangle, its work area, whether primary.
int MonitorsCommand(const Options&) {
    std::vector<MONITORINFO> found;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&found));
    for (size_t i = 0; i < found.size(); ++i) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "m%u_", static_cast<unsigned>(i));
        PrintRect(prefix, found[i].rcMonitor);
        std::snprintf(prefix, sizeof prefix, "m%u_work_", static_cast<unsigned>(i));
        PrintRect(prefix, found[i].rcWork);
        std::printf("m%u_primary=%d\n", static_cast<unsigned>(i),
                    (found[i].dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    }
    std::printf("count=%u\n", static_cast<unsigned>(found.size()));
    return ExitOk;
}

// Every visible top-level window, front to back.
int WindowsCommand(const Options&) {
    int i = 0;
    for (HWND w : FindAll("", "")) {
        if (!IsWindowVisible(w)) continue;
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "w%d_", i++);
        PrintWindowSummary(prefix, w);
    }
    std::printf("count=%d\n", i);
    return ExitOk;
}

// A registered message to every top-level window, as Explorer does.
int BroadcastCommand(const Options& o) {
    if (o.args.size() != 1) return ExitUsage;
    const UINT message = RegisterWindowMessageA(o.args[0].c_str());
    std::printf("message=0x%x\n", message);
    return Post(HWND_BROADCAST, message, 0, 0);
}

// A library by bare name, searched for as Windows searches for it.
int LoadCommand(const Options& o) {
    if (o.args.size() != 1) return ExitUsage;
    const HMODULE library = LoadLibraryA(o.args[0].c_str());
    std::printf("loaded=%d\n", library ? 1 : 0);
    return library ? ExitOk : ExitNotFound;
}

int WaitGoneCommand(const Options& o) {
    const DWORD start = GetTickCount();
    while (!FindAll(o.className, o.title).empty()) {
        if (GetTickCount() - start >= o.timeoutMs) {
            std::printf("gone=0\n");
            return ExitNotFound;
        }
        Sleep(PollMs);
    }
    std::printf("gone=1\n");
    return ExitOk;
}

int InfoCommand(HWND window, const Options&) {
    PrintWindowFacts(window);
    PrintRegion(window);
    return ExitOk;
}

int MenuCommand(HWND window, const Options& o) {
    if (o.args.size() != 1) return Usage();
    return Post(window, WM_COMMAND, static_cast<WPARAM>(Number(o.args[0])), 0);
}

int KeyCommand(HWND window, const Options& o) {
    if (o.args.size() != 1) return Usage();
    // Repeat count 1 in the low word of lParam, as a real key press carries.
    return Post(window, WM_KEYDOWN, static_cast<WPARAM>(Number(o.args[0])), 1);
}

int PostCommand(HWND window, const Options& o) {
    if (o.args.empty()) return Usage();
    const WPARAM w = o.args.size() > 1 ? static_cast<WPARAM>(Number(o.args[1])) : 0;
    const LPARAM l = o.args.size() > 2 ? static_cast<LPARAM>(Number(o.args[2])) : 0;
    return Post(window, MessageFromName(o.args[0]), w, l);
}

int MoveCommand(HWND window, const Options& o) {
    if (o.args.size() != 4) return Usage();
    const BOOL ok = SetWindowPos(window, nullptr, static_cast<int>(Number(o.args[0])),
                                 static_cast<int>(Number(o.args[1])),
                                 static_cast<int>(Number(o.args[2])),
                                 static_cast<int>(Number(o.args[3])),
                                 SWP_NOZORDER | SWP_NOACTIVATE);
    std::printf("moved=%d\n", ok ? 1 : 0);
    return ok ? ExitOk : ExitNotFound;
}

// The window's icon out of the shell, as an Explorer that ends.
int TrayDeleteCommand(HWND window, const Options& o) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = o.args.empty() ? ProgramTrayIcon : static_cast<UINT>(Number(o.args[0]));
    const BOOL ok = Shell_NotifyIconA(NIM_DELETE, &record);
    std::printf("deleted=%d\n", ok ? 1 : 0);
    return ok ? ExitOk : ExitNotFound;
}

int ActivateCommand(HWND window, const Options&) {
    const BOOL ok = SetForegroundWindow(window);
    std::printf("activated=%d\n", ok ? 1 : 0);
    return ok ? ExitOk : ExitNotFound;
}

// A command either stands alone or acts on the window the options name, found first.
struct ProbeCommand {
    const char* name;
    int (*alone)(const Options&);
    int (*onWindow)(HWND, const Options&);
};

const ProbeCommand ProbeCommands[] = {
    {"msgbox", [](const Options& o) { return MessageBoxCommand(o, false); }, nullptr},
    {"msgbox-ok", [](const Options& o) { return MessageBoxCommand(o, true); }, nullptr},
    {"about", [](const Options& o) { return DialogCommand(o, AboutCaption); }, nullptr},
    {"dialog",
     [](const Options& o) { return o.args.empty() ? ExitUsage : DialogCommand(o, o.args[0]); },
     nullptr},
    {"foreground",
     [](const Options&) { PrintWindowSummary("", GetForegroundWindow()); return ExitOk; },
     nullptr},
    {"testwin", TestWindowCommand, nullptr},  {"tooltip", TooltipCommand, nullptr},
    {"watch", WatchCommand, nullptr},         {"tray", TaskbarCommand, nullptr},
    {"screen", ScreenCommand, nullptr},       {"monitors", MonitorsCommand, nullptr},
    {"windows", WindowsCommand, nullptr},     {"broadcast", BroadcastCommand, nullptr},
    {"load", LoadCommand, nullptr},           {"wait-gone", WaitGoneCommand, nullptr},
    {"find", nullptr, [](HWND, const Options&) { return ExitOk; }},
    {"close", nullptr, [](HWND w, const Options&) { return Post(w, WM_CLOSE, 0, 0); }},
    {"info", nullptr, InfoCommand},           {"command", nullptr, MenuCommand},
    {"key", nullptr, KeyCommand},             {"post", nullptr, PostCommand},
    {"move", nullptr, MoveCommand},           {"activate", nullptr, ActivateCommand},
    {"shape-log", nullptr, ShapeLogCommand},  {"tray-delete", nullptr, TrayDeleteCommand},
    {"resources", nullptr, ResourcesCommand},
};

int Run(const Options& o) {
    for (const ProbeCommand& command : ProbeCommands) {
        if (o.command != command.name) continue;
        if (command.alone) return command.alone(o);
        HWND window = FindTarget(o);
        return window ? command.onWindow(window, o) : ExitNotFound;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "record") == 0) return RecordCommand(argc, argv);
    Options o;
    if (!ParseOptions(argc, argv, o)) return Usage();
    o.title = AsRead(o.title);
    const int code = Run(o);
    std::fflush(stdout);
    return code;
}
