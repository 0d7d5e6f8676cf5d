// floor_sound.exe: the plain floor (bench/floor_window.h) plus what the program must do at idle
// in its default settings, the yardstick that shows what the program costs beyond that:
// - a notification-area icon with a tip, added before the window shows and removed at exit;
// - the two water loops (WAVE resources 246 and 247, the program's own files, built in by
//   floor_sound.rc) playing through DirectSound, looped, at their own format and length, in
//   secondary buffers made as the program makes them, at the volumes and pan the program
//   gives them while the stream is low, as it is at idle after a start.
// Like the program, it makes the icon and starts the sound before its first paint, so that
// its start-up includes that work too. The sound is set once; the program's 500 ms volume and
// pan modulation, its three unplayed one-shot buffers, and its start-up tip are the program's
// own cost and are left out.
//
//   floor_sound.exe [LEFT TOP]     the window's place (default: the middle of the screen)
//
// Exits with ExitNoSound when any step of the sound fails (why on stderr): a floor that plays
// nothing would make the program look dear.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "bench/floor_window.h"
#include "res/resource.h"

namespace {

constexpr char ClassName[] = "TsutsuriFloorSound";
constexpr int ExitNoWindow = 1;
constexpr int ExitNoSound = 3;

// The notification-area icon: the program's resting icon at the small-icon size it loads it
// at, a callback message (nothing is done with it) and a tip, in the record's first form.
constexpr UINT TrayIdentifier = 1;
constexpr UINT TrayCallbackMessage = WM_APP + 1;
constexpr int SmallIconSide = 16;
constexpr char TrayTip[] = "Tsutsuri floor";

// The mixing format the program asks of the primary buffer: 22,050 Hz, 16-bit, mono.
constexpr DWORD PrimaryRate = 22050;
constexpr WORD PrimaryBits = 16;
constexpr WORD PrimaryChannels = 1;
constexpr DWORD PrimaryFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
// The program's sample buffers: software mixed, with volume, pan and frequency controls, the
// newer play cursor, and heard whichever window has the focus.
constexpr DWORD LoopFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN |
                            DSBCAPS_CTRLFREQUENCY | DSBCAPS_LOCSOFTWARE | DSBCAPS_GLOBALFOCUS;

// The program's volume at its default ("normal") level, in hundredths of a decibel. While the
// stream is at most a third full the first loop is silenced and the second plays at it.
constexpr LONG NormalVolume = -500;
struct Loop {
    int resource;
    LONG volume;
    LONG pan;
};
constexpr Loop Loops[] = {
    {IDW_WATER_A, DSBVOLUME_MIN, DSBPAN_CENTER},
    {IDW_WATER_B, NormalVolume, DSBPAN_CENTER},
};
constexpr int LoopCount = sizeof Loops / sizeof Loops[0];

using CreateFunction = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);

NOTIFYICONDATAA TrayRecord;
HMODULE SoundLibrary = nullptr;
IDirectSound* Device = nullptr;
IDirectSoundBuffer* Primary = nullptr;
IDirectSoundBuffer* LoopBuffers[LoopCount] = {};

// A WAVE resource's format and samples, read in place from the module's image.
struct Wave {
    const WAVEFORMATEX* format = nullptr;
    const BYTE* samples = nullptr;
    DWORD bytes = 0;
};

// A RIFF file: "RIFF", the length, the form "WAVE", then chunks, each a four-letter
// identifier, a 32-bit length and that many bytes, padded to an even length.
constexpr DWORD TagBytes = 4;
constexpr DWORD ChunkHeaderBytes = TagBytes + sizeof(DWORD);
constexpr DWORD FormOffset = ChunkHeaderBytes;
constexpr DWORD RiffHeaderBytes = FormOffset + TagBytes;

bool HasTag(const BYTE* at, const char* tag) { return std::memcmp(at, tag, TagBytes) == 0; }

bool FindWave(int resource, Wave* wave) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resource), "WAVE");
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const BYTE* image = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
    if (image == nullptr || size < RiffHeaderBytes || !HasTag(image, "RIFF") ||
        !HasTag(image + FormOffset, "WAVE"))
        return false;
    for (DWORD at = RiffHeaderBytes; at + ChunkHeaderBytes <= size;) {
        DWORD length = 0;
        std::memcpy(&length, image + at + TagBytes, sizeof length);
        const BYTE* body = image + at + ChunkHeaderBytes;
        if (length > size - at - ChunkHeaderBytes) return false;
        if (HasTag(image + at, "fmt ") && length >= sizeof(PCMWAVEFORMAT))
            wave->format = reinterpret_cast<const WAVEFORMATEX*>(body);
        if (HasTag(image + at, "data")) {
            wave->samples = body;
            wave->bytes = length;
        }
        at += ChunkHeaderBytes + length + (length & 1);
    }
    return wave->format != nullptr && wave->samples != nullptr && wave->bytes > 0;
}

