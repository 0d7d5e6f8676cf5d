// Fuzzes the in-place parse of a WAVE image. libFuzzer hands over an exact-size heap copy, so
// the address sanitizer catches any read past the image.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sound/wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) {
        return 0;
    }
    WaveInfo info;
    std::memset(&info, 0x5A, sizeof info);  // a parse must clear what it does not fill
    if (ParseWaveImage(data, uint32_t(size), &info) != 1) {
        if (info.samples != nullptr) std::abort();
        return 0;
    }
    // What a reader of the samples may touch lies wholly inside the image.
    if (info.borrowed != 1 || info.format.formatTag != 1 || info.format.extraSize != 0 ||
        info.samples != data + info.dataOffset || info.dataOffset > size ||
        info.dataSize > size - info.dataOffset) {
        std::abort();
    }
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < info.dataSize; ++i) sum = uint8_t(sum + info.samples[i]);
    ReleaseWaveInfo(&info);
    if (info.samples != data + info.dataOffset) std::abort();
    return 0;
}
