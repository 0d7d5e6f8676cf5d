// The text resources the program starts with are in the executable, in Japanese.
#include <gtest/gtest.h>
#include <windows.h>
#include "res/resource.h"

TEST(Resources, MenuDialogAndVersionCarryJapaneseLanguage) {
    const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    struct Case { LPCSTR type; int id; } cases[] = {
        {RT_MENU, IDR_MAINMENU}, {RT_DIALOG, IDD_ABOUT}, {RT_VERSION, 1},
    };
    for (const auto& c : cases) {
        EXPECT_NE(FindResourceExA(nullptr, c.type, MAKEINTRESOURCEA(c.id), japanese), nullptr)
            << c.id;
    }
}

TEST(Resources, MenuTextsArriveInCodePage932) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(menu, nullptr);
    char text[64] = {};
    GetMenuStringA(menu, IDM_EXIT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "終了");
    EXPECT_EQ(GetMenuState(menu, IDM_SOURCE_INSTANT, MF_BYCOMMAND) & MF_CHECKED, UINT(MF_CHECKED));
    EXPECT_EQ(GetMenuState(menu, IDM_POS_PERCH, MF_BYCOMMAND) & MF_CHECKED, UINT(MF_CHECKED));
    EXPECT_EQ(GetMenuState(menu, IDM_SOURCE_RANDOM, MF_BYCOMMAND) & MF_CHECKED, 0u);
    DestroyMenu(menu);
}
