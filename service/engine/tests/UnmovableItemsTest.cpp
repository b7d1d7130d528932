#include "UnmovableItems.h"

#include <gtest/gtest.h>

TEST(UnmovableItems, RootAnchoredPatternsMatchOnlyAtTheRoot) {
    EXPECT_TRUE(IsUnmovablePath(L"C:\\Boot\\BCD"));
    EXPECT_TRUE(IsUnmovablePath(L"C:\\pagefile.sys"));
    EXPECT_TRUE(IsUnmovablePath(L"D:\\HIBERFIL.SYS"));
    EXPECT_TRUE(IsUnmovablePath(L"C:\\bootmgr"));
    EXPECT_FALSE(IsUnmovablePath(L"C:\\data\\boot\\x"));
    EXPECT_FALSE(IsUnmovablePath(L"C:\\data\\pagefile.sys"));
    EXPECT_FALSE(IsUnmovablePath(L"C:\\Bootstrap"));
}

TEST(UnmovableItems, UnanchoredPatternsMatchAnywhere) {
    EXPECT_TRUE(IsUnmovablePath(L"C:\\tools\\SafeBoot.fs"));
    EXPECT_TRUE(IsUnmovablePath(L"C:\\a\\BootWiz\\x.dat"));
    EXPECT_TRUE(IsUnmovablePath(L"C:\\a\\bootauth.bin"));
    EXPECT_TRUE(IsUnmovablePath(L"C:\\$Extend\\$BadClus"));
    EXPECT_TRUE(IsUnmovablePath(L"C:\\x\\gobackio.bin"));
    EXPECT_FALSE(IsUnmovablePath(L"C:\\a\\bootwizard.txt"));
    EXPECT_FALSE(IsUnmovablePath(L""));
}
