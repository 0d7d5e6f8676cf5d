// RIFF WAVE parsing. The "fmt " and "data" tags are found by a byte-by-byte search rather than
// by walking chunk lengths, so chunks the parser does not know are passed over unread.
#include "sound/wave.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "sound/supinfo.h"

namespace {

constexpr uint32_t MinimumImageBytes = 20;
constexpr uint32_t RiffHeaderBytes = 12;
constexpr uint32_t ChunkHeaderBytes = 8;
constexpr uint32_t FormatAreaBytes = 20;    // what a file's format body is read into
// The image search for "fmt " stops this many bytes before the end of the image.
constexpr uint32_t FormatSearchTail = 27;
constexpr uint16_t PcmFormatTag = 1;
constexpr std::size_t SearchWindowBytes = 16384;
constexpr long TagBytes = 4;

uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
           (uint32_t(p[3]) << 24);
}

// The first 16 bytes of a format body, decoded field by field (little-endian on any host).
WaveFormat DecodeFormat(const uint8_t* body) {
    WaveFormat f;
    f.formatTag = ReadU16(body);
    f.channels = ReadU16(body + 2);
    f.samplesPerSec = ReadU32(body + 4);
    f.avgBytesPerSec = ReadU32(body + 8);
    f.blockAlign = ReadU16(body + 12);
    f.bitsPerSample = ReadU16(body + 14);
    f.extraSize = 0;
    return f;
}

bool HasTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, TagBytes) == 0; }

constexpr char FormatChunkFault[] = "Format Chunk Reading Error\n";

// The checks an image and a file share, each answering the message of its failure or null.
const char* RiffHeaderFault(const uint8_t* header) {
    if (!HasTag(header, "RIFF")) return "RIFF Chunk Reading Error\n";
    if (!HasTag(header + 8, "WAVE")) return "WAVE Header Reading Error\n";
    return nullptr;
}

const char* FormatBodyFault(const uint8_t* body) {
    return ReadU16(body) != PcmFormatTag ? "Only a PCM Format is Supported\n" : nullptr;
}

}  // namespace

int ParseWaveImage(const uint8_t* image, uint32_t size, WaveInfo* info) {
    if (image == nullptr || info == nullptr) {
        return 0;
    }
    *info = WaveInfo{};
    if (size < MinimumImageBytes) {
        return ReportLoaderFailure(nullptr, "Bad Wave Resource\n");
    }
    if (const char* fault = RiffHeaderFault(image)) {
        return ReportLoaderFailure(nullptr, "%s", fault);
    }

    // "fmt " at offsets 12 to size - 27: far enough from the end that its header and the
    // 16 format bytes are inside the image.
    const uint8_t* body = nullptr;
    if (size >= RiffHeaderBytes + FormatSearchTail) {
        for (uint32_t at = RiffHeaderBytes; at <= size - FormatSearchTail; ++at) {
            if (HasTag(image + at, "fmt ")) {
                body = image + at + ChunkHeaderBytes;
                break;
            }
        }
    }
    if (body == nullptr) {
        return ReportLoaderFailure(nullptr, "%s", FormatChunkFault);
    }
    if (const char* fault = FormatBodyFault(body)) return ReportLoaderFailure(nullptr, "%s", fault);

    // "data" anywhere from the format body on, as long as its length field is inside.
    const uint32_t bodyAt = uint32_t(body - image);
    for (uint32_t at = bodyAt; at + ChunkHeaderBytes <= size; ++at) {
        if (!HasTag(image + at, "data")) {
            continue;
        }
        const uint32_t dataOffset = at + ChunkHeaderBytes;
        const uint32_t present = size - dataOffset;
        const uint32_t declared = ReadU32(image + at + 4);
        info->format = DecodeFormat(body);
        info->dataOffset = dataOffset;
        // A declared length past the end of the image is cut to the bytes present, so no
        // reader of the samples can go beyond the image.
        info->dataSize = declared < present ? declared : present;
        info->borrowed = 1;
        info->samples = const_cast<uint8_t*>(image) + dataOffset;
        return 1;
    }
    return ReportLoaderFailure(nullptr, "%s", FormatChunkFault);
}

