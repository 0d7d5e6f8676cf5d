// The multimedia table on the real winmm.dll, the support file's line ends, and WAVE data from
// files and resources on Windows itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "sound/mmfuncs.h"
#include "sound/supinfo.h"
#include "sound/wave.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string ReadAll(const char* path) {
    std::string text;
    if (std::FILE* f = std::fopen(path, "rb")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

void WriteAll(const char* path, const Bytes& b) {
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

void Put(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }
void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// 22050 Hz, 16-bit mono, "fmt " at 12, "data" at 36; the samples hold CR, LF and ^Z bytes,
// which a text-mode read would mangle.
Bytes PlainWave(uint32_t sampleBytes) {
    Bytes b;
    Put(b, "RIFF");
    Put32(b, 36 + sampleBytes);
    Put(b, "WAVE");
    Put(b, "fmt ");
    Put32(b, 16);
    const uint8_t format[16] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0};
    b.insert(b.end(), format, format + 16);
    Put(b, "data");
    Put32(b, sampleBytes);
    const uint8_t awkward[3] = {0x0D, 0x0A, 0x1A};
    for (uint32_t i = 0; i < sampleBytes; ++i) b.push_back(awkward[i % 3]);
    return b;
}

// ---- Multimedia functions ----

int Loads = 0;
int Unloads = 0;
LibraryLoader Real;
void* CountedLoad(const char* name) {
    ++Loads;
    return Real.load(name);
}
void CountedUnload(void* module) {
    ++Unloads;
    Real.unload(module);
}

TEST(Multimedia, RealLibraryGivesAllNineAndIsUnloadedByTheLastRelease) {
    Real = MultimediaLoader;
    MultimediaLoader = {CountedLoad, Real.lookup, CountedUnload};
    ASSERT_EQ(AcquireMultimedia(), 1);
    const MultimediaTable& t = MultimediaFunctions;
    EXPECT_EQ(t.module, static_cast<void*>(GetModuleHandleA("winmm.dll")));
    EXPECT_NE(t.timeGetTime, nullptr);
    EXPECT_NE(t.timeBeginPeriod, nullptr);
    EXPECT_NE(t.timeEndPeriod, nullptr);
    EXPECT_NE(t.timeGetDevCaps, nullptr);
    EXPECT_NE(t.timeSetEvent, nullptr);
    EXPECT_NE(t.timeKillEvent, nullptr);
    EXPECT_NE(t.joyGetNumDevs, nullptr);
    EXPECT_NE(t.joyGetPos, nullptr);
    EXPECT_NE(t.joyGetPosEx, nullptr);
    // The calling convention is right: a call through the table comes back intact.
    TimerCaps caps = {};
    EXPECT_EQ(t.timeGetDevCaps(&caps, sizeof caps), 0u);
    EXPECT_GE(caps.periodMin, 1u);
    EXPECT_GE(caps.periodMax, caps.periodMin);
    EXPECT_EQ(t.timeBeginPeriod(caps.periodMin), 0u);
    EXPECT_EQ(t.timeEndPeriod(caps.periodMin), 0u);

    EXPECT_EQ(AcquireMultimedia(), 2);
    EXPECT_EQ(ReleaseMultimedia(), 1);
    EXPECT_EQ(Unloads, 0);
    EXPECT_EQ(ReleaseMultimedia(), 0);
    EXPECT_EQ(Loads, 1);
    EXPECT_EQ(Unloads, 1);
    EXPECT_EQ(t.module, nullptr);
    MultimediaLoader = Real;
}

// ---- Support file ----

TEST(SupportLog, LinesEndInCrLfAndTheFirstTextReplacesTheOldFile) {
    ResetSupportLog();
    WriteAll("supinfo.txt", Bytes(100, 'o'));
    WriteSupportInfo("%s\n", "DirectSoundCreate Failed");
    EXPECT_EQ(ReadAll("supinfo.txt"), "DirectSoundCreate Failed\r\n");
    WriteSupportInfo("Get TIMECAPS Failed\n");
    EXPECT_EQ(ReadAll("supinfo.txt"), "DirectSoundCreate Failed\r\nGet TIMECAPS Failed\r\n");
    DeleteFileA("supinfo.txt");
    ResetSupportLog();
}

// ---- WAVE files ----

TEST(WaveFile, SamplesAreReadInBinaryModeAndNothingReachesTheSupportFile) {
    DeleteFileA("supinfo.txt");
    const Bytes good = PlainWave(3000);
    WriteAll("good.wav", good);
    WaveInfo info = {};
    ASSERT_EQ(LoadWaveFile("good.wav", &info), 1);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.dataSize, 3000u);
    ASSERT_NE(info.samples, nullptr);
    EXPECT_EQ(std::memcmp(info.samples, good.data() + 44, 3000), 0);
    ReleaseWaveInfo(&info);
    ReleaseWaveInfo(&info);

    Bytes floating = good;
    floating[20] = 3;
    Bytes cut = good;
    cut.resize(cut.size() - 1);
    WriteAll("float.wav", floating);
    WriteAll("cut.wav", cut);
    EXPECT_EQ(LoadWaveFile("float.wav", &info), 0);
    EXPECT_EQ(LoadWaveFile("cut.wav", &info), 0);
    EXPECT_EQ(info.samples, nullptr);
    EXPECT_EQ(LoadWaveFile("absent.wav", &info), 0);
    EXPECT_FALSE(Exists("supinfo.txt"));
    // Every file was closed: Windows refuses to delete an open one.
    EXPECT_TRUE(DeleteFileA("good.wav"));
    EXPECT_TRUE(DeleteFileA("float.wav"));
    EXPECT_TRUE(DeleteFileA("cut.wav"));
}

