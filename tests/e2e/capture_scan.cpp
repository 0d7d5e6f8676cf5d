// capture_scan: the sounding stretches of a raw capture of 16-bit stereo samples, as the Wine
// session's sound device writes everything played.
//
//   capture_scan FILE [--from BYTE] [--threshold N] [--gap FRAMES]
//
// Prints `frames=<frames read>` and then, for every stretch where some sample exceeds the
// threshold (default 200, above the hiss of a quiet mix) with silences shorter than the gap
// (default 2205 frames) inside it, one line
//   stretch start=<frame> length=<frames> peak=<|sample|> energy=<sum of squares / 2^20>
// Frames count from BYTE (default 0), rounded down to a whole frame. Exit codes: 0 done,
// 1 the file could not be read, 2 bad arguments.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitNoFile = 1;
constexpr int ExitUsage = 2;
constexpr int BytesPerFrame = 4;             // two 16-bit channels
constexpr long DefaultThreshold = 200;
constexpr long DefaultGapFrames = 2205;
constexpr double EnergyScale = 1048576.0;    // keeps the printed sums readable
constexpr size_t BlockFrames = 16384;

struct Options {
    const char* path = nullptr;
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
        else if (argv[i][0] != '-' && o.path == nullptr) o.path = argv[i];
        else return false;
    }
    return o.path != nullptr && o.from >= 0 && o.threshold >= 0 && o.gap > 0;
}

void Print(const Stretch& s) {
    std::printf("stretch start=%ld length=%ld peak=%ld energy=%.0f\n", s.start, s.last - s.start + 1,
                s.peak, s.energy / EnergyScale);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: capture_scan FILE [--from BYTE] [--threshold N] [--gap FRAMES]\n");
        return ExitUsage;
    }
    std::FILE* f = std::fopen(o.path, "rb");
    if (f == nullptr) return ExitNoFile;
    if (std::fseek(f, o.from - o.from % BytesPerFrame, SEEK_SET) != 0) {
        std::fclose(f);
        return ExitNoFile;
    }
    std::vector<int16_t> block(BlockFrames * 2);
    std::vector<Stretch> stretches;
    bool open = false;
    Stretch current;
    double pending = 0;   // energy of quiet frames since the last loud one, counted if it goes on
    long frame = 0;
    size_t n;
    while ((n = std::fread(block.data(), BytesPerFrame, BlockFrames, f)) > 0) {
        for (size_t i = 0; i < n; ++i, ++frame) {
            // Little-endian samples, as the file device writes them on this host.
            const long left = block[2 * i], right = block[2 * i + 1];
            const long level = std::labs(left) > std::labs(right) ? std::labs(left) : std::labs(right);
            const double square = static_cast<double>(left * left + right * right);
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
    std::printf("frames=%ld\n", frame);
    for (const Stretch& s : stretches) Print(s);
    return ExitOk;
}