int FindChunk(std::FILE* file, const char tag[4], uint8_t header[8]) {
    if (file == nullptr || tag == nullptr || header == nullptr) {
        return 0;
    }
    const long start = std::ftell(file);
    if (start < 0) {
        return 0;
    }
    uint8_t window[SearchWindowBytes];
    for (;;) {
        const long windowAt = std::ftell(file);
        if (windowAt < 0) {
            break;
        }
        std::size_t n = std::fread(window, 1, sizeof window, file);
        if (std::ferror(file)) {
            std::clearerr(file);
            n = 0;
        }
        for (std::size_t i = 0; i + TagBytes < n; ++i) {
            if (!HasTag(window + i, tag)) {
                continue;
            }
            // A header cut by the end of the file is no chunk; any later match would be cut
            // too, so the search ends here.
            if (std::fseek(file, windowAt + long(i), SEEK_SET) != 0 ||
                std::fread(header, 1, ChunkHeaderBytes, file) != ChunkHeaderBytes) {
                std::clearerr(file);
                std::fseek(file, start, SEEK_SET);
                return 0;
            }
            return 1;
        }
        // Step back over the last four bytes, so a tag cut by the window's end is seen whole
        // by the next window.
        std::clearerr(file);
        std::fseek(file, -TagBytes, SEEK_CUR);
        if (n <= ChunkHeaderBytes) {
            break;
        }
    }
    std::clearerr(file);
    std::fseek(file, start, SEEK_SET);
    return 0;
}

int ParseWaveFile(const char* fileName, WaveInfo* info) {
    if (fileName == nullptr || info == nullptr) {
        return 0;
    }
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        return 0;
    }
    *info = WaveInfo{};
    uint8_t riff[RiffHeaderBytes] = {};
    if (std::fread(riff, 1, sizeof riff, file) < sizeof riff) {
        // The zeroed remainder fails the tag checks below.
        std::clearerr(file);
    }
    if (const char* fault = RiffHeaderFault(riff)) return ReportLoaderFailure(file, "%s", fault);

    uint8_t header[ChunkHeaderBytes];
    if (!FindChunk(file, "fmt ", header)) {
        return ReportLoaderFailure(file, "%s", FormatChunkFault);
    }
    // Read the body into the format area, at most its 20 bytes, and pass over the rest so the
    // "data" search starts just after the body as declared.
    const uint32_t bodyBytes = ReadU32(header + 4);
    uint8_t area[FormatAreaBytes] = {};
    const uint32_t kept = bodyBytes < FormatAreaBytes ? bodyBytes : FormatAreaBytes;
    const std::size_t got = std::fread(area, 1, kept, file);
    const uint32_t skipped = bodyBytes - kept;
    if (got == kept && skipped > 0) {
        const long here = std::ftell(file);
        if (here >= 0 && uint64_t(here) + skipped <= uint64_t(LONG_MAX)) {
            std::fseek(file, here + long(skipped), SEEK_SET);
        } else {
            std::fseek(file, 0, SEEK_END);  // beyond anything a long can seek: nothing follows
        }
    }
    std::clearerr(file);
    if (const char* fault = FormatBodyFault(area)) return ReportLoaderFailure(file, "%s", fault);

    if (!FindChunk(file, "data", header)) {
        return ReportLoaderFailure(file, "%s", FormatChunkFault);
    }
    const long dataAt = std::ftell(file);
    if (dataAt < 0 || uint64_t(dataAt) > UINT32_MAX) {
        return ReportLoaderFailure(file, "%s", FormatChunkFault);
    }
    info->format = DecodeFormat(area);
    info->dataSize = ReadU32(header + 4);
    info->dataOffset = uint32_t(dataAt);
    info->borrowed = 0;
    info->samples = nullptr;
    std::fclose(file);
    return 1;
}

int LoadWaveFile(const char* fileName, WaveInfo* info) {
    if (!ParseWaveFile(fileName, info)) {
        return 0;
    }
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        return 0;
    }
    // Compare the declared length with what the file holds before allocating, so a length
    // beyond the end of the file never costs an allocation of its size.
    long end = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        end = std::ftell(file);
    }
    if (end < 0 || uint64_t(end) < uint64_t(info->dataOffset) + info->dataSize) {
        return ReportLoaderFailure(file, "Could not read Wave Data\n");
    }
    // One byte at least, so an empty data chunk is not mistaken for a failed allocation.
    void* memory = std::malloc(info->dataSize > 0 ? info->dataSize : 1);
    if (memory == nullptr) {
        return ReportLoaderFailure(file, "Get WaveMemory Failed\n");
    }
    if (std::fseek(file, long(info->dataOffset), SEEK_SET) != 0 ||
        std::fread(memory, 1, info->dataSize, file) != info->dataSize) {
        std::free(memory);
        return ReportLoaderFailure(file, "Could not read Wave Data\n");
    }
    std::fclose(file);
    info->borrowed = 0;
    info->samples = static_cast<uint8_t*>(memory);
    return 1;
}

void ReleaseWaveInfo(WaveInfo* info) {
    if (info == nullptr || info->borrowed != 0) {
        return;
    }
    std::free(info->samples);
    info->samples = nullptr;
}
