// Turning RIFF WAVE data into a WaveInfo: the PCM format, where the samples start and how many
// bytes they take. The byte-level parse is portable; only the resource lookup needs Windows.
#pragma once
#include <cstdint>
#include <cstdio>

#pragma pack(push, 1)
// The platform's 18-byte WAVEFORMATEX, field for field.
struct WaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 18, "WaveFormat must match WAVEFORMATEX");

struct WaveInfo {
    WaveFormat format;
    uint32_t dataOffset;   // first sample byte, from the start of the image or file
    uint32_t dataSize;     // the "data" chunk's length
    int32_t borrowed;      // 1: samples point into a resource image and are never freed
    uint8_t* samples;
};

// A WAVE image held in memory (a locked resource), parsed in place: samples point into image.
// Returns 1, or 0 after reporting the failure through ReportLoaderFailure.
int ParseWaveImage(const uint8_t* image, uint32_t size, WaveInfo* info);

// A WAVE file: header only (samples stay null) or header and samples read into owned memory.
int ParseWaveFile(const char* fileName, WaveInfo* info);
int LoadWaveFile(const char* fileName, WaveInfo* info);

// Searches the file from its current position for a 4-byte tag, 16384 bytes at a time.
int FindChunk(std::FILE* file, const char tag[4], uint8_t header[8]);

// Frees owned samples once; does nothing for a borrowed WaveInfo.
void ReleaseWaveInfo(WaveInfo* info);

// Windows only: finds the "WAVE" resource `name` (a name or MAKEINTRESOURCE id) in `module`
// and parses it in place with ParseWaveImage.
int ParseWaveResource(void* module, const char* name, WaveInfo* info);
