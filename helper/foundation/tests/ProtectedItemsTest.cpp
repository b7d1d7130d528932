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

// The names of a user's own files and folders that merely contain a protected word are the
// user's: a duplicate finder that left them out found 2 of 7 copies in such a tree.
TEST(ProtectedItems, WordsInsideOtherNamesProtectNothing) {
    for (const wchar_t* path : {
             L"C:\\Users\\Samuel\\notes.txt",     // "sam"
             L"K:\\Samples\\song.wav",            // "sam"
             L"K:\\photos\\same.txt",             // "sam"
             L"D:\\Data\\System Backup\\a.txt",   // "system", "\\backup"
             L"D:\\Systems\\notes.txt",           // "system"
             L"D:\\Defaults.txt",                 // "default"
             L"D:\\Software Archive\\readme.txt", // "software"
             L"D:\\Securityguide.pdf",            // "security"
             L"K:\\backup\\photo.jpg",            // "\\backup" outside the system
             L"K:\\backups\\photo.jpg",
             L"D:\\Help\\manual.pdf", // "\\help" outside the system
             L"D:\\helpers\\a.txt",
             L"D:\\Fonts I made\\a.ttf", // "\\fonts"
             L"D:\\Fonts\\a.txt",
             L"D:\\Microsoft Office Notes\\a.doc", // "\\microsoft"
             L"D:\\Work\\Microsoft\\plan.txt",
             L"D:\\Downloads\\SETUP.INI", // "setup.in" names setup.in only
             L"D:\\Downloads\\setup.inf",
             L"D:\\Downloads\\mysetup.exe.txt", // "setup.exe"
             L"D:\\Identities\\list.txt",       // "\\identities\\{"
         })
        EXPECT_TRUE(IsOutsideProtectedItems(path)) << path;
    EXPECT_TRUE(IsSafeToDelete(L"C:\\Users\\Samuel\\notes.txt"));
    EXPECT_TRUE(IsSafeToDelete(L"K:\\backup\\photo.jpg"));
}

TEST(ProtectedItems, ProtectedNamesAndFoldersAsWholeComponents) {
    for (const wchar_t* path : {
             L"C:\\Windows\\System32\\config\\SYSTEM", // the hive by its name
             L"D:\\Old\\sam",                          // and wherever it lies
             L"C:\\Users\\u\\NTUSER.DAT",
             L"D:\\Downloads\\setup.in",
             L"D:\\Downloads\\movie.avi.part", // ".part" ends a name
             L"D:\\Data\\table.myd",
             L"D:\\Data\\donotdel.txt",                // "donotdel." begins one
             L"C:\\Windows\\System32\\drivers\\x.tmp", // "windows\\system32"
             L"C:\\WINDOWS\\Fonts\\arial.ttf",         // everyday names in the system
             L"C:\\Windows\\Help\\a.chm",
             L"C:\\Users\\u\\AppData\\Roaming\\Microsoft\\Word\\a.tmp",
             L"C:\\Program Files\\Tool\\Backup\\a.dat",
             L"D:\\System Volume Information\\x", // a system folder's own name
             L"D:\\Old Windows\\WinSxS\\manifest.txt",
             L"C:\\Program Files\\Common Files\\a.txt",
             L"C:\\Users\\u\\Identities\\{1234}\\mail.dbx", // "{" begins a component
             L"C:\\Windows\\Microsoft.NET\\Framework\\a.tmp",
             L"C:\\Windows\\Microsoft.NETFramework\\a.tmp", // ".netframework" ends one
             L"C:\\Windows\\Prefatch\\a.tmp",
             L"D:\\Temp\\ASP.NET_4.0\\a.tmp", // "\\asp.net_" begins one, alone
             L"D:\\Games\\Chaos32\\save.dat",
         })
        EXPECT_FALSE(IsOutsideProtectedItems(path)) << path;
    // A protected folder itself, asked about by its path.
    EXPECT_FALSE(IsSafeToDelete(L"C:\\Windows\\Fonts"));
    EXPECT_FALSE(IsSafeToDelete(L"C:\\Windows\\Fonts\\"));
    EXPECT_FALSE(IsSafeToDelete(L"c:/windows/system32/a.tmp")) << "forward slashes";
}

TEST(ProtectedItems, TheMisspelledPrefetchEntryProtectsOnlyItsSpelling) {
    EXPECT_FALSE(IsSafeToDelete(L"D:\\Prefatch\\a.tmp"));
    EXPECT_TRUE(IsSafeToDelete(L"D:\\Prefetch\\a.tmp"));
    EXPECT_TRUE(IsSafeToDelete(L"D:\\Prefatchers\\a.tmp"));
}

TEST(ProtectedItems, EmptyAndRootPathsAndSeparatorsAlone) {
    EXPECT_TRUE(IsOutsideProtectedItems(L""));
    EXPECT_TRUE(IsOutsideProtectedItems(L"C:\\"));
    EXPECT_TRUE(IsOutsideProtectedItems(L"\\\\"));
    EXPECT_TRUE(IsSafeToDelete(L"K:\\"));
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
