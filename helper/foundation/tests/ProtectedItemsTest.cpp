// The protected-item list, the never-deleted extensions and the risky file types.
#include "ProtectedItems.h"

#include <gtest/gtest.h>

TEST(ProtectedItems, ListHoldsEveryEntryLowerCasedAndTrimmed) {
    const CStringArray& list = ProtectedItemList();
    ASSERT_EQ(252, list.GetSize());
    for (INT_PTR i = 0; i < list.GetSize(); ++i) {
        CString entry = list[i];
        CString normal = entry;
        normal.MakeLower();
        normal.Trim();
        EXPECT_EQ(normal, entry) << i;
        EXPECT_FALSE(entry.IsEmpty()) << i;
    }
    CStringArray files, folders;
    AddCriticalSystemFiles(files);
    AddProtectedFolders(folders);
    EXPECT_EQ(146, files.GetSize());
    EXPECT_EQ(106, folders.GetSize());
}

TEST(ProtectedItems, SystemWordsAnywhereInThePathProtectIt) {
    EXPECT_FALSE(IsSafeToDelete(L"C:\\Users\\samuel\\notes.txt")); // "sam"
    EXPECT_FALSE(IsSafeToDelete(L"D:\\Data\\System Backup\\a.txt"));
    EXPECT_FALSE(IsSafeToDelete(L"C:\\Windows\\System32\\drivers\\x.tmp"));
    EXPECT_FALSE(IsOutsideProtectedItems(L"C:\\Default\\x.tmp"));
    EXPECT_FALSE(IsSafeToDelete(L"D:\\Downloads\\SETUP.INI")); // "setup.in"
    EXPECT_FALSE(IsSafeToDelete(L"D:\\Downloads\\setup.inf"));
}

TEST(ProtectedItems, TheMisspelledPrefetchEntryProtectsOnlyItsSpelling) {
    EXPECT_FALSE(IsSafeToDelete(L"D:\\Prefatch\\a.tmp"));
    EXPECT_TRUE(IsSafeToDelete(L"D:\\Prefetch\\a.tmp"));
}

TEST(ProtectedItems, ExtensionsDecideWhatTheListAllows) {
    EXPECT_TRUE(IsSafeToDelete(L"D:\\Junk\\leftover")); // no extension
    EXPECT_TRUE(IsSafeToDelete(L"D:\\Junk\\a.txt"));
    EXPECT_TRUE(IsSafeToDelete(L"D:\\Junk\\a.tmp"));
    for (const wchar_t* path : {L"D:\\Junk\\a.DLL", L"D:\\Junk\\b.exe", L"D:\\Junk\\c.vxd",
                                L"D:\\Junk\\d.cat", L"D:\\Junk\\e.Dot"})
        EXPECT_FALSE(IsSafeToDelete(path)) << path;
    EXPECT_TRUE(IsAllowedFileType(L"d:\\junk\\a.txt"));
    EXPECT_FALSE(IsAllowedFileType(L"d:\\junk\\a.sys"));
    EXPECT_TRUE(IsOutsideProtectedItems(L"D:\\Junk\\a.dll"));
}

TEST(ProtectedItems, RiskyExtensions) {
    EXPECT_TRUE(IsRiskyExtension(L"a.VBS"));
    EXPECT_TRUE(IsRiskyExtension(L"C:\\x\\setup.msi"));
    EXPECT_TRUE(IsRiskyExtension(L"report.vsmacros"));
    EXPECT_FALSE(IsRiskyExtension(L"a.vbscript"));
    EXPECT_FALSE(IsRiskyExtension(L"C:\\x\\README"));
    EXPECT_FALSE(IsRiskyExtension(L"photo.jpg"));
    EXPECT_FALSE(IsRiskyExtension(L"C:\\x.js\\file")); // the folder's dot is no extension
}

TEST(ProtectedItems, NormalizeListEntryLowerCasesAndTrims) {
    EXPECT_EQ(CString(L"\\winsxs"), NormalizeListEntry(L"  \\WinSxS \t"));
}
