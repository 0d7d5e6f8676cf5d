// WAVE parsing of in-memory images and of files, with the loader's messages captured.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sound/wave.h"
#include "tests/wave_bytes.h"

namespace {

using namespace wave_bytes;

// Format bodies here pad their extra bytes with 0xEE, so a parser reading them shows.
Bytes FormatBody(uint16_t tag = 1, std::size_t extra = 0) {
    return wave_bytes::FormatBody(tag, extra, 0xEE);
}

Bytes Samples(std::size_t n) {
    Bytes s(n);
    for (std::size_t i = 0; i < n; ++i) s[i] = uint8_t(i * 7 + 0x0A);  // includes CR, LF, ^Z
    return s;
}


// The usual 44-byte header: "fmt " at 12, "data" at 36, samples from 44.
Bytes PlainWave(std::size_t samples = 100, uint16_t tag = 1) {
    Bytes b = RiffHeader();
    Chunk(b, "fmt ", FormatBody(tag));
    Chunk(b, "data", Samples(samples));
    return b;
}

std::string Capture(int (*parse)(const Bytes&, WaveInfo*), const Bytes& b, WaveInfo* info,
                    int* result) {
    ::testing::internal::CaptureStderr();
    *result = parse(b, info);
    return ::testing::internal::GetCapturedStderr();
}

int ParseImage(const Bytes& b, WaveInfo* info) {
    return ParseWaveImage(b.data(), uint32_t(b.size()), info);
}

// A file per test in a private directory; removed afterwards.
class WaveFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/wave-test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        path_ = dir_ + "/sound.wav";
        fdMark_ = NextDescriptor();
    }
    void TearDown() override {
        // Whatever happened, no file was left open.
        EXPECT_EQ(NextDescriptor(), fdMark_);
        std::remove(path_.c_str());
        rmdir(dir_.c_str());
    }
    static int NextDescriptor() {
        const int fd = open("/dev/null", O_RDONLY);
        close(fd);
        return fd;
    }
    void Write(const Bytes& b) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }
    std::string Load(const Bytes& b, WaveInfo* info, int* result, bool headerOnly = false) {
        Write(b);
        ::testing::internal::CaptureStderr();
        *result = headerOnly ? ParseWaveFile(path_.c_str(), info)
                             : LoadWaveFile(path_.c_str(), info);
        return ::testing::internal::GetCapturedStderr();
    }
    std::string dir_, path_;
    int fdMark_ = -1;
};

// Images that both parsers refuse, with the message each gives.
struct Refusal {
    const char* name;
    Bytes bytes;
    const char* message;
};

std::vector<Refusal> CommonRefusals() {
    Bytes notRiff = PlainWave();
    std::memcpy(notRiff.data(), "RIFX", 4);
    Bytes notWave = PlainWave();
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    Bytes noData = RiffHeader();
    Chunk(noData, "fmt ", FormatBody());
    Chunk(noData, "junk", Samples(40));
    Bytes noFmt = RiffHeader();
    Chunk(noFmt, "data", Samples(60));
    return {
        {"not RIFF", notRiff, "RIFF Chunk Reading Error\n"},
        {"not WAVE", notWave, "WAVE Header Reading Error\n"},
        {"floating point", PlainWave(100, 3), "Only a PCM Format is Supported\n"},
        {"extensible", PlainWave(100, 0xFFFE), "Only a PCM Format is Supported\n"},
        {"no data chunk", noData, "Format Chunk Reading Error\n"},
        {"no fmt chunk", noFmt, "Format Chunk Reading Error\n"},
    };
}

