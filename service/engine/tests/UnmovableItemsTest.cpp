#include "UnmovableItems.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(UnmovableItems, PatternsMatchInAnyLetterCaseButOnlyWhole) {
    EXPECT_TRUE(IsUnmovablePath(L"C:\\$LDR$"));
    EXPECT_TRUE(IsUnmovablePath(L"E:\\NtDetect.COM"));
    EXPECT_TRUE(IsUnmovablePath(L"C:\\deep\\er\\GOBACKIO.BIN.old"));
    EXPECT_TRUE(IsUnmovablePath(L"C:\\x\\y$BadClus$Bad"));
    // A pattern cut off by the end of the path, or one letter apart, does not match.
    EXPECT_FALSE(IsUnmovablePath(L"C:\\pagefile.sy"));
    EXPECT_FALSE(IsUnmovablePath(L"C:\\x\\safeboot.f"));
    EXPECT_FALSE(IsUnmovablePath(L"C:\\x\\bootwiz"));
    EXPECT_FALSE(IsUnmovablePath(L"C:\\x\\$badclu"));
    // Only ASCII letters fold: a non-ASCII letter never stands for an ASCII one.
    EXPECT_FALSE(IsUnmovablePath(L"C:\\\u0130\u0130\\x"));
    EXPECT_FALSE(IsUnmovablePath(L"C:\\cmdcon\u0455"));
}

// The walk's test past a directory's path, with the test of that path and its backslash,
// answers as the test of the whole path: also for patterns that cross the backslash.
TEST(UnmovableItems, TheTestPastADirectoryAnswersAsTheWholeTest) {
    const std::wstring_view paths[] = {
        L"C:\\Boot\\BCD",
        L"C:\\pagefile.sys",
        L"C:\\data\\boot\\x",
        L"C:\\a\\BootWiz\\x.dat",
        L"C:\\a\\bootwiz",
        L"C:\\$Extend\\$BadClus",
        L"C:\\x\\y$badclus",
        L"C:\\x\\yy\\zz\\file.bin",
        L"C:\\averyveryverylongname\\bootwiz.sys",
        L"C:\\b",
        L"C:\\bootwiz\\z",
        L"C:\\q\\gobackio.bin.x",
    };
    for (const std::wstring_view path : paths) {
        for (size_t slash = path.find(L'\\'); slash != std::wstring_view::npos;
             slash = path.find(L'\\', slash + 1)) {
            const size_t known = slash + 1; // the directory's path and its backslash
            EXPECT_EQ(IsUnmovablePath(path),
                      IsUnmovablePath(path.substr(0, known)) || IsUnmovablePathPast(path, known))
                << std::wstring(path) << " past " << known;
        }
    }
}
