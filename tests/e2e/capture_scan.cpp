// capture_scan: the sounding stretches of a raw stereo capture, as the Wine session's sound
// device writes everything played. Wine's mixer hands that device 32-bit float samples where
// it can and 16-bit integers otherwise; the file says nothing of it, so the samples tell:
// float data has the exponent of a value below 1 in nearly every non-zero word.
//
//   capture_scan FILE [--from BYTE] [--threshold N] [--gap FRAMES] [--format f32|s16]
//
// Prints `format=<f32|s16>`, `frames=<frames read>` and then, for every stretch where some
// sample exceeds the threshold (default 200 on the 16-bit scale, above the hiss of a quiet
// mix) with silences shorter than the gap (default 2205 frames) inside it, one line
//   stretch start=<frame> length=<frames> peak=<|sample|> energy=<sum of squares / 2^20>
// with samples on the 16-bit scale (a float of 1.0 is 32768). Frames count from BYTE (default
// 0), rounded down to a whole frame. Exit codes: 0 done, 1 the file could not be read, 2 bad
// arguments.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitNoFile = 1;
constexpr int ExitUsage = 2;
constexpr double FullScale = 32768.0;
constexpr size_t SniffWords = 16384;         // enough sounding words to tell the format
constexpr double FloatShare = 0.95;
constexpr long DefaultThreshold = 200;
constexpr long DefaultGapFrames = 2205;
constexpr double EnergyScale = 1048576.0;    // keeps the printed sums readable
constexpr size_t BlockFrames = 16384;

enum class Format { Unknown, Float32, Int16 };

struct Options {
    const char* path = nullptr;
    Format format = Format::Unknown;
    long from = 0;
    long threshold = DefaultThreshold;
    long gap = DefaultGapFrames;
};

struct Stretch {
    long start = 0;
    long last = 0;      // the last loud frame
    long peak = 0;
    double energy = 0;  // over every frame from start to last, quiet ones included
};

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--from") == 0 && hasValue) o.from = std::atol(argv[++i]);
        else if (std::strcmp(argv[i], "--threshold") == 0 && hasValue) o.threshold = std::atol(argv[++i]);
        else if (std::strcmp(argv[i], "--gap") == 0 && hasValue) o.gap = std::atol(argv[++i]);
        else if (std::strcmp(argv[i], "--format") == 0 && hasValue) {
            const char* f = argv[++i];
            if (std::strcmp(f, "f32") == 0) o.format = Format::Float32;
            else if (std::strcmp(f, "s16") == 0) o.format = Format::Int16;
            else return false;
        }
        else if (argv[i][0] != '-' && o.path == nullptr) o.path = argv[i];
        else return false;
    }
    return o.path != nullptr && o.from >= 0 && o.threshold >= 0 && o.gap > 0;
}

float AsFloat(uint32_t word) {
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

// Float samples of sound lie within +-4 and above 1e-6 in size; pairs of 16-bit samples read
// as floats almost never do. Silence reads the same either way, so only sounding words count.
Format Sniff(std::FILE* f) {
    std::vector<uint32_t> words(BlockFrames);
    size_t nonZero = 0, plausible = 0, n;
    while (nonZero < SniffWords && (n = std::fread(words.data(), sizeof(uint32_t), words.size(), f)) > 0) {
        for (size_t i = 0; i < n; ++i) {
            if (words[i] == 0) continue;
            ++nonZero;
            const float v = std::fabs(AsFloat(words[i]));
            if (v > 1e-6f && v < 4.0f) ++plausible;
        }
    }
    std::rewind(f);
    if (nonZero == 0) return Format::Float32;
    return plausible >= FloatShare * nonZero ? Format::Float32 : Format::Int16;
}

void Print(const Stretch& s) {
    std::printf("stretch start=%ld length=%ld peak=%ld energy=%.0f\n", s.start, s.last - s.start + 1,
                s.peak, s.energy / EnergyScale);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: capture_scan FILE [--from BYTE] [--threshold N] [--gap FRAMES]"
                             " [--format f32|s16]\n");
        return ExitUsage;
    }
    std::FILE* f = std::fopen(o.path, "rb");
    if (f == nullptr) return ExitNoFile;
    Format format = o.format;
    if (format == Format::Unknown) format = Sniff(f);
    const long bytesPerFrame = format == Format::Float32 ? 8 : 4;
    if (std::fseek(f, o.from - o.from % bytesPerFrame, SEEK_SET) != 0) {
        std::fclose(f);
        return ExitNoFile;
    }
    std::vector<char> block(BlockFrames * bytesPerFrame);
    std::vector<Stretch> stretches;
    bool open = false;
    Stretch current;
    double pending = 0;   // energy of quiet frames since the last loud one, counted if it goes on
    long frame = 0;
    size_t n;
    while ((n = std::fread(block.data(), bytesPerFrame, BlockFrames, f)) > 0) {
        for (size_t i = 0; i < n; ++i, ++frame) {
            // Samples in the host's byte order, as the file device writes them.
            double left, right;
            const char* at = block.data() + i * bytesPerFrame;
            if (format == Format::Float32) {
                float pair[2];
                std::memcpy(pair, at, sizeof pair);
                left = pair[0] * FullScale;
                right = pair[1] * FullScale;
            } else {
                int16_t pair[2];
                std::memcpy(pair, at, sizeof pair);
                left = pair[0];
                right = pair[1];
            }
            const long level = std::lround(std::fmax(std::fabs(left), std::fabs(right)));
            const double square = left * left + right * right;
            if (open && frame - current.last > o.gap) {
                stretches.push_back(current);
                open = false;
            }
            if (level > o.threshold) {
                if (!open) {
                    current = Stretch{frame, frame, 0, 0};
                    pending = 0;
                    open = true;
                }
                current.energy += pending + square;
                pending = 0;
                current.last = frame;
                if (level > current.peak) current.peak = level;
            } else if (open) {
                pending += square;
            }
        }
    }
    std::fclose(f);
    if (open) stretches.push_back(current);
    std::printf("format=%s\nframes=%ld\n", format == Format::Float32 ? "f32" : "s16", frame);
    for (const Stretch& s : stretches) Print(s);
    return ExitOk;
}
