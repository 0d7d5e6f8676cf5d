// The support file and the loader's debugger messages. The file is opened and closed for every
// text so that whatever the engine managed to write is on disk even if the program dies next.
#include "sound/supinfo.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>

namespace {

constexpr const char* SupportFileName = "supinfo.txt";
// A loader message is formatted into a fixed area; longer texts are cut, never overrun.
constexpr std::size_t LoaderTextBytes = 256;

// Set by the first attempt to write the support file in this run, whether or not it opened.
bool SupportLogStarted = false;

}  // namespace

void WriteSupportInfo(const char* format, ...) {
    // The first text of a run replaces what an earlier run left; later ones are appended.
    // Text mode, so that on Windows each "\n" reaches the file as CR LF.
    const char* mode = SupportLogStarted ? "at" : "w";
    SupportLogStarted = true;
    std::FILE* file = std::fopen(SupportFileName, mode);
    if (file == nullptr) {
        return;  // the line is lost; nothing here reports its own failures
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fclose(file);
}

int ReportLoaderFailure(std::FILE* file, const char* format, ...) {
    char text[LoaderTextBytes];
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (written < 0) {
        text[0] = '\0';
    }
    SendDebugOutput(text);
    if (file != nullptr) {
        std::fclose(file);
    }
    return 0;
}

void ResetSupportLog() { SupportLogStarted = false; }

#if !defined(_WIN32)
// No debugger output off Windows: the messages go to standard error.
void SendDebugOutput(const char* text) {
    std::fputs(text, stderr);
    std::fflush(stderr);
}
#endif
