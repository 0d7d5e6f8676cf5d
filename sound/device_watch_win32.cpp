// The device watch's Win32 side: its window timer, and the system's notices of the outputs
// (IMMDeviceEnumerator's endpoint notifications, Vista on) where there are any.
#include <windows.h>
#include <mmdeviceapi.h>

#include "base/system_win32.h"
#include "sound/device_watch.h"
#include "sound/engine_state.h"

namespace {

// COM, from the system folder's ole32 like every other library taken at run time: an import
// would be looked for beside the program first, and would add a seventh imported library.
constexpr char OleLibrary[] = "ole32.dll";
using InitializeCall = HRESULT(WINAPI*)(LPVOID, DWORD);
using UninitializeCall = void(WINAPI*)();
using CreateInstanceCall = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
SystemCallSlot InitializeSlot = {OleLibrary, "CoInitializeEx", LibrarySource::SystemFolder, false,
                                 nullptr};
SystemCallSlot UninitializeSlot = {OleLibrary, "CoUninitialize", LibrarySource::SystemFolder,
                                   false, nullptr};
SystemCallSlot CreateInstanceSlot = {OleLibrary, "CoCreateInstance", LibrarySource::SystemFolder,
                                     false, nullptr};

// The identifiers, spelled out here: the SDK's own come from a library the program does not link.
constexpr CLSID EnumeratorClass = {0xbcde0395, 0xe52f, 0x467c,
                                   {0x8e, 0x3d, 0xc4, 0x57, 0x92, 0x91, 0x69, 0x2e}};
constexpr IID EnumeratorInterface = {0xa95664d2, 0x9614, 0x4f35,
                                     {0xa7, 0x46, 0xde, 0x8d, 0xb6, 0x36, 0x17, 0xe6}};
constexpr IID ClientInterface = {0x7991eec9, 0x7e89, 0x4d85,
                                 {0x83, 0x90, 0x6c, 0x70, 0x3c, 0xec, 0x60, 0xc0}};
constexpr IID UnknownInterface = {0x00000000, 0x0000, 0x0000,
                                  {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The window the notices go to, and whether one is on its way: a change of device comes as
// several notices at once (the device's state, then the default for each role), and one look
// answers them all. Both are touched by the system's thread.
HWND volatile NoticeWindow = nullptr;
LONG volatile NoticePending = 0;

bool RegistrationTried = false;
bool ComStarted = false;
IMMDeviceEnumerator* Enumerator = nullptr;

// The notices' one job, on the system's thread: a message to the window, unless one waits.
HRESULT Notify() {
    const HWND window = NoticeWindow;
    if (window && InterlockedExchange(&NoticePending, 1) == 0 &&
        !PostMessageA(window, OutputNoticeMessage, 0, 0))
        NoticePending = 0;
    return S_OK;
}

// The notification object in COM's own layout: a table of calls, written out so that no C++
// virtual table (and with it the library's handler for a pure virtual call) enters the
// program. It lives as long as the program, so counting references changes nothing.
struct NoticeClient;
HRESULT STDMETHODCALLTYPE QueryInterface(NoticeClient* self, REFIID id, void** out) {
    const bool known = IsEqualIID(id, UnknownInterface) || IsEqualIID(id, ClientInterface);
    *out = known ? self : nullptr;
    return known ? S_OK : E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE AddRef(NoticeClient*) { return 1; }
ULONG STDMETHODCALLTYPE Release(NoticeClient*) { return 1; }
HRESULT STDMETHODCALLTYPE StateChanged(NoticeClient*, LPCWSTR, DWORD) { return Notify(); }
HRESULT STDMETHODCALLTYPE Added(NoticeClient*, LPCWSTR) { return Notify(); }
HRESULT STDMETHODCALLTYPE Removed(NoticeClient*, LPCWSTR) { return Notify(); }
HRESULT STDMETHODCALLTYPE DefaultChanged(NoticeClient*, EDataFlow flow, ERole, LPCWSTR) {
    return flow == eCapture ? S_OK : Notify();   // a microphone is none of the sozu's business
}
// A device's properties (its volume among them) change often and say nothing of which plays.
HRESULT STDMETHODCALLTYPE PropertyChanged(NoticeClient*, LPCWSTR, const PROPERTYKEY) {
    return S_OK;
}

struct NoticeCalls {
    HRESULT(STDMETHODCALLTYPE* queryInterface)(NoticeClient*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* addRef)(NoticeClient*);
    ULONG(STDMETHODCALLTYPE* release)(NoticeClient*);
    HRESULT(STDMETHODCALLTYPE* stateChanged)(NoticeClient*, LPCWSTR, DWORD);
    HRESULT(STDMETHODCALLTYPE* added)(NoticeClient*, LPCWSTR);
    HRESULT(STDMETHODCALLTYPE* removed)(NoticeClient*, LPCWSTR);
    HRESULT(STDMETHODCALLTYPE* defaultChanged)(NoticeClient*, EDataFlow, ERole, LPCWSTR);
    HRESULT(STDMETHODCALLTYPE* propertyChanged)(NoticeClient*, LPCWSTR, const PROPERTYKEY);
};
struct NoticeClient {
    const NoticeCalls* calls;
};
const NoticeCalls ClientCalls = {QueryInterface, AddRef,  Release,        StateChanged,
                                 Added,          Removed, DefaultChanged, PropertyChanged};
NoticeClient Client = {&ClientCalls};

IMMNotificationClient* AsClient() { return reinterpret_cast<IMMNotificationClient*>(&Client); }

// Everything ListenToOutputs made, undone in the reverse order.
void Unregister() {
    SoundDeviceWatch.listening = 0;
    if (Enumerator) {
        Enumerator->UnregisterEndpointNotificationCallback(AsClient());
        Enumerator->Release();
        Enumerator = nullptr;
    }
    NoticeWindow = nullptr;
    if (!ComStarted) return;
    ComStarted = false;
    if (const auto uninitialize = SystemCall<UninitializeCall>(UninitializeSlot)) uninitialize();
}

// Once in a run, from the first look at a running engine: with the sound off the program never
// needs the audio system's objects at all. Where there are no notices (XP and older, no such
// class) the watch keeps reading the default itself.
void ListenToOutputs(HWND window) {
    RegistrationTried = true;
    const auto initialize = SystemCall<InitializeCall>(InitializeSlot);
    const auto create = SystemCall<CreateInstanceCall>(CreateInstanceSlot);
    if (!initialize || !create) return;
    // A window's thread is a single-threaded apartment (the shell's calls expect one). The
    // notices come on the audio system's own thread whatever this thread is.
    ComStarted = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
    void* made = nullptr;
    if (FAILED(create(EnumeratorClass, nullptr, CLSCTX_INPROC_SERVER, EnumeratorInterface,
                      &made)) ||
        !made) {
        Unregister();
        return;
    }
    Enumerator = static_cast<IMMDeviceEnumerator*>(made);
    NoticeWindow = window;
    if (FAILED(Enumerator->RegisterEndpointNotificationCallback(AsClient()))) {
        Unregister();
        return;
    }
    SoundDeviceWatch.listening = 1;
}

}  // namespace

void LookAtSoundDevice(HWND window, uint32_t nowMs) {
    if (!RegistrationTried && Engine.device) ListenToOutputs(window);
    WatchSoundDevice(window, nowMs);
}

LRESULT OnOutputNotice(HWND window) {
    // Cleared before the look, so that a notice during it brings another.
    InterlockedExchange(&NoticePending, 0);
    HearOutputChange(window, GetTickCount());   // the timer's clock
    return 0;
}

void StopListeningToOutputs() {
    Unregister();
    RegistrationTried = false;
}

IMMNotificationClient* OutputNoticeClient() { return AsClient(); }
