// The support file's run rule and the loader's bounded messages.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "sound/supinfo.h"

namespace {

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const char* path) { return access(path, F_OK) == 0; }

// Each case runs in a fresh directory of its own, as each run of the program has its own
// current directory, and tests may run side by side.
class SupportLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(home_, sizeof home_), nullptr);
        char pattern[] = "/tmp/supinfo-test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ASSERT_EQ(chdir(dir_.c_str()), 0);
        ResetSupportLog();
    }
    void TearDown() override {
        std::remove("supinfo.txt");
        EXPECT_EQ(chdir(home_), 0);
        rmdir(dir_.c_str());
        ResetSupportLog();
    }
    static void LeaveOldFile() {
        std::FILE* f = std::fopen("supinfo.txt", "w");
        std::fputs("left by an earlier run\nsecond old line\n", f);
        std::fclose(f);
    }
    char home_[4096] = {};
    std::string dir_;
};

TEST_F(SupportLogTest, FirstTextOfARunReplacesTheOldFileOnce) {
    LeaveOldFile();
    WriteSupportInfo("%s\n", "DirectSoundCreate Failed");
    EXPECT_EQ(ReadAll("supinfo.txt"), "DirectSoundCreate Failed\n");
}

TEST_F(SupportLogTest, LaterTextsOfTheRunAreAppendedInOrder) {
    LeaveOldFile();
    WriteSupportInfo("DirectSoundCreate Failed\n");
    WriteSupportInfo("Get TIMECAPS Failed\n");
    EXPECT_EQ(ReadAll("supinfo.txt"), "DirectSoundCreate Failed\nGet TIMECAPS Failed\n");
    // The next run starts afresh at its first text.
    ResetSupportLog();
    WriteSupportInfo("Set CooperativeLevel Failed\n");
    EXPECT_EQ(ReadAll("supinfo.txt"), "Set CooperativeLevel Failed\n");
}

TEST_F(SupportLogTest, AFirstTextThatCannotBeWrittenStillStartsTheRun) {
    // A directory in the file's place makes the first open fail; the line is lost, and the
    // next one is appended rather than replacing a file that may have appeared meanwhile.
    ASSERT_EQ(mkdir("supinfo.txt", 0700), 0);
    WriteSupportInfo("LoadLibrary Failed (DSOUND.DLL)\n");
    ASSERT_EQ(rmdir("supinfo.txt"), 0);
    LeaveOldFile();
    WriteSupportInfo("Get TIMECAPS Failed\n");
    EXPECT_EQ(ReadAll("supinfo.txt"),
              "left by an earlier run\nsecond old line\nGet TIMECAPS Failed\n");
}

TEST_F(SupportLogTest, LoaderFailuresGoToTheDebugOutputOnly) {
    LeaveOldFile();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ReportLoaderFailure(nullptr, "RIFF Chunk Reading Error\n"), 0);
    EXPECT_EQ(ReportLoaderFailure(nullptr, "%s %d\n", "code", 7), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "RIFF Chunk Reading Error\ncode 7\n");
    EXPECT_EQ(ReadAll("supinfo.txt"), "left by an earlier run\nsecond old line\n");
}

TEST_F(SupportLogTest, LoaderFailureClosesTheGivenFile) {
    std::FILE* f = std::fopen("other.bin", "wb");
    ASSERT_NE(f, nullptr);
    const int fd = fileno(f);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ReportLoaderFailure(f, "Could not read Wave Data\n"), 0);
    ::testing::internal::GetCapturedStderr();
    // The descriptor is free again: the next open gets it back.
    const int next = open("/dev/null", O_RDONLY);
    EXPECT_EQ(next, fd);
    close(next);
    std::remove("other.bin");
    EXPECT_FALSE(Exists("supinfo.txt"));
}

TEST_F(SupportLogTest, OverlongLoaderMessageIsCutToItsArea) {
    const std::string longName(1000, 'x');
    ::testing::internal::CaptureStderr();
    ReportLoaderFailure(nullptr, "Missing %s\n", longName.c_str());
    const std::string out = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(out.size(), 255u);
    EXPECT_EQ(out.substr(0, 9), "Missing x");
}

}  // namespace
