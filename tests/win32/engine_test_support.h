// What the sound tests under Wine share: a plain window for the cooperative level, generated
// WAVE files, and the capture file that the session's sound device writes everything it plays
// into (raw 16-bit stereo, growing at the mixer's rate whether or not anything sounds).
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace soundtest {

inline HWND MakeWindow() {
    return CreateWindowA("STATIC", "sound test", WS_POPUP, 0, 0, 48, 48, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// The capture file as Wine sees the host path (drive Z: is the host's root).
inline std::string CapturePath() {
    const char* host = std::getenv("TSUTSURI_CAPTURE");
    return host != nullptr ? std::string("Z:") + host : std::string();
}

inline long CaptureSize() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(CapturePath().c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<long>(data.nFileSizeLow);
}

// Samples of the capture after `offset` louder than `threshold` (on the 16-bit scale), by
// default anything above a hiss. Wine's mixer writes 32-bit float stereo into the capture, so
// the file is read as floats, whatever the program's own buffers hold.
inline size_t LoudSamplesSince(long offset, int threshold = 200) {
    std::FILE* f = std::fopen(CapturePath().c_str(), "rb");
    if (f == nullptr) return 0;
    std::fseek(f, offset - offset % 4, SEEK_SET);
    const float level = static_cast<float>(threshold) / 32768.0f;
    size_t loud = 0;
    float block[4096];
    size_t n;
    while ((n = std::fread(block, sizeof(float), 4096, f)) > 0) {
        for (size_t i = 0; i < n; ++i) loud += (block[i] > level || block[i] < -level) ? 1 : 0;
    }
    std::fclose(f);
    return loud;
}

// Waits up to `ms` for at least `samples` loud samples to arrive after `offset`. A device
// opened afresh (the simple player opens its own) starts the capture file over; once the file
// is seen to shrink, everything in it is new and counts from its start.
inline size_t WaitForSound(long offset, int ms, size_t samples = 2000) {
    size_t loud = 0;
    long seen = offset;
    for (int waited = 0; waited <= ms; waited += 20) {
        const long size = CaptureSize();
        if (size < seen) offset = 0;
        seen = size;
        loud = LoudSamplesSince(offset);
        if (loud >= samples) break;
        Sleep(20);
    }
    return loud;
}

// Waits up to `ms` for `done()` to hold, looking every 10 ms; answers whether it held.
template <typename Done>
bool WaitFor(Done done, int ms) {
    for (int waited = 0; !done(); waited += 10) {
        if (waited >= ms) return false;
        Sleep(10);
    }
    return true;
}

// The capture's pace: the mixer's 48000 stereo frames of 32-bit floats a second of sound.
constexpr long CaptureBytesPerSecond = 48000L * 2 * 4;

// Waits up to `ms` for `seconds` of sound to be written to the capture after `offset` (the
// mixer writes faster than real time); answers the size reached. A capture that started
// over counts from its start.
inline long WaitForCapture(long offset, double seconds, int ms = 10000) {
    const long bytes = static_cast<long>(seconds * CaptureBytesPerSecond);
    long size = CaptureSize();
    WaitFor([&] {
        size = CaptureSize();
        if (size < offset) offset = 0;
        return size - offset >= bytes;
    }, ms);
    return size;
}

// A mono 22050 Hz PCM WAVE file: a sine of `hertz` for `ms` milliseconds.
inline void WriteTone(const char* path, int ms, int hertz, uint16_t bits = 16) {
    const uint32_t rate = 22050;
    const uint32_t frames = rate * static_cast<uint32_t>(ms) / 1000;
    const uint16_t align = bits / 8;
    std::vector<uint8_t> b;
    auto put = [&b](const char* tag) { b.insert(b.end(), tag, tag + 4); };
    auto put32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&b](uint16_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    put("RIFF");
    put32(36 + frames * align);
    put("WAVE");
    put("fmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(rate);
    put32(rate * align);
    put16(align);
    put16(bits);
    put("data");
    put32(frames * align);
    for (uint32_t i = 0; i < frames; ++i) {
        double v = std::sin(2.0 * 3.14159265358979 * hertz * i / rate);
        if (bits == 16) {
            put16(static_cast<uint16_t>(static_cast<int16_t>(v * 12000)));
        } else {
            b.push_back(static_cast<uint8_t>(128 + static_cast<int>(v * 90)));
        }
    }
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

inline std::string ReadText(const char* path) {
    std::string text;
    if (std::FILE* f = std::fopen(path, "rb")) {
        char buffer[1024];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

// Runs a copy of this test program, named `childName`, as a child whose Wine loads no audio
// driver at all, limited to the tests of `filter`; answers its exit code (0 when they passed).
// The drivers are switched off for that program name alone (the application defaults of
// Wine's registry), since an environment override does not reach a child started from Windows.
inline DWORD RunWithoutSoundDevice(const char* childName, const char* filter) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (!CopyFileA(self, childName, FALSE)) return 254;
    const std::string app = std::string("Software\\Wine\\AppDefaults\\") + childName;
    const std::string overrides = app + "\\DllOverrides";
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, overrides.c_str(), &key) != ERROR_SUCCESS) return 253;
    for (const char* driver : {"winealsa.drv", "winepulse.drv", "wineoss.drv", "winecoreaudio.drv"})
        RegSetValueExA(key, driver, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(key);

    std::string command = std::string("\"") + childName + "\" --gtest_filter=" + filter;
    SetEnvironmentVariableA("TSUTSURI_NO_SOUND_CHILD", "1");
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    DWORD code = 255;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    SetEnvironmentVariableA("TSUTSURI_NO_SOUND_CHILD", nullptr);
    RegDeleteKeyA(HKEY_CURRENT_USER, overrides.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, app.c_str());
    DeleteFileA(childName);
    return code;
}

inline bool IsNoSoundChild() { return std::getenv("TSUTSURI_NO_SOUND_CHILD") != nullptr; }

}  // namespace soundtest
