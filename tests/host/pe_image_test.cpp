// Both executables read as files, without running them: the checks the 32-bit program still
// gets on a machine that cannot run it. Each must be a GUI image of its architecture that
// imports from known system libraries only and carries every resource the program loads, intact.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "sound/wave.h"

namespace {

uint32_t Get(const std::vector<uint8_t>& b, size_t at, int bytes) {
    if (at + bytes > b.size()) return 0;
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

// A PE image: where its sections map, and lookups in its import and resource directories.
struct PeImage {
    std::vector<uint8_t> bytes;
    uint32_t magic = 0, machine = 0, subsystem = 0;
    uint32_t importRva = 0, resourceRva = 0;
    struct Section { uint32_t rva, size, offset; };
    std::vector<Section> sections;

    // The file offset of an RVA, or 0 when no section holds it.
    size_t At(uint32_t rva) const {
        for (const Section& s : sections)
            if (rva >= s.rva && rva < s.rva + s.size) return s.offset + (rva - s.rva);
        return 0;
    }
    std::string Text(uint32_t rva) const {
        std::string out;
        for (size_t at = At(rva); at && at < bytes.size() && bytes[at]; ++at) out += char(bytes[at]);
        return out;
    }
};

constexpr uint32_t Pe32Magic = 0x10B, Pe32PlusMagic = 0x20B;
constexpr uint32_t I386Machine = 0x14C, Amd64Machine = 0x8664;
constexpr uint32_t GuiSubsystem = 2;
constexpr uint32_t SubdirectoryBit = 0x80000000u;

bool Load(const std::string& path, PeImage* pe) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    pe->bytes.assign(std::istreambuf_iterator<char>(in), {});
    const auto& b = pe->bytes;
    if (Get(b, 0, 2) != 0x5A4D) return false;                       // "MZ"
    const size_t header = Get(b, 0x3C, 4);
    if (Get(b, header, 4) != 0x4550) return false;                  // "PE\0\0"
    pe->machine = Get(b, header + 4, 2);
    const uint32_t sectionCount = Get(b, header + 6, 2);
    const size_t optional = header + 24;
    pe->magic = Get(b, optional, 2);
    pe->subsystem = Get(b, optional + 68, 2);
    const size_t directories = optional + (pe->magic == Pe32PlusMagic ? 112 : 96);
    pe->importRva = Get(b, directories + 8, 4);
    pe->resourceRva = Get(b, directories + 16, 4);
    const size_t table = optional + Get(b, header + 20, 2);
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const size_t s = table + 40 * i;
        pe->sections.push_back({Get(b, s + 12, 4), Get(b, s + 16, 4), Get(b, s + 20, 4)});
    }
    return true;
}

std::set<std::string> ImportedLibraries(const PeImage& pe) {
    std::set<std::string> names;
    for (size_t d = pe.At(pe.importRva); d && Get(pe.bytes, d + 12, 4) != 0; d += 20) {
        std::string name = pe.Text(Get(pe.bytes, d + 12, 4));
        for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        names.insert(name);
    }
    return names;
}

// The entry of one resource directory level whose id (or, for a negative id, whose name)
// matches; returns its raw offset word, or 0.
uint32_t FindEntry(const PeImage& pe, size_t directory, int id, const char* name) {
    const auto& b = pe.bytes;
    const size_t root = pe.At(pe.resourceRva);
    const uint32_t count = Get(b, directory + 12, 2) + Get(b, directory + 14, 2);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t e = directory + 16 + 8 * i;
        const uint32_t key = Get(b, e, 4);
        bool match = false;
        if (name && (key & SubdirectoryBit)) {
            const size_t s = root + (key & ~SubdirectoryBit);
            const size_t length = Get(b, s, 2);
            match = length == std::strlen(name);
            for (size_t k = 0; match && k < length; ++k) match = Get(b, s + 2 + 2 * k, 2) == uint8_t(name[k]);
        } else if (!name) {
            match = key == uint32_t(id);
        }
        if (match) return Get(b, e + 4, 4);
    }
    return 0;
}

