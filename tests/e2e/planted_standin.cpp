// A stranger's library planted beside the program under a system library's name (dsound.dll,
// dwmapi.dll or winmm.dll, one build each, its exports named by its .def file). Loaded into a
// process, it leaves a marker file beside itself, "<its path>.loaded", and does nothing else:
// every call it exports fails, as a call to a missing device or service would.
#include <windows.h>

namespace {
constexpr char MarkerSuffix[] = ".loaded";
constexpr HRESULT NoDevice = E_FAIL;
constexpr UINT MultimediaError = 1;   // MMSYSERR_ERROR
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + sizeof MarkerSuffix];
    const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcpyA(path + length, MarkerSuffix);
    const HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}

// dsound.dll
extern "C" HRESULT WINAPI DirectSoundCreate(const GUID*, void**, void*) { return NoDevice; }
extern "C" HRESULT WINAPI DirectSoundEnumerateA(void*, void*) { return NoDevice; }

// dwmapi.dll
extern "C" HRESULT WINAPI DwmGetWindowAttribute(HWND, DWORD, void*, DWORD) { return NoDevice; }

// winmm.dll: the clock stands still, nothing plays, no timer starts.
extern "C" DWORD WINAPI timeGetTime() { return 0; }
extern "C" BOOL WINAPI sndPlaySoundA(LPCSTR, UINT) { return FALSE; }
extern "C" UINT WINAPI timeBeginPeriod(UINT) { return MultimediaError; }
extern "C" UINT WINAPI timeEndPeriod(UINT) { return MultimediaError; }
extern "C" UINT WINAPI timeGetDevCaps(void*, UINT) { return MultimediaError; }
extern "C" UINT WINAPI timeSetEvent(UINT, UINT, void*, DWORD_PTR, UINT) { return 0; }
extern "C" UINT WINAPI timeKillEvent(UINT) { return MultimediaError; }
extern "C" UINT WINAPI joyGetNumDevs() { return 0; }
extern "C" UINT WINAPI joyGetPos(UINT, void*) { return MultimediaError; }
extern "C" UINT WINAPI joyGetPosEx(UINT, void*) { return MultimediaError; }
