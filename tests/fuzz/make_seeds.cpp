// Writes the starting corpus of the WAVE fuzzers: small RIFF WAVE images, valid and broken in
// the ways the parser has to handle. Usage: make_seeds DIRECTORY
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/wave_bytes.h"

namespace {

using namespace wave_bytes;

Bytes Format(uint16_t tag, std::size_t extra = 0) { return FormatBody(tag, extra); }
Bytes Samples(std::size_t n) {
    Bytes s(n);
    for (std::size_t i = 0; i < n; ++i) s[i] = uint8_t((i * 37) ^ (i >> 3));
    return s;
}
Bytes Header() { return RiffHeader(); }
Bytes Wave(uint16_t tag, std::size_t samples) {
    Bytes b = Header();
    Chunk(b, "fmt ", Format(tag));
    Chunk(b, "data", Samples(samples));
    return b;
}

bool Save(const std::string& dir, const char* name, const Bytes& b) {
    const std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    constexpr std::size_t Window = 16384;

    Bytes listBetween = Header();
    Chunk(listBetween, "fmt ", Format(1));
    Chunk(listBetween, "LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 4, 0, 0, 0, 'a', 'b', 'c', 0});
    Chunk(listBetween, "data", Samples(64));

    Bytes listData = Header();
    Chunk(listData, "fmt ", Format(1));
    Chunk(listData, "LIST", Bytes{'I', 'N', 'F', 'O', 'x', 'd', 'a', 't', 'a', 'y', 'z'});
    Chunk(listData, "data", Samples(32));

    Bytes longFormat = Header();
    Chunk(longFormat, "fmt ", Format(1, 24));
    Chunk(longFormat, "data", Samples(48));

    Bytes beyond = Header();
    Chunk(beyond, "fmt ", Format(1));
    Chunk(beyond, "data", Samples(40), 0x7FFFFFF0);

    Bytes tiny = Header();
    tiny.resize(20, 0);

    Bytes minimal = Header();  // 39 bytes, "data" overlapping the format body
    Bytes overlapped = Format(1);
    std::memcpy(overlapped.data() + 4, "data\x03\0\0\0", 8);
    Chunk(minimal, "fmt ", overlapped);
    minimal.resize(39, 0);

    Bytes fmtEdge = Header();
    fmtEdge.resize(12 + Window - 2, 'f');
    Chunk(fmtEdge, "fmt ", Format(1));
    Chunk(fmtEdge, "data", Samples(16));

    Bytes dataEdge = Header();
    Chunk(dataEdge, "fmt ", Format(1));
    dataEdge.resize(dataEdge.size() + Window - 1, 'd');
    Chunk(dataEdge, "data", Samples(16));

    Bytes noData = Header();
    Chunk(noData, "fmt ", Format(1));
    Chunk(noData, "fact", Samples(12));

    const struct {
        const char* name;
        Bytes bytes;
    } seeds[] = {
        {"plain.wav", Wave(1, 200)},         {"float.wav", Wave(3, 64)},
        {"list_between.wav", listBetween},   {"list_with_data.wav", listData},
        {"long_format.wav", longFormat},     {"length_beyond.wav", beyond},
        {"twenty_bytes.wav", tiny},          {"minimal_39.wav", minimal},
        {"fmt_window_edge.wav", fmtEdge},    {"data_window_edge.wav", dataEdge},
        {"no_data.wav", noData},             {"empty_data.wav", Wave(1, 0)},
    };
    for (const auto& s : seeds) {
        if (!Save(dir, s.name, s.bytes)) {
            return 1;
        }
    }
    return 0;
}