// The bytes of the first language of resource (type, id); empty when it is missing or its data
// lies outside the file.
std::vector<uint8_t> Resource(const PeImage& pe, int type, const char* typeName, int id,
                              uint32_t* language = nullptr) {
    const size_t root = pe.At(pe.resourceRva);
    if (!root) return {};
    const uint32_t byType = FindEntry(pe, root, type, typeName);
    if (!(byType & SubdirectoryBit)) return {};
    const uint32_t byId = FindEntry(pe, root + (byType & ~SubdirectoryBit), id, nullptr);
    if (!(byId & SubdirectoryBit)) return {};
    const size_t languages = root + (byId & ~SubdirectoryBit);
    if (Get(pe.bytes, languages + 12, 2) + Get(pe.bytes, languages + 14, 2) == 0) return {};
    if (language) *language = Get(pe.bytes, languages + 16, 4);
    const size_t leaf = root + Get(pe.bytes, languages + 20, 4);
    const size_t data = pe.At(Get(pe.bytes, leaf, 4));
    const size_t size = Get(pe.bytes, leaf + 4, 4);
    if (!data || data + size > pe.bytes.size()) return {};
    return std::vector<uint8_t>(pe.bytes.begin() + data, pe.bytes.begin() + data + size);
}

constexpr int RtCursor = 1, RtBitmap = 2, RtMenu = 4, RtDialog = 5, RtGroupCursor = 12;
constexpr int RtGroupIcon = 14, RtVersion = 16, RtManifest = 24;
constexpr int ProcessManifestId = 1;
constexpr uint32_t JapaneseLanguage = 0x411;
constexpr uint32_t FixedFileInfoSignature = 0xFEEF04BD;
constexpr int FrameSide = 48;

struct Build {
    const char* name;
    const char* path;
    uint32_t magic, machine;
};
const Build Builds[] = {
    {"32-bit", TSUTSURI_WIN32_EXE, Pe32Magic, I386Machine},
    {"64-bit", TSUTSURI_WIN64_EXE, Pe32PlusMagic, Amd64Machine},
};

// Named in test listings by its architecture alone.
void PrintTo(const Build& build, std::ostream* out) { *out << build.name; }

class Executable : public ::testing::TestWithParam<Build> {
protected:
    void SetUp() override {
        if (std::string(GetParam().path).empty()) GTEST_SKIP() << "no cross build configured";
        ASSERT_TRUE(Load(GetParam().path, &pe)) << GetParam().path << " is no PE image";
    }
    PeImage pe;
};

TEST_P(Executable, IsAGuiImageOfItsArchitecture) {
    EXPECT_EQ(pe.magic, GetParam().magic);
    EXPECT_EQ(pe.machine, GetParam().machine);
    EXPECT_EQ(pe.subsystem, GuiSubsystem);
}

// Imports are resolved before any of the program's code runs, through a search that looks in
// the program's own folder first for every library that is not one of Windows' "known DLLs".
// Only the six Windows always takes from the system folder are imported; winmm, dsound and
// dwmapi are loaded from the system folder by full path at run time.
TEST_P(Executable, ImportsKnownSystemLibrariesOnly) {
    const std::set<std::string> known = {"ADVAPI32.DLL", "GDI32.DLL",   "KERNEL32.DLL",
                                         "MSVCRT.DLL",   "SHELL32.DLL", "USER32.DLL"};
    EXPECT_EQ(ImportedLibraries(pe), known);
}

