// The settings file through the real private-profile functions, in the test's own current
// directory.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/settings.h"

namespace {

std::string FileText() {
    std::ifstream in(SettingsPath, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void PutFile(const std::string& text) {
    std::ofstream(SettingsPath, std::ios::binary) << text;
}

// Section headers and keys in file order, e.g. "[Runsts]", "win_obj=1".
std::vector<std::string> Lines() {
    std::vector<std::string> out;
    std::istringstream in(FileText());
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) out.push_back(line);
    }
    return out;
}

class SettingsFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsFileIo(SettingsLoad);   // fills SettingsPath
        DeleteFileA(SettingsPath);
        AppSettings = {};
    }
    void TearDown() override { DeleteFileA(SettingsPath); }
};

TEST_F(SettingsFileOnDisk, PathIsTheCurrentDirectory) {
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    EXPECT_EQ(std::string(SettingsPath), std::string(directory) + "\\tsutsurin.ini");
}

TEST_F(SettingsFileOnDisk, NoFileGivesDefaultsCentredOnTheScreen) {
    EXPECT_TRUE(SettingsFileIo(SettingsLoad));
    EXPECT_EQ(AppSettings.WindowPos.left, (GetSystemMetrics(SM_CXSCREEN) - 48) / 2);
    EXPECT_EQ(AppSettings.WindowPos.top, (GetSystemMetrics(SM_CYSCREEN) - 48) / 2);
    EXPECT_EQ(AppSettings.VolumeLevel, 2);
    EXPECT_EQ(AppSettings.RandomRanges[5], 48);
    EXPECT_EQ(GetFileAttributesA(SettingsPath), INVALID_FILE_ATTRIBUTES);   // a load never writes
}

TEST_F(SettingsFileOnDisk, RunStateSectionIsFoundWhateverItsCase) {
    for (const char* header : {"[RUNSTS]", "[RunSts]", "[runsts]"}) {
        PutFile(std::string(header) +
                "\r\nwin_obj=2\r\nfrn_kan=5\r\nposmode=1\r\nsnd_vol=258\r\netc_water=0\r\n"
                "etc_sizuk=0\r\netc_yoin=1\r\nmem_rel=0\r\nmem_sum=0\r\nmem_col=1\r\n"
                "[WINPOS]\r\nXpos=-20\r\nYpos=7\r\n[kand]\r\nCPU2=50\r\n[DEBUG]\r\nSW=1\r\n");
        SettingsFileIo(SettingsLoad);
        const AppSettingsRecord& s = AppSettings;
        const int got[] = {s.WaterSource, s.Sensitivity, s.PositionMode, s.VolumeLevel,
                           s.WaterSoundEffect, s.DropsEffect, s.EchoEffect, s.InstantMeterShown,
                           s.CumulativeMeterShown, s.MeterTint, s.DebugSwitch,
                           s.WindowPos.left, s.WindowPos.top, s.CpuThresholds[2]};
        const int expected[] = {2, 5, 1, 2, 0, 0, 1, 0, 0, 1, 1, -20, 7, 50};
        for (size_t i = 0; i < sizeof got / sizeof got[0]; ++i) {
            EXPECT_EQ(got[i], expected[i]) << header << " field " << i;
        }
    }
}

// Text that is not a plain decimal is read the way GetPrivateProfileIntA reads it. Wine's
// reader skips leading blanks, takes a sign and the digits up to the first other character,
// understands "0x" as hexadecimal, and answers the fallback for an empty value.
TEST_F(SettingsFileOnDisk, TextThatIsNotADecimalIntegerIsReadAsThePlatformReadsIt) {
    struct Case { const char* text; int32_t expected; } cases[] = {
        {"12abc", 12}, {"abc", 0}, {"  7", 7}, {"-3x", -3}, {"0x10", 16}, {"", 15},
    };
    for (const auto& c : cases) {
        PutFile(std::string("[Kand]\r\ncpu0=") + c.text + "\r\n");
        SettingsFileIo(SettingsLoad);
        EXPECT_EQ(AppSettings.CpuThresholds[0], c.expected) << '"' << c.text << '"';
    }
}

