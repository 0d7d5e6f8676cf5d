// WAVE sounds kept as resources of the executable. A locked resource stays valid for the life
// of the process, so the samples are used where they lie and never freed.
#include <windows.h>

#include "sound/supinfo.h"
#include "sound/wave.h"

namespace {
// Anything smaller cannot hold the RIFF header and a chunk header.
constexpr DWORD MinimumResourceBytes = 20;
}  // namespace

int ParseWaveResource(void* module, const char* name, WaveInfo* info) {
    if (name == nullptr || info == nullptr) {
        return 0;
    }
    *info = WaveInfo{};
    HMODULE owner = static_cast<HMODULE>(module);
    HRSRC found = FindResourceA(owner, name, "WAVE");
    HGLOBAL loaded = found != nullptr ? LoadResource(owner, found) : nullptr;
    if (loaded == nullptr) {
        return ReportLoaderFailure(nullptr, "Resource Reading Error\n");
    }
    const DWORD size = SizeofResource(owner, found);
    if (size < MinimumResourceBytes) {
        return ReportLoaderFailure(nullptr, "Bad Wave Resource\n");
    }
    const void* image = LockResource(loaded);
    if (image == nullptr) {
        return ReportLoaderFailure(nullptr, "Lock Resource Failed\n");
    }
    return ParseWaveImage(static_cast<const uint8_t*>(image), size, info);
}
