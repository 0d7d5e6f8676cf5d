// The multimedia table against a fake library: counting, lookup order, all-or-nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "sound/mmfuncs.h"

namespace {

const std::vector<std::string> TableOrder = {
    "timeGetTime",   "timeBeginPeriod", "timeEndPeriod", "timeGetDevCaps", "timeSetEvent",
    "timeKillEvent", "joyGetNumDevs",   "joyGetPos",     "joyGetPosEx",
};

struct FakeLibrary {
    bool loadable = true;
    std::set<std::string> exports;
    int loads = 0;
    int unloads = 0;
    std::vector<std::string> lookups;
    std::string loadedName;
    char marks[9] = {};  // each export's address is one of these bytes
};
FakeLibrary* Fake = nullptr;
char ModuleToken;

void* FakeLoad(const char* name) {
    ++Fake->loads;
    Fake->loadedName = name;
    return Fake->loadable ? &ModuleToken : nullptr;
}
void* FakeLookup(void* module, const char* name) {
    EXPECT_EQ(module, &ModuleToken);
    Fake->lookups.push_back(name);
    if (Fake->exports.count(name) == 0) {
        return nullptr;
    }
    for (std::size_t i = 0; i < TableOrder.size(); ++i) {
        if (TableOrder[i] == name) {
            return &Fake->marks[i];
        }
    }
    return nullptr;
}
void FakeUnload(void* module) {
    EXPECT_EQ(module, &ModuleToken);
    ++Fake->unloads;
}

class MultimediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = MultimediaLoader;
        MultimediaFunctions = MultimediaTable{};
        fake_.exports.insert(TableOrder.begin(), TableOrder.end());
        Fake = &fake_;
        MultimediaLoader = {FakeLoad, FakeLookup, FakeUnload};
    }
    void TearDown() override {
        MultimediaLoader = saved_;
        MultimediaFunctions = MultimediaTable{};
        Fake = nullptr;
    }
    FakeLibrary fake_;
    LibraryLoader saved_{};
};

TEST_F(MultimediaTest, UsersAreCountedAndTheLastReleaseUnloads) {
    EXPECT_EQ(AcquireMultimedia(), 1);
    EXPECT_EQ(AcquireMultimedia(), 2);
    EXPECT_EQ(fake_.loads, 1);
    EXPECT_EQ(fake_.loadedName, "winmm.dll");
    EXPECT_EQ(ReleaseMultimedia(), 1);
    EXPECT_EQ(fake_.unloads, 0);
    EXPECT_NE(MultimediaFunctions.module, nullptr);
    EXPECT_NE(MultimediaFunctions.timeSetEvent, nullptr);
    EXPECT_EQ(ReleaseMultimedia(), 0);
    EXPECT_EQ(fake_.unloads, 1);
    EXPECT_EQ(MultimediaFunctions.module, nullptr);
    // No address into the unloaded library is left to call.
    EXPECT_EQ(MultimediaFunctions.timeSetEvent, nullptr);
    EXPECT_EQ(MultimediaFunctions.joyGetPosEx, nullptr);
    // A further release changes nothing; a new acquisition loads again.
    EXPECT_EQ(ReleaseMultimedia(), 0);
    EXPECT_EQ(fake_.unloads, 1);
    EXPECT_EQ(AcquireMultimedia(), 1);
    EXPECT_EQ(fake_.loads, 2);
}

TEST_F(MultimediaTest, ReleaseWithoutAcquisitionDoesNothing) {
    EXPECT_EQ(ReleaseMultimedia(), 0);
    EXPECT_EQ(fake_.loads + fake_.unloads, 0);
    EXPECT_EQ(MultimediaFunctions.module, nullptr);
    EXPECT_EQ(MultimediaFunctions.users, 0);
}

TEST_F(MultimediaTest, NamesAreLookedUpInTableOrderAndLandInTheirFields) {
    ASSERT_EQ(AcquireMultimedia(), 1);
    EXPECT_EQ(fake_.lookups, TableOrder);
    const MultimediaTable& t = MultimediaFunctions;
    const void* fields[] = {
        reinterpret_cast<void*>(t.timeGetTime),    reinterpret_cast<void*>(t.timeBeginPeriod),
        reinterpret_cast<void*>(t.timeEndPeriod),  reinterpret_cast<void*>(t.timeGetDevCaps),
        reinterpret_cast<void*>(t.timeSetEvent),   reinterpret_cast<void*>(t.timeKillEvent),
        t.joyGetNumDevs, t.joyGetPos, t.joyGetPosEx,
    };
    for (std::size_t i = 0; i < TableOrder.size(); ++i) {
        EXPECT_EQ(fields[i], &fake_.marks[i]) << TableOrder[i];
    }
}

TEST_F(MultimediaTest, AnyMissingNameRefusesTheWholeLibrary) {
    // Each of the nine in turn, the joystick ones too although nothing calls them.
    for (const std::string& missing : TableOrder) {
        SCOPED_TRACE(missing);
        fake_ = FakeLibrary{};
        fake_.exports.insert(TableOrder.begin(), TableOrder.end());
        fake_.exports.erase(missing);
        EXPECT_EQ(AcquireMultimedia(), 0);
        EXPECT_EQ(fake_.loads, 1);
        EXPECT_EQ(fake_.unloads, 1);
        EXPECT_EQ(fake_.lookups.back(), missing);  // stops at the first missing name
        EXPECT_EQ(MultimediaFunctions.module, nullptr);
        EXPECT_EQ(MultimediaFunctions.timeGetTime, nullptr);
        EXPECT_EQ(ReleaseMultimedia(), 0);
        EXPECT_EQ(fake_.unloads, 1);
    }
}

TEST_F(MultimediaTest, ALibraryThatDoesNotLoadIsNotUnloaded) {
    fake_.loadable = false;
    EXPECT_EQ(AcquireMultimedia(), 0);
    EXPECT_TRUE(fake_.lookups.empty());
    EXPECT_EQ(fake_.unloads, 0);
}

TEST_F(MultimediaTest, TheHostHasNoMultimediaLibrary) {
    MultimediaLoader = saved_;
    EXPECT_EQ(AcquireMultimedia(), 0);
    EXPECT_EQ(MultimediaFunctions.module, nullptr);
}

}  // namespace