bool Fail(const char* what, HRESULT result) {
    std::fprintf(stderr, "floor_sound: %s failed (0x%08lx)\n", what,
                 static_cast<unsigned long>(result));
    return false;
}

bool StartPrimary(HWND window) {
    SoundLibrary = LoadLibraryA("dsound.dll");
    auto create = SoundLibrary != nullptr
                      ? reinterpret_cast<CreateFunction>(
                            reinterpret_cast<void*>(GetProcAddress(SoundLibrary, "DirectSoundCreate")))
                      : nullptr;
    if (create == nullptr) return Fail("loading DirectSoundCreate from dsound.dll", E_FAIL);
    HRESULT result = create(nullptr, &Device, nullptr);
    if (FAILED(result)) return Fail("DirectSoundCreate", result);
    result = Device->SetCooperativeLevel(window, DSSCL_PRIORITY);
    if (FAILED(result)) return Fail("SetCooperativeLevel", result);
    // The first description form, as the program uses: every DirectSound version takes it.
    DSBUFFERDESC1 description = {};
    description.dwSize = sizeof description;
    description.dwFlags = PrimaryFlags;
    result = Device->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&description), &Primary,
                                       nullptr);
    if (FAILED(result)) return Fail("creating the primary buffer", result);
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = PrimaryChannels;
    format.nSamplesPerSec = PrimaryRate;
    format.wBitsPerSample = PrimaryBits;
    format.nBlockAlign = static_cast<WORD>(PrimaryChannels * PrimaryBits / 8);
    format.nAvgBytesPerSec = PrimaryRate * format.nBlockAlign;
    result = Primary->SetFormat(&format);
    return SUCCEEDED(result) || Fail("setting the primary format", result);
}

bool StartLoop(const Loop& loop, IDirectSoundBuffer** buffer) {
    Wave wave;
    if (!FindWave(loop.resource, &wave)) return Fail("reading a WAVE resource", E_FAIL);
    DSBUFFERDESC1 description = {};
    description.dwSize = sizeof description;
    description.dwFlags = LoopFlags;
    description.dwBufferBytes = wave.bytes;
    WAVEFORMATEX format = {};
    std::memcpy(&format, wave.format, sizeof(PCMWAVEFORMAT));
    description.lpwfxFormat = &format;
    HRESULT result = Device->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&description),
                                               buffer, nullptr);
    if (FAILED(result)) return Fail("creating a loop buffer", result);
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    result = (*buffer)->Lock(0, wave.bytes, &first, &firstBytes, &second, &secondBytes, 0);
    if (FAILED(result)) return Fail("locking a loop buffer", result);
    std::memcpy(first, wave.samples, firstBytes);
    if (second != nullptr) std::memcpy(second, wave.samples + firstBytes, secondBytes);
    (*buffer)->Unlock(first, firstBytes, second, secondBytes);
    (*buffer)->SetVolume(loop.volume);
    (*buffer)->SetPan(loop.pan);
    result = (*buffer)->Play(0, 0, DSBPLAY_LOOPING);
    return SUCCEEDED(result) || Fail("playing a loop", result);
}

bool StartSound(HWND window) {
    if (!StartPrimary(window)) return false;
    for (int i = 0; i < LoopCount; ++i) {
        if (!StartLoop(Loops[i], &LoopBuffers[i])) return false;
    }
    return true;
}

void StopSound() {
    for (IDirectSoundBuffer*& buffer : LoopBuffers) {
        if (buffer != nullptr) buffer->Release();
        buffer = nullptr;
    }
    if (Primary != nullptr) Primary->Release();
    Primary = nullptr;
    if (Device != nullptr) Device->Release();
    Device = nullptr;
    if (SoundLibrary != nullptr) FreeLibrary(SoundLibrary);
    SoundLibrary = nullptr;
}

void AddTrayIcon(HINSTANCE instance, HWND window) {
    TrayRecord = {};
    TrayRecord.cbSize = NOTIFYICONDATAA_V1_SIZE;
    TrayRecord.hWnd = window;
    TrayRecord.uID = TrayIdentifier;
    TrayRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayRecord.uCallbackMessage = TrayCallbackMessage;
    TrayRecord.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                                     SmallIconSide, SmallIconSide, LR_DEFAULTCOLOR));
    std::strncpy(TrayRecord.szTip, TrayTip, sizeof TrayRecord.szTip - 1);
    Shell_NotifyIconA(NIM_ADD, &TrayRecord);
}

void AtDestroy(HWND) {
    Shell_NotifyIconA(NIM_DELETE, &TrayRecord);
    StopSound();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND window = CreateFloorWindow(instance, ClassName, AtDestroy);
    if (!window) return ExitNoWindow;
    AddTrayIcon(instance, window);
    if (!StartSound(window)) {
        DestroyWindow(window);
        return ExitNoSound;
    }
    return ShowFloorWindowAndRun(window);
}
