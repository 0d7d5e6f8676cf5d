// Building RIFF WAVE images byte by byte, for the parser's tests and the fuzzers' seeds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace wave_bytes {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }
inline void Put16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// A chunk: tag, little-endian length (the body's, unless `declared` is given) and body.
inline void Chunk(Bytes& b, const char* tag, const Bytes& body, int64_t declared = -1) {
    Put(b, tag);
    Put32(b, declared < 0 ? uint32_t(body.size()) : uint32_t(declared));
    b.insert(b.end(), body.begin(), body.end());
}

// The 16-byte format body of 22050 Hz, 16-bit mono, with the given tag and `extra` more
// bytes of `fill`.
inline Bytes FormatBody(uint16_t tag = 1, std::size_t extra = 0, uint8_t fill = 0) {
    Bytes f;
    Put16(f, tag);
    Put16(f, 1);
    Put32(f, 22050);
    Put32(f, 44100);
    Put16(f, 2);
    Put16(f, 16);
    f.resize(f.size() + extra, fill);
    return f;
}

// "RIFF", a length that is never read, "WAVE".
inline Bytes RiffHeader() {
    Bytes b;
    Put(b, "RIFF");
    Put32(b, 0);
    Put(b, "WAVE");
    return b;
}

}  // namespace wave_bytes