TEST(WaveImage, PlainImageIsParsedInPlace) {
    const Bytes b = PlainWave(100);
    WaveInfo info;
    std::memset(&info, 0x55, sizeof info);
    int result = 0;
    EXPECT_EQ(Capture(ParseImage, b, &info, &result), "");
    ASSERT_EQ(result, 1);
    EXPECT_EQ(info.format.formatTag, 1);
    EXPECT_EQ(info.format.channels, 1);
    EXPECT_EQ(info.format.samplesPerSec, 22050u);
    EXPECT_EQ(info.format.avgBytesPerSec, 44100u);
    EXPECT_EQ(info.format.blockAlign, 2);
    EXPECT_EQ(info.format.bitsPerSample, 16);
    EXPECT_EQ(info.format.extraSize, 0);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.dataSize, 100u);
    EXPECT_EQ(info.borrowed, 1);
    EXPECT_EQ(info.samples, b.data() + 44);
    ReleaseWaveInfo(&info);  // borrowed: nothing freed, nothing changed
    ReleaseWaveInfo(&info);
    EXPECT_EQ(info.samples, b.data() + 44);
}

TEST(WaveImage, RefusalsNameTheFailedStep) {
    std::vector<Refusal> cases = CommonRefusals();
    Bytes twenty = RiffHeader();
    twenty.resize(20, 0);
    Bytes nineteen = twenty;
    nineteen.pop_back();
    // "fmt " needs 27 bytes from its tag to the end of the image to be looked at.
    Bytes fmtTooLate = RiffHeader();
    Put(fmtTooLate, "fmt ");
    Put32(fmtTooLate, 16);
    Bytes body = FormatBody();
    fmtTooLate.insert(fmtTooLate.end(), body.begin(), body.end());
    fmtTooLate.resize(fmtTooLate.size() + 2, 0);  // 26 bytes from the tag
    // A "data" tag whose length field is cut by the end of the image.
    Bytes dataCut = PlainWave(0);
    dataCut.resize(dataCut.size() - 1);
    cases.push_back({"20 bytes", twenty, "Format Chunk Reading Error\n"});
    cases.push_back({"19 bytes", nineteen, "Bad Wave Resource\n"});
    cases.push_back({"fmt 26 bytes from the end", fmtTooLate, "Format Chunk Reading Error\n"});
    cases.push_back({"data length cut", dataCut, "Format Chunk Reading Error\n"});
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        WaveInfo info;
        int result = -1;
        // An exact-size heap copy, so that the sanitizer sees any read past the end.
        const Bytes exact(c.bytes);
        EXPECT_EQ(Capture(ParseImage, exact, &info, &result), c.message);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(info.samples, nullptr);
    }
}

TEST(WaveImage, TagsAreFoundByByteSearch) {
    Bytes list;  // a LIST chunk of plain text
    Put(list, "INFO");
    const char text[] = "made here";
    list.insert(list.end(), text, text + sizeof text);
    Bytes listWithData;
    Put(listWithData, "INFO");
    const char tricky[] = "xdataXYZW";  // "data" followed by 4 bytes read as its length
    listWithData.insert(listWithData.end(), tricky, tricky + 9);

    Bytes between = RiffHeader();
    Chunk(between, "fmt ", FormatBody());
    Chunk(between, "LIST", list);
    const uint32_t betweenData = uint32_t(between.size()) + 8;
    Chunk(between, "data", Samples(10));

    Bytes fooled = RiffHeader();
    Chunk(fooled, "fmt ", FormatBody());
    // LIST header, "INFO", "x", then the "data" tag and the 4 bytes taken for its length.
    const uint32_t fooledAt = uint32_t(fooled.size()) + 8 + 5 + 8;
    Chunk(fooled, "LIST", listWithData);
    Chunk(fooled, "data", Samples(10));

    // The smallest image the search accepts: 39 bytes, "fmt " at 12, exactly 27 bytes from
    // the end, so "data" can only lie inside the format body (here as the sample rate).
    Bytes fmtLast = RiffHeader();
    Bytes overlapped = FormatBody();
    std::memcpy(overlapped.data() + 4, "data\x03\0\0\0", 8);
    Chunk(fmtLast, "fmt ", overlapped);
    fmtLast.resize(39, 0x11);

    Bytes longFormat = RiffHeader();
    Chunk(longFormat, "fmt ", FormatBody(1, 22));
    Chunk(longFormat, "data", Samples(8));

    struct Case {
        const char* name;
        Bytes bytes;
        uint32_t dataOffset;
        uint32_t dataSize;
        uint32_t samplesPerSec;
    } cases[] = {
        {"LIST between fmt and data", between, betweenData, 10, 22050},
        {"LIST text containing data", fooled, fooledAt, 0, 22050},
        {"fmt at the last offset", fmtLast, 32, 3, 0x61746164u},
        {"format body longer than 16", longFormat, 12 + 8 + 38 + 8, 8, 22050},
    };
    // The LIST-with-"data" image: its declared length is cut to the bytes that follow.
    cases[1].dataSize = uint32_t(fooled.size()) - fooledAt;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaveInfo info{};
        int result = 0;
        EXPECT_EQ(Capture(ParseImage, c.bytes, &info, &result), "");
        ASSERT_EQ(result, 1);
        EXPECT_EQ(info.dataOffset, c.dataOffset);
        EXPECT_EQ(info.dataSize, c.dataSize);
        EXPECT_EQ(info.samples, c.bytes.data() + c.dataOffset);
        EXPECT_EQ(info.format.samplesPerSec, c.samplesPerSec);
    }
}