TEST_P(Executable, CarriesEveryResourceIntact) {
    struct Expected { int type; const char* typeName; int id; };
    std::vector<Expected> expected = {
        {RtMenu, nullptr, IDR_MAINMENU},          {RtDialog, nullptr, IDD_ABOUT},
        {RtVersion, nullptr, 1},                  {RtGroupIcon, nullptr, IDI_ABOUT},
        {RtGroupIcon, nullptr, IDI_TRAY_TIPPING}, {RtGroupIcon, nullptr, IDI_APP},
        {RtGroupCursor, nullptr, IDCUR_LADLE},    {RtGroupCursor, nullptr, IDCUR_LADLE_POURING},
        {RtGroupCursor, nullptr, IDCUR_HAND},     {RtBitmap, nullptr, IDB_STREAM_SHEET},
        {RtBitmap, nullptr, IDB_STREAM_MASK},     {RtBitmap, nullptr, IDB_METER_STRIP},
    };
    for (int f = 0; f < IDB_FRAME_COUNT; ++f) expected.push_back({RtBitmap, nullptr, IDB_FRAME_FIRST + f});
    for (int w = IDW_STRIKE; w <= IDW_WATER_B; ++w) expected.push_back({0, "WAVE", w});
    for (const Expected& e : expected) {
        EXPECT_FALSE(Resource(pe, e.type, e.typeName, e.id).empty())
            << "resource " << e.id << " of type " << (e.typeName ? e.typeName : std::to_string(e.type));
    }
    EXPECT_TRUE(FindEntry(pe, pe.At(pe.resourceRva), RtCursor, nullptr) & SubdirectoryBit);

    for (int f = 0; f < IDB_FRAME_COUNT; ++f) {
        const auto frame = Resource(pe, RtBitmap, nullptr, IDB_FRAME_FIRST + f);
        EXPECT_EQ(Get(frame, 4, 4), uint32_t(FrameSide)) << "frame " << f;
        EXPECT_EQ(Get(frame, 8, 4), uint32_t(FrameSide)) << "frame " << f;
    }
    for (int w = IDW_STRIKE; w <= IDW_WATER_B; ++w) {
        const auto wave = Resource(pe, 0, "WAVE", w);
        WaveInfo info = {};
        ASSERT_EQ(ParseWaveImage(wave.data(), uint32_t(wave.size()), &info), 1) << "sound " << w;
        EXPECT_EQ(info.format.formatTag, 1) << "sound " << w;   // PCM
        EXPECT_GT(info.dataSize, 0u) << "sound " << w;
    }
    uint32_t language = 0;
    Resource(pe, RtMenu, nullptr, IDR_MAINMENU, &language);
    EXPECT_EQ(language, JapaneseLanguage);
}

TEST_P(Executable, DeclaresPerMonitorDpiAwarenessAndNothingElse) {
    const auto bytes = Resource(pe, RtManifest, nullptr, ProcessManifestId);
    const std::string manifest(bytes.begin(), bytes.end());
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor<"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);
    // An execution level would end the file virtualization that keeps a Program Files copy's
    // settings; visual styles or a compatibility section would change how the system treats
    // the program beyond its scale.
    for (const char* absent : {"requestedExecutionLevel", "Common-Controls", "supportedOS"}) {
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
    }
}

// The linker's map: the program has one thread and throws nothing, so none of the C++
// library's exception machinery, the unwinder or the threads library may come in (a guarded
// static once brought all three, over 100 KB). The 32-bit program stays within its budget.
TEST_P(Executable, LinksNoExceptionOrThreadMachinery) {
    std::string path = GetParam().path;
    path.replace(path.size() - 3, 3, "map");
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    std::string line, included;
    // Only the first block names the library objects taken in; later ones list every library
    // the linker was merely offered.
    while (std::getline(in, line) && line.find("Discarded input sections") == std::string::npos) {
        included += line + "\n";
    }
    ASSERT_NE(included.find("Archive member included"), std::string::npos) << path;
    for (const char* object : {"cp-demangle.o", "unwind-dw2", "libwinpthread", "eh_personality.o",
                               "guard.o"}) {
        EXPECT_EQ(included.find(object), std::string::npos) << object;
    }
    if (GetParam().magic == Pe32Magic) {
        constexpr size_t Budget = 1200000;   // the bench's target too
        EXPECT_LE(pe.bytes.size(), Budget);
    }
}

// The version the packages are named by is the one both programs carry.
TEST(Executables, CarryTheSameVersion) {
    std::vector<std::vector<uint8_t>> fixed;
    for (const Build& build : Builds) {
        PeImage pe;
        if (std::string(build.path).empty()) GTEST_SKIP() << "no cross build configured";
        ASSERT_TRUE(Load(build.path, &pe)) << build.path;
        const auto version = Resource(pe, RtVersion, nullptr, 1);
        // VS_VERSIONINFO: the key "VS_VERSION_INFO" in UTF-16, padded, then VS_FIXEDFILEINFO.
        constexpr size_t FixedInfoOffset = 40;
        ASSERT_EQ(Get(version, FixedInfoOffset, 4), FixedFileInfoSignature) << build.name;
        fixed.emplace_back(version.begin() + FixedInfoOffset + 8, version.begin() + FixedInfoOffset + 24);
    }
    EXPECT_EQ(fixed[0], fixed[1]);
}

INSTANTIATE_TEST_SUITE_P(Builds, Executable, ::testing::ValuesIn(Builds),
                         [](const auto& info) { return info.param.name[0] == '3' ? "x86" : "x64"; });

}  // namespace