TEST_F(SettingsFileOnDisk, KeyIsReplacedWhereItStands) {
    PutFile("[Runsts]\r\nwin_obj=1\r\nfrn_kan=2\r\nposmode=0\r\n[Winpos]\r\nXpos=5\r\n");
    WriteSettingInt("RunSts", "frn_kan", 4);
    WriteSettingInt("Winpos", "Ypos", -9);
    WriteSettingInt("Runsts", "mem_col", 1);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"[Runsts]", "win_obj=1", "frn_kan=4",
                                                 "posmode=0", "mem_col=1", "[Winpos]",
                                                 "Xpos=5", "Ypos=-9"}));
}

TEST_F(SettingsFileOnDisk, FileMadeByTheFirstRunStateWriteKeepsThatSectionFirst) {
    SettingsFileIo(SettingsLoad);
    WriteSettingInt("Runsts", "win_obj", 1);   // the first write of a fresh start-up
    AppSettings.WindowPos.left = -20;
    AppSettings.VolumeLevel = 3;
    EXPECT_TRUE(SettingsFileIo(SettingsSave));
    std::vector<std::string> headers;
    for (const auto& line : Lines()) {
        if (line[0] == '[') headers.push_back(line);
    }
    EXPECT_EQ(headers, (std::vector<std::string>{"[Runsts]", "[Winpos]", "[Kand]", "[Debug]"}));
    EXPECT_EQ(Lines().size(), 4u + 2u + 10u + 12u + 1u);
    AppSettings = {};
    SettingsFileIo(SettingsLoad);
    EXPECT_EQ(AppSettings.WindowPos.left, -20);
    EXPECT_EQ(AppSettings.VolumeLevel, 3);
    EXPECT_EQ(AppSettings.CpuThresholds[5], 90);
}

// A save into no file, byte for byte: the defaults, a record with every field changed, and that
// record again into a file the volume's own write made. Files kept by earlier versions hold
// exactly these lines, sections and spellings.
TEST_F(SettingsFileOnDisk, SaveWritesTheFileByteForByte) {
    SettingsFileIo(SettingsLoad);
    AppSettings.WindowPos = {-20, 7, 28, 55};
    SettingsFileIo(SettingsSave);
    EXPECT_EQ(FileText(),
        "[Winpos]\r\nXpos=-20\r\nYpos=7\r\n[Runsts]\r\nwin_obj=1\r\nfrn_kan=2\r\nposmode=0\r\n"
        "snd_vol=2\r\netc_water=1\r\netc_sizuk=1\r\netc_yoin=0\r\nmem_rel=1\r\nmem_sum=1\r\n"
        "mem_col=2\r\n[Kand]\r\ncpu0=15\r\ncpu1=30\r\ncpu2=45\r\ncpu3=60\r\ncpu4=75\r\n"
        "cpu5=90\r\nrandom0=8\r\nrandom1=16\r\nrandom2=24\r\nrandom3=32\r\nrandom4=40\r\n"
        "random5=48\r\n[Debug]\r\nsw=0\r\n");
    DeleteFileA(SettingsPath);
    AppSettingsRecord& s = AppSettings;
    s = {{300, -4, 0, 0}, 2, 5, 7, 3, {1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}, 0, 0, 1, 0, 0,
         1, 9, 0};
    SettingsFileIo(SettingsSave);
    const std::string changed =
        "[Winpos]\r\nXpos=300\r\nYpos=-4\r\n[Runsts]\r\nwin_obj=2\r\nfrn_kan=5\r\nposmode=7\r\n"
        "snd_vol=3\r\netc_water=0\r\netc_sizuk=0\r\netc_yoin=1\r\nmem_rel=0\r\nmem_sum=0\r\n"
        "mem_col=1\r\n[Kand]\r\ncpu0=1\r\ncpu1=2\r\ncpu2=3\r\ncpu3=4\r\ncpu4=5\r\ncpu5=6\r\n"
        "random0=7\r\nrandom1=8\r\nrandom2=9\r\nrandom3=10\r\nrandom4=11\r\nrandom5=12\r\n"
        "[Debug]\r\nsw=9\r\n";
    EXPECT_EQ(FileText(), changed);
    DeleteFileA(SettingsPath);
    WriteSettingInt("RunSts", "snd_vol", 3);
    SettingsFileIo(SettingsSave);
    EXPECT_EQ(FileText(),
        "[RunSts]\r\nsnd_vol=3\r\nwin_obj=2\r\nfrn_kan=5\r\nposmode=7\r\netc_water=0\r\n"
        "etc_sizuk=0\r\netc_yoin=1\r\nmem_rel=0\r\nmem_sum=0\r\nmem_col=1\r\n[Winpos]\r\n"
        "Xpos=300\r\nYpos=-4\r\n[Kand]\r\ncpu0=1\r\ncpu1=2\r\ncpu2=3\r\ncpu3=4\r\ncpu4=5\r\n"
        "cpu5=6\r\nrandom0=7\r\nrandom1=8\r\nrandom2=9\r\nrandom3=10\r\nrandom4=11\r\n"
        "random5=12\r\n[Debug]\r\nsw=9\r\n");
}

