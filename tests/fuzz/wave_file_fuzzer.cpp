// Fuzzes the file parse: each input is written to a private temporary file, parsed header-only
// and loaded whole. Besides the sanitizers, it checks that no file is left open and that the
// samples read are the bytes of the file.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sound/wave.h"

namespace {

std::string TempPath;

void RemoveTemp() { unlink(TempPath.c_str()); }

int NextDescriptor() {
    const int fd = open("/dev/null", O_RDONLY);
    close(fd);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/wave-fuzz.XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0) std::abort();
    close(fd);
    TempPath = pattern;
    std::atexit(RemoveTemp);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(TempPath.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    const int mark = NextDescriptor();

    WaveInfo header;
    WaveInfo info;
    std::memset(&header, 0x5A, sizeof header);  // a parse must clear what it does not fill
    std::memset(&info, 0x5A, sizeof info);
    const int parsed = ParseWaveFile(TempPath.c_str(), &header);
    if (header.samples != nullptr) std::abort();
    const int loaded = LoadWaveFile(TempPath.c_str(), &info);
    if (NextDescriptor() != mark) std::abort();  // a file was left open
    if (loaded) {
        if (!parsed || info.borrowed != 0 || info.samples == nullptr ||
            info.format.formatTag != 1 || info.dataOffset != header.dataOffset ||
            uint64_t(info.dataOffset) + info.dataSize > size ||
            std::memcmp(info.samples, data + info.dataOffset, info.dataSize) != 0) {
            std::abort();
        }
        ReleaseWaveInfo(&info);
        if (info.samples != nullptr) std::abort();
        ReleaseWaveInfo(&info);
    } else if (info.samples != nullptr) {
        std::abort();
    }
    return 0;
}
