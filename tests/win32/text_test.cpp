// The program's code page 932 texts on their way to the wide calls: whole characters only,
// always terminated, never past the buffer; and which systems take that way.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/state.h"
#include "base/text_win32.h"

namespace {

constexpr wchar_t Untouched = 0xFFFF;

TEST(Text, WidenedTextsAreCutWhereACharacterEndsAndTerminated) {
    const std::string a62(62, 'a');
    const std::string a70(70, 'a');
    struct Case {
        std::string text;
        int capacity;
        std::wstring wide;
    } cases[] = {
        {"Tsutsuri [CPU使用率：100％]", 64, L"Tsutsuri [CPU使用率：100％]"},
        {"既に 『Tsutsuri』 が起動しています、\r\n", 64, L"既に 『Tsutsuri』 が起動しています、\r\n"},
        {a70, 64, std::wstring(63, L'a')},                    // the tray tip's 64 characters
        {a62 + "あ", 64, std::wstring(62, L'a') + L"あ"},     // 64 bytes, 63 characters: all fit
        {a62 + "aあ", 64, std::wstring(63, L'a')},            // no room for the pair's character
        {"あいう", 3, L"あい"},
        {"a\x82", 8, L"a"},                                    // a lead byte without its trail
        {"あ", 1, L""},
        {"", 8, L""},
    };
    for (const Case& c : cases) {
        wchar_t wide[80];
        std::fill(std::begin(wide), std::end(wide), Untouched);
        const int written = WidenText(c.text.c_str(), wide, c.capacity);
        EXPECT_EQ(written, static_cast<int>(c.wide.size())) << c.text;
        EXPECT_EQ(std::wstring(wide), c.wide) << c.text;
        EXPECT_EQ(wide[c.capacity], Untouched) << c.text;
    }
    wchar_t none[2] = {Untouched, Untouched};
    EXPECT_EQ(WidenText("abc", none, 0), 0);
    EXPECT_EQ(none[0], Untouched);
}

TEST(Text, OnlyTheNtFamilyTakesTheWideCalls) {
    const uint8_t family = OsFamily;
    ASSERT_TRUE(IsValidCodePage(ProgramCodePage));
    struct Case { uint8_t family; bool wide; } cases[] = {
        {OsFamilyNt, true}, {OsFamily9x, false}, {OsFamilyOther, false},
    };
    for (const Case& c : cases) {
        OsFamily = c.family;
        EXPECT_EQ(WideTextCalls(), c.wide) << int(c.family);
    }
    OsFamily = family;
}

}  // namespace
