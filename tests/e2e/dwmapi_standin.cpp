// dwmapi.dll as Windows 10 answers it, for a test to put beside the program (chosen with
// WINEDLLOVERRIDES="dwmapi=n,b"); Wine's own reports no invisible borders and no cloaking.
//   DWMWA_EXTENDED_FRAME_BOUNDS: the window rectangle less 7 px on the left, right and bottom,
//     the invisible resize borders of Windows 10 and 11.
//   DWMWA_CLOAKED: cloaked by the shell for a window whose title begins with "cloaked",
//     as a window on another virtual desktop is; 0 for every other window.
// Anything else fails, as it would for an attribute the window manager does not know.
#include <windows.h>

namespace {
constexpr DWORD ExtendedFrameBounds = 9;
constexpr DWORD Cloaked = 14;
constexpr LONG InvisibleBorder = 7;
constexpr DWORD CloakedByShell = 2;   // DWM_CLOAKED_SHELL
constexpr char CloakedTitle[] = "cloaked";
}  // namespace

extern "C" HRESULT WINAPI DwmGetWindowAttribute(HWND window, DWORD attribute, void* value,
                                                DWORD size) {
    if (attribute == ExtendedFrameBounds && value && size == sizeof(RECT)) {
        RECT* frame = static_cast<RECT*>(value);
        if (!GetWindowRect(window, frame)) return E_HANDLE;
        frame->left += InvisibleBorder;
        frame->right -= InvisibleBorder;
        frame->bottom -= InvisibleBorder;
        return S_OK;
    }
    if (attribute == Cloaked && value && size == sizeof(DWORD)) {
        if (!IsWindow(window)) return E_HANDLE;
        char title[sizeof CloakedTitle] = {};
        GetWindowTextA(window, title, sizeof title);
        *static_cast<DWORD*>(value) = lstrcmpA(title, CloakedTitle) == 0 ? CloakedByShell : 0;
        return S_OK;
    }
    return E_INVALIDARG;
}