TEST(WaveImage, DeclaredLengthBeyondTheImageIsCutToTheBytesPresent) {
    Bytes b = RiffHeader();
    Chunk(b, "fmt ", FormatBody());
    Chunk(b, "data", Samples(30), 0xFFFFFFF0u);
    WaveInfo info{};
    int result = 0;
    EXPECT_EQ(Capture(ParseImage, b, &info, &result), "");
    ASSERT_EQ(result, 1);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.dataSize, 30u);
}

TEST(WaveImage, MissingArgumentsGiveZeroQuietly) {
    const Bytes b = PlainWave();
    WaveInfo info{};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ParseWaveImage(nullptr, 44, &info), 0);
    EXPECT_EQ(ParseWaveImage(b.data(), uint32_t(b.size()), nullptr), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(WaveFileTest, PlainFileLoadsItsSamples) {
    const Bytes b = PlainWave(300);
    WaveInfo header{};
    int result = 0;
    EXPECT_EQ(Load(b, &header, &result, true), "");
    ASSERT_EQ(result, 1);
    EXPECT_EQ(header.samples, nullptr);
    EXPECT_EQ(header.dataOffset, 44u);
    EXPECT_EQ(header.dataSize, 300u);

    WaveInfo info{};
    EXPECT_EQ(Load(b, &info, &result), "");
    ASSERT_EQ(result, 1);
    EXPECT_EQ(info.borrowed, 0);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.format.bitsPerSample, 16);
    EXPECT_EQ(info.format.extraSize, 0);
    ASSERT_NE(info.samples, nullptr);
    EXPECT_EQ(std::memcmp(info.samples, b.data() + 44, 300), 0);
    ReleaseWaveInfo(&info);
    EXPECT_EQ(info.samples, nullptr);
    ReleaseWaveInfo(&info);  // a second release frees nothing (the sanitizer would object)
}

TEST_F(WaveFileTest, ChunksAreFoundAtTheirPlaces) {
    Write(PlainWave(20));
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    uint8_t header[8];
    ASSERT_EQ(std::fseek(f, 12, SEEK_SET), 0);
    ASSERT_EQ(FindChunk(f, "fmt ", header), 1);
    EXPECT_EQ(std::ftell(f), 12 + 8);
    EXPECT_EQ(std::memcmp(header, "fmt \x10\0\0\0", 8), 0);
    ASSERT_EQ(FindChunk(f, "data", header), 1);
    EXPECT_EQ(std::ftell(f), 36 + 8);
    // Not found: the file is back where the search started.
    EXPECT_EQ(FindChunk(f, "LIST", header), 0);
    EXPECT_EQ(std::ftell(f), 44);
    std::fclose(f);
}

