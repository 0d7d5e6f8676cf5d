// first_paint.exe: the time from starting a program to the first change it brings to a
// rectangle of the screen, measured the same way for every program.
//
//   first_paint.exe LEFT TOP WIDTH HEIGHT TIMEOUT_MS PROGRAM [ARGS...]
//
// Takes the rectangle's pixels, starts PROGRAM (current directory inherited), then reads the
// rectangle again and again until any pixel differs, and prints `ms=` (from just before the
// process was created), `pid=` (its Windows process id) and `polls=`. The program is left
// running. Exit code 0 measured, 1 no change within TIMEOUT_MS, 2 bad arguments or no start.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int ExitMeasured = 0;
constexpr int ExitNoChange = 1;
constexpr int ExitUsage = 2;

// The rectangle's pixels as 32-bit values, read from the screen through a memory context.
class ScreenGrabber {
public:
    ScreenGrabber(int left, int top, int width, int height)
        : Left(left), Top(top), Width(width), Height(height), Screen(GetDC(nullptr)),
          Memory(CreateCompatibleDC(Screen)), Bitmap(CreateCompatibleBitmap(Screen, width, height)),
          Old(SelectObject(Memory, Bitmap)) {}
    ~ScreenGrabber() {
        SelectObject(Memory, Old);
        DeleteObject(Bitmap);
        DeleteDC(Memory);
        ReleaseDC(nullptr, Screen);
    }
    ScreenGrabber(const ScreenGrabber&) = delete;
    ScreenGrabber& operator=(const ScreenGrabber&) = delete;

    std::vector<DWORD> Grab() {
        BitBlt(Memory, 0, 0, Width, Height, Screen, Left, Top, SRCCOPY);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = Width;
        info.bmiHeader.biHeight = -Height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> pixels(static_cast<size_t>(Width) * Height);
        SelectObject(Memory, Old);   // GetDIBits wants the bitmap out of any context
        GetDIBits(Memory, Bitmap, 0, Height, pixels.data(), &info, DIB_RGB_COLORS);
        SelectObject(Memory, Bitmap);
        return pixels;
    }

private:
    int Left, Top, Width, Height;
    HDC Screen;
    HDC Memory;
    HBITMAP Bitmap;
    HGDIOBJ Old;
};

std::string Quoted(const char* argument) {
    std::string out = "\"";
    out += argument;
    out += "\"";
    return out;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        std::fprintf(stderr,
                     "usage: first_paint.exe LEFT TOP WIDTH HEIGHT TIMEOUT_MS PROGRAM [ARGS...]\n");
        return ExitUsage;
    }
    const int left = std::atoi(argv[1]);
    const int top = std::atoi(argv[2]);
    const int width = std::atoi(argv[3]);
    const int height = std::atoi(argv[4]);
    const double timeoutMs = std::atof(argv[5]);
    std::string commandLine = Quoted(argv[6]);
    for (int i = 7; i < argc; ++i) commandLine += " " + Quoted(argv[i]);

    ScreenGrabber grabber(left, top, width, height);
    const std::vector<DWORD> before = grabber.Grab();

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "first_paint: cannot start %s (%lu)\n", argv[6],
                     static_cast<unsigned long>(GetLastError()));
        return ExitUsage;
    }
    std::printf("pid=%lu\n", static_cast<unsigned long>(process.dwProcessId));
    std::fflush(stdout);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    for (long polls = 1;; ++polls) {
        LARGE_INTEGER now;
        if (grabber.Grab() != before) {
            QueryPerformanceCounter(&now);
            std::printf("ms=%.1f\npolls=%ld\n", Milliseconds(start, now), polls);
            return ExitMeasured;
        }
        QueryPerformanceCounter(&now);
        if (Milliseconds(start, now) > timeoutMs) {
            std::printf("ms=\npolls=%ld\n", polls);
            return ExitNoChange;
        }
        Sleep(1);
    }
}
