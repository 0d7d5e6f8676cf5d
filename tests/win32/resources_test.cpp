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

// Windows picks the image of the exact size it asks for at the window's DPI; each size the
// files carry must come back at that size, and a cursor's hot spot with it.
TEST(Resources, IconsAndCursorsLoadAtEveryCarriedSize) {
    struct Case { int id; UINT type; int count, sizes[4], hot[4][2]; } cases[] = {
        {IDI_ABOUT, IMAGE_ICON, 3, {32, 48, 64}, {}},
        {IDI_APP, IMAGE_ICON, 4, {16, 20, 24, 32}, {}},
        {IDI_TRAY_TIPPING, IMAGE_ICON, 4, {16, 20, 24, 32}, {}},
        {IDCUR_LADLE, IMAGE_CURSOR, 3, {32, 48, 64}, {{0, 10}, {0, 15}, {0, 20}}},
        {IDCUR_LADLE_POURING, IMAGE_CURSOR, 3, {32, 48, 64}, {{4, 26}, {6, 39}, {8, 52}}},
        {IDCUR_HAND, IMAGE_CURSOR, 3, {32, 48, 64}, {{8, 20}, {12, 30}, {16, 40}}},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < c.count; ++i) {
            const int n = c.sizes[i];
            HICON icon = static_cast<HICON>(
                LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.id), c.type, n, n, 0));
            ASSERT_NE(icon, nullptr) << c.id << " at " << n;
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info)) << c.id << " at " << n;
            BITMAP bitmap = {};
            GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
            EXPECT_EQ(bitmap.bmWidth, n) << c.id;
            EXPECT_EQ(bitmap.bmHeight, info.hbmColor ? n : 2 * n) << c.id;
            if (c.type == IMAGE_CURSOR) {
                EXPECT_EQ(info.xHotspot, DWORD(c.hot[i][0])) << c.id << " at " << n;
                EXPECT_EQ(info.yHotspot, DWORD(c.hot[i][1])) << c.id << " at " << n;
            }
            if (info.hbmColor) DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            if (c.type == IMAGE_CURSOR) DestroyCursor(icon); else DestroyIcon(icon);
        }
    }
}