TEST_F(WaveFileTest, RefusalsNameTheFailedStepAndKeepNothing) {
    std::vector<Refusal> cases = CommonRefusals();
    Bytes shortFile = RiffHeader();
    shortFile.resize(6);
    Bytes beyond = RiffHeader();
    Chunk(beyond, "fmt ", FormatBody());
    Chunk(beyond, "data", Samples(30), 31);
    cases.push_back({"shorter than the RIFF header", shortFile, "WAVE Header Reading Error\n"});
    cases.push_back({"data length beyond the file", beyond, "Could not read Wave Data\n"});
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        WaveInfo info{};
        int result = -1;
        EXPECT_EQ(Load(c.bytes, &info, &result), c.message);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(info.samples, nullptr);
        EXPECT_EQ(NextDescriptor(), fdMark_);
    }
}

TEST_F(WaveFileTest, MissingFileGivesZeroWithoutAMessage) {
    WaveInfo info{};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadWaveFile((dir_ + "/absent.wav").c_str(), &info), 0);
    EXPECT_EQ(ParseWaveFile((dir_ + "/absent.wav").c_str(), &info), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(WaveFileTest, LongFormatBodyIsSkippedNotOverrun) {
    // 40 bytes of format body, whose tail holds "data" that must not be taken for the chunk.
    Bytes body = FormatBody(1, 24);
    std::memcpy(body.data() + 30, "data\x04\0\0\0", 8);
    Bytes b = RiffHeader();
    Chunk(b, "fmt ", body);
    const uint32_t dataAt = uint32_t(b.size()) + 8;
    Chunk(b, "data", Samples(12));
    WaveInfo info{};
    int result = 0;
    EXPECT_EQ(Load(b, &info, &result), "");
    ASSERT_EQ(result, 1);
    EXPECT_EQ(info.dataOffset, dataAt);
    EXPECT_EQ(info.dataSize, 12u);
    EXPECT_EQ(info.format.blockAlign, 2);
    ReleaseWaveInfo(&info);
}

TEST_F(WaveFileTest, TagsCutByTheSearchWindowAreFound) {
    // The search reads 16384 bytes at a time from where it starts and steps back 4 bytes
    // between windows. Place each tag so that it straddles or touches a window's end.
    constexpr std::size_t Window = 16384;
    struct Case {
        const char* name;
        std::size_t fmtFromSearch;   // "fmt " tag, counted from offset 12
        std::size_t dataFromSearch;  // "data" tag, counted from the end of the format body
    } cases[] = {
        {"fmt straddles the first window's end", Window - 2, 0},
        {"fmt ends exactly at the window's end", Window - 4, 0},
        {"fmt starts at the window's end", Window, 0},
        {"data straddles the window's end", 0, Window - 1},
        {"data in the third window", 0, 2 * Window - 4 - 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b = RiffHeader();
        b.resize(b.size() + c.fmtFromSearch, 'f');
        Chunk(b, "fmt ", FormatBody());
        b.resize(b.size() + c.dataFromSearch, 'd');
        const uint32_t dataAt = uint32_t(b.size()) + 8;
        Chunk(b, "data", Samples(16));
        WaveInfo info{};
        int result = 0;
        EXPECT_EQ(Load(b, &info, &result), "");
        ASSERT_EQ(result, 1);
        EXPECT_EQ(info.dataOffset, dataAt);
        EXPECT_EQ(info.dataSize, 16u);
        EXPECT_EQ(info.format.samplesPerSec, 22050u);
        ASSERT_NE(info.samples, nullptr);
        EXPECT_EQ(info.samples[0], Samples(1)[0]);
        ReleaseWaveInfo(&info);
    }
}

}  // namespace