// GetCurrentDirectoryA with 255 characters cannot hold this directory, and no file path in it
// fits MAX_PATH; the file still lands in it, named through the directory's short form.
TEST_F(SettingsFileOnDisk, DirectoryLongerThanTheBufferKeepsTheFileInIt) {
    char start[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, start);
    std::string deep = start;
    const std::string part(40, 'd');
    while (deep.size() < 256) {
        deep += "\\" + part.substr(0, std::min<size_t>(part.size(), 257 - deep.size()));
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS) << deep;
    }
    ASSERT_GE(deep.size(), 256u);
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str())) << deep.size();
    SettingsFileIo(SettingsLoad);
    EXPECT_LT(strlen(SettingsPath), size_t(MAX_PATH)) << SettingsPath;
    EXPECT_STRNE(SettingsPath, ".\\tsutsurin.ini");
    AppSettings.EchoEffect = 1;
    SettingsFileIo(SettingsSave);
    // The file's own long path is beyond MAX_PATH too; look for it relative to the directory.
    EXPECT_NE(GetFileAttributesA("tsutsurin.ini"), INVALID_FILE_ATTRIBUTES);
    AppSettings = {};
    SettingsFileIo(SettingsLoad);
    EXPECT_EQ(AppSettings.EchoEffect, 1);
    DeleteFileA("tsutsurin.ini");
    SetCurrentDirectoryA(start);
    SettingsFileIo(SettingsLoad);
}

// A folder named in letters the ANSI code page lacks reads back from GetCurrentDirectoryA as
// another folder ("é" best fitted to "e") or none at all ('?' in its name), as a Japanese folder
// does on an English Windows. The file still lands in it, with the same lines as anywhere, and
// is read back from it.
TEST_F(SettingsFileOnDisk, FolderTheAnsiCodePageCannotSpellKeepsTheFile) {
    wchar_t start[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, start);
    for (const wchar_t* name : {L"caf\u00e9", L"\uD55C\uAE00 \u00e4"}) {
        const std::wstring folder = std::wstring(start) + L"\\" + name;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
        SettingsFileIo(SettingsLoad);
        AppSettings.WindowPos.left = -20;
        AppSettings.EchoEffect = 1;
        SettingsFileIo(SettingsSave);
        std::string text;
        if (FILE* file = _wfopen(L"tsutsurin.ini", L"rb")) {
            char buffer[64] = {};
            text.assign(buffer, std::fread(buffer, 1, sizeof buffer - 1, file));
            std::fclose(file);
        }
        const std::string firstLines = "[Winpos]\r\nXpos=-20\r\nYpos=";   // no mark, no UTF-16
        EXPECT_EQ(text.substr(0, firstLines.size()), firstLines) << folder.size();
        AppSettings = {};
        SettingsFileIo(SettingsLoad);
        EXPECT_EQ(AppSettings.WindowPos.left, -20);
        EXPECT_EQ(AppSettings.EchoEffect, 1);
        DeleteFileW(L"tsutsurin.ini");
        SetCurrentDirectoryW(start);
        RemoveDirectoryW(folder.c_str());
    }
    SettingsFileIo(SettingsLoad);
}

}  // namespace