// ---- WAVE resources ----

// A copy of this test program with WAVE resources added, loaded as a data file.
class WaveResourceTest : public ::testing::Test {
protected:
    static constexpr WORD ValidId = 300;
    static constexpr WORD TinyId = 301;
    static constexpr WORD NotRiffId = 302;

    void SetUp() override {
        char self[MAX_PATH];
        ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
        ASSERT_TRUE(CopyFileA(self, "withsounds.exe", FALSE));
        HANDLE update = BeginUpdateResourceA("withsounds.exe", FALSE);
        ASSERT_NE(update, nullptr);
        image_ = PlainWave(500);
        Bytes tiny = PlainWave(0);
        tiny.resize(19);
        Bytes notRiff = PlainWave(10);
        notRiff[3] = 'X';
        Add(update, ValidId, image_);
        Add(update, TinyId, tiny);
        Add(update, NotRiffId, notRiff);
        ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
        module_ = LoadLibraryExA("withsounds.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
        DeleteFileA("withsounds.exe");
    }
    static void Add(HANDLE update, WORD id, Bytes& data) {
        ASSERT_TRUE(UpdateResourceA(update, "WAVE", MAKEINTRESOURCEA(id),
                                    MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), data.data(),
                                    DWORD(data.size())));
    }
    Bytes image_;
    HMODULE module_ = nullptr;
};

TEST_F(WaveResourceTest, ResourcesAreParsedInPlaceOrRefused) {
    WaveInfo info = {};
    ASSERT_EQ(ParseWaveResource(module_, MAKEINTRESOURCEA(ValidId), &info), 1);
    EXPECT_EQ(info.borrowed, 1);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.dataSize, 500u);
    EXPECT_EQ(info.format.samplesPerSec, 22050u);
    ASSERT_NE(info.samples, nullptr);
    // The samples lie inside the locked resource, not in a copy.
    HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(ValidId), "WAVE");
    const uint8_t* locked = static_cast<const uint8_t*>(LockResource(LoadResource(module_, found)));
    EXPECT_EQ(info.samples, locked + 44);
    EXPECT_EQ(std::memcmp(info.samples, image_.data() + 44, 500), 0);
    ReleaseWaveInfo(&info);
    EXPECT_EQ(info.samples, locked + 44);

    DeleteFileA("supinfo.txt");
    EXPECT_EQ(ParseWaveResource(module_, MAKEINTRESOURCEA(TinyId), &info), 0);
    EXPECT_EQ(ParseWaveResource(module_, MAKEINTRESOURCEA(NotRiffId), &info), 0);
    EXPECT_EQ(ParseWaveResource(module_, MAKEINTRESOURCEA(999), &info), 0);
    EXPECT_EQ(ParseWaveResource(module_, nullptr, &info), 0);
    EXPECT_EQ(ParseWaveResource(module_, MAKEINTRESOURCEA(ValidId), nullptr), 0);
    EXPECT_EQ(info.samples, nullptr);
    EXPECT_FALSE(Exists("supinfo.txt"));
}

TEST(ProgramSounds, FiveResourcesHaveThePlainLayout) {
    struct Case { int id; uint32_t size; } cases[] = {
        {IDW_STRIKE, 218028}, {IDW_ECHO, 55596}, {IDW_SPILL, 41216},
        {IDW_WATER_A, 242784}, {IDW_WATER_B, 278190},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        WaveInfo info = {};
        ASSERT_EQ(ParseWaveResource(nullptr, MAKEINTRESOURCEA(c.id), &info), 1);
        EXPECT_EQ(info.dataOffset, 44u);
        EXPECT_EQ(info.dataSize, c.size);
        EXPECT_EQ(info.format.formatTag, 1);
        EXPECT_EQ(info.borrowed, 1);
    }
}

}  // namespace
