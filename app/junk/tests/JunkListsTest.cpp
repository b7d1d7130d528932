// The junk cleaner's lists and settings: masks and ignore lists in the registry on the first
// run and after edits, the option defaults, the drives and the temporary folders.
#include <shlobj.h>
#include <shlwapi.h>

#include <set>

#include "JunkPattern.h"
#include "JunkTables.h"
#include "JunkTestSupport.h"
#include "SafetyTestSupport.h"
#include "AppLocations.h"
#include "AppState.h"
#include "Registry.h"

using namespace junktest;

namespace {

struct RegistryValue {
    std::wstring name;
    DWORD type;
    DWORD number;
};

std::vector<RegistryValue> ReadValues(const CString& path) {
    std::vector<RegistryValue> values;
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, number = 0, size = sizeof number;
        BYTE data[64];
        size = sizeof data;
        if (RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        if (type == REG_DWORD)
            memcpy(&number, data, sizeof number);
        values.push_back({name, type, number});
    }
    return values;
}

std::wstring SpecialFolderPattern(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || !*path)
        return std::wstring();
    CString lower(path);
    lower.MakeLower();
    return std::wstring(lower.GetString()) + L"*";
}

class JunkListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_strAppTitle = L"XarnJunkListsTest";
        // Left by an earlier run, or absent already.
        static_cast<void>(CRegistry::DeleteKey(HKEY_CURRENT_USER, CJunkFileFinder::MaskListKey()));
        static_cast<void>(
            CRegistry::DeleteKey(HKEY_CURRENT_USER, CJunkFileFinder::IgnoreListKey()));
    }
};

TEST_F(JunkListsTest, TheFirstRunStoresTheDefaultMasksAndOnlyTheSpecialFolders) {
    CJunkFileFinder finder;
    finder.LoadMasks();
    ASSERT_EQ(finder.GetMaskCount(), 41);
    const auto masks = ReadValues(CJunkFileFinder::MaskListKey());
    ASSERT_EQ(masks.size(), 41u);
    int enabled = 0;
    for (const RegistryValue& value : masks) {
        EXPECT_EQ(value.type, DWORD(REG_DWORD));
        enabled += value.number == 1;
        EXPECT_LE(value.number, 1u);
    }
    EXPECT_EQ(enabled, 20);
    EXPECT_EQ(finder.GetMaskText(0), L"*.---");
    EXPECT_EQ(finder.GetMaskText(40), L"mscreate.dir");

    finder.LoadIgnoreList();
    std::set<std::wstring> specialFolders;
    for (int csidl :
         {CSIDL_CDBURN_AREA, CSIDL_FAVORITES, CSIDL_NETHOOD, CSIDL_PRINTHOOD, CSIDL_SENDTO}) {
        const std::wstring pattern = SpecialFolderPattern(csidl);
        if (!pattern.empty())
            specialFolders.insert(pattern);
    }
    ASSERT_FALSE(specialFolders.empty());
    std::set<std::wstring> stored;
    for (const RegistryValue& value : ReadValues(CJunkFileFinder::IgnoreListKey())) {
        EXPECT_EQ(value.type, DWORD(REG_SZ));
        stored.insert(value.name);
    }
    EXPECT_EQ(stored, specialFolders);
    EXPECT_EQ(finder.IgnoreList().GetSize(), INT_PTR(54 + specialFolders.size()));
    EXPECT_EQ(finder.IgnoreList()[0], L"*\\application data\\microsoft\\*");

    // A second start reads what the first stored.
    CJunkFileFinder second;
    second.LoadMasks();
    EXPECT_EQ(second.GetMaskCount(), 41);
    second.LoadIgnoreList();
    EXPECT_EQ(second.IgnoreList().GetSize(), finder.IgnoreList().GetSize());
}

TEST_F(JunkListsTest, SavingTheIgnoreListNeverStoresABuiltInPattern) {
    CJunkFileFinder finder;
    finder.LoadIgnoreList();
    finder.IgnoreList().Add(L"*\\my build\\*");
    finder.IgnoreList().Add(L"*\\I386\\*");
    ASSERT_TRUE(finder.SaveIgnoreList());
    std::set<std::wstring> stored;
    for (const RegistryValue& value : ReadValues(CJunkFileFinder::IgnoreListKey()))
        stored.insert(value.name);
    EXPECT_TRUE(stored.count(L"*\\my build\\*"));
    for (const wchar_t* pattern : kBuiltInIgnorePatterns)
        EXPECT_FALSE(stored.count(pattern));
    EXPECT_FALSE(stored.count(L"*\\I386\\*"));

    // A removed built-in pattern returns at the next scan start, and nothing is doubled.
    finder.IgnoreList().RemoveAt(finder.IgnoreList().GetSize() - 1);
    CStringArray& list = finder.IgnoreList();
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        if (list[i] == L"*\\quarantine\\*")
            list.RemoveAt(i);
    const INT_PTR before = list.GetSize();
    finder.MergeDefaultIgnoreList();
    EXPECT_EQ(list.GetSize(), before + 1);
    finder.MergeDefaultIgnoreList();
    EXPECT_EQ(list.GetSize(), before + 1);
}

TEST_F(JunkListsTest, MasksSurviveEditsAndResetRestoresTheDefaults) {
    CJunkFileFinder finder;
    finder.LoadMasks();
    finder.ClearMasks();
    finder.AddMask(L"*.cache", 3);
    finder.AddMask(L"*.part", 4);
    ASSERT_TRUE(finder.SaveMasks());
    // A value that is not a DWORD is no mask.
    ASSERT_TRUE(
        RegWriteStringAt(HKEY_CURRENT_USER, CJunkFileFinder::MaskListKey(), L"*.text", L"1"));

    CJunkFileFinder reader;
    reader.LoadMasks();
    ASSERT_EQ(reader.GetMaskCount(), 2);
    EXPECT_EQ(reader.GetMaskText(0), L"*.cache");
    EXPECT_EQ(reader.GetMask(0)->flags, 3u);
    EXPECT_TRUE(reader.GetMask(0)->IsEnabled());
    EXPECT_FALSE(reader.GetMask(1)->IsEnabled());
    EXPECT_FALSE(CJunkMask(L"x", 7).IsEnabled());

    // An emptied list stays empty until the defaults are asked for.
    reader.ClearMasks();
    ASSERT_TRUE(reader.SaveMasks());
    CJunkFileFinder empty;
    empty.LoadMasks();
    EXPECT_EQ(empty.GetMaskCount(), 0);
    empty.ResetMasksToDefault();
    EXPECT_EQ(empty.GetMaskCount(), 41);
    EXPECT_EQ(ReadValues(CJunkFileFinder::MaskListKey()).size(), 41u);
}

// The old list is removed before the new one is written; where it cannot be (a sub-key holds
// it), saving fails instead of mixing the masks the user removed into the new list.
TEST_F(JunkListsTest, MasksAreNotSavedOverAListThatCannotBeRemoved) {
    const CString key = CJunkFileFinder::MaskListKey();
    ASSERT_TRUE(RegWriteDwordAt(HKEY_CURRENT_USER, key, L"*.old", 1));
    ASSERT_TRUE(RegWriteDwordAt(HKEY_CURRENT_USER, key + L"\\Held", L"x", 1));
    CJunkFileFinder finder;
    finder.AddMask(L"*.new", 1);
    EXPECT_FALSE(finder.SaveMasks());
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, key));
    EXPECT_TRUE(finder.SaveMasks()) << "no list left to remove";
}

TEST_F(JunkListsTest, ScanOptionsComeWithTheirDefaultsOrFixedForUnattendedScans) {
    CWinApp app(L"XarnJunkListsTest");
    app.SetRegistryKey(L"Halvenor\\XarnJunkListsTest");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvenor\\XarnJunkListsTest");
    JunkScanOptions options = CJunkFileFinder::ReadScanOptions(app, false);
    EXPECT_FALSE(options.zeroLength);
    EXPECT_FALSE(options.emptyFolders);
    EXPECT_TRUE(options.excludeRecent);
    EXPECT_TRUE(options.skipSystem);
    EXPECT_FALSE(options.directRemove);

    app.WriteProfileInt(L"Advanced", L"ChkZeroLenght", 1);
    app.WriteProfileInt(L"Advanced", L"ChkEmptyFolders", 1);
    app.WriteProfileInt(L"Advanced", L"ChkExcludeRecentFiles", 0);
    app.WriteProfileInt(L"Advanced", L"ChkSkipSystemFiles", 0);
    app.WriteProfileInt(L"Removal", L"DirectFastRemove", 1);
    options = CJunkFileFinder::ReadScanOptions(app, false);
    EXPECT_TRUE(options.zeroLength && options.emptyFolders && options.directRemove);
    EXPECT_FALSE(options.excludeRecent || options.skipSystem);

    options = CJunkFileFinder::ReadScanOptions(app, true);
    EXPECT_FALSE(options.zeroLength || options.emptyFolders || options.directRemove);
    EXPECT_TRUE(options.excludeRecent && options.skipSystem);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvenor\\XarnJunkListsTest");
}

TEST_F(JunkListsTest, UnattendedScansAlsoExcludeProgramAndSystemFolders) {
    CJunkFileFinder finder;
    finder.AddSpecialFolderExclusions();
    EXPECT_EQ(finder.UnattendedExclusions().GetSize(), 0);
    finder.SetUnattended(true);
    finder.AddSpecialFolderExclusions();
    std::set<std::wstring> exclusions;
    for (INT_PTR i = 0; i < finder.UnattendedExclusions().GetSize(); ++i)
        exclusions.insert(finder.UnattendedExclusions()[i].GetString());
    EXPECT_TRUE(exclusions.count(SpecialFolderPattern(CSIDL_PROGRAM_FILES)));
    EXPECT_TRUE(exclusions.count(SpecialFolderPattern(CSIDL_SYSTEM)));
}

TEST_F(JunkListsTest, DrivesAndTemporaryFolders) {
    EXPECT_EQ(CJunkFileFinder::TrimDriveDisplayName(L"Local Disk (C:)"), L"Local Disk");
    EXPECT_EQ(CJunkFileFinder::TrimDriveDisplayName(L"Backup"), L"Backup");
    EXPECT_EQ(CJunkFileFinder::TrimDriveDisplayName(L"(D:)"), L"");

    CJunkFileFinder finder;
    const CStringBoolArray& drives = finder.ListDrives();
    bool systemDrive = false;
    for (INT_PTR i = 0; i < drives.GetSize(); ++i) {
        EXPECT_EQ(drives[i]->text.Mid(1, 2), L" (");
        if (drives[i]->text[0] == L'C') {
            systemDrive = drives[i]->flag != FALSE;
        }
    }
    EXPECT_TRUE(systemDrive);

    const CStringBoolArray& folders = finder.GetTempFolders();
    ASSERT_GT(folders.GetSize(), 0);
    wchar_t tempPath[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, tempPath);
    CString expected(tempPath);
    expected.MakeLower();
    expected.Delete(expected.GetLength() - 1);
    bool listed = false;
    std::set<std::wstring> unique;
    for (INT_PTR i = 0; i < folders.GetSize(); ++i) {
        listed = listed || folders[i]->text == expected;
        EXPECT_TRUE(unique.insert(folders[i]->text.GetString()).second) << "listed twice";
    }
    EXPECT_TRUE(listed);

    CStringBoolArray list;
    EXPECT_TRUE(CJunkFileFinder::AddUniquePath(L"C:\\no such folder here", list, TRUE));
    EXPECT_TRUE(CJunkFileFinder::AddUniquePath(L"", list, TRUE));
    EXPECT_FALSE(CJunkFileFinder::AddUniquePath(L"C:\\Windows\\", list, TRUE));
    EXPECT_TRUE(CJunkFileFinder::AddUniquePath(L"c:\\WINDOWS", list, FALSE));
    ASSERT_EQ(list.GetSize(), 1);
    delete list[0];
}

// The lines of today's log of the running application.
std::wstring TodaysLog() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    CString path;
    path.Format(L"%s\\log_%02i-%02i-%02i.log", GetAppDataFolder().GetString(), now.wMonth, now.wDay,
                now.wYear);
    const std::string bytes = ReadAllBytes(path.GetString());
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

TEST_F(JunkListsTest, AStoredMaskThatMatchesEveryNameIsSkippedAndLogged) {
    g_bLogEnabled = 1;
    {
        RegistryKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, CJunkFileFinder::MaskListKey(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
        const std::pair<const wchar_t*, DWORD> stored[] = {
            {L"*", 1},       {L"*.*", 1}, {L"?*", 3},    {L"*.?*", 5},
            {L"*.tmp;*", 1}, {L"**", 0},  {L"*.tmp", 1}, {L"~*.*", 1}};
        for (const auto& [mask, flags] : stored)
            ASSERT_EQ(RegSetValueExW(key.Get(), mask, 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&flags), sizeof flags),
                      ERROR_SUCCESS);
    }
    CJunkFileFinder finder;
    finder.LoadMasks();
    g_bLogEnabled = 0;
    std::set<std::wstring> loaded;
    for (INT_PTR i = 0; i < finder.GetMaskCount(); ++i)
        loaded.insert(finder.GetMaskText(i).GetString());
    EXPECT_EQ(loaded, (std::set<std::wstring>{L"*.tmp", L"~*.*"}));
    const std::wstring log = TodaysLog();
    for (const wchar_t* mask : {L"*", L"*.*", L"?*", L"*.?*", L"*.tmp;*", L"**"})
        EXPECT_NE(log.find(L"skipped the mask \"" + std::wstring(mask) + L"\""), std::wstring::npos)
            << "no log line for " << std::string(mask, mask + wcslen(mask));
    // Saved again, the list holds only what was loaded.
    ASSERT_TRUE(finder.SaveMasks());
    EXPECT_EQ(ReadValues(CJunkFileFinder::MaskListKey()).size(), 2u);
}

TEST_F(JunkListsTest, FixedTables) {
    for (const wchar_t* name :
         {L"setup.exe", L"a.b.VSMACROS", L"font.fon", L"x.fnt", L"desk.rdp", L"report. js "})
        EXPECT_TRUE(IsProtectedExtension(name)) << std::string(name, name + wcslen(name));
    for (const wchar_t* name : {L"old.tmp", L"exe", L"archive.exe.bak", L"noextension"})
        EXPECT_FALSE(IsProtectedExtension(name));
    EXPECT_TRUE(IsBuiltInIgnorePattern(L"*\\SYSTEM32\\CONFIG*"));
    EXPECT_FALSE(IsBuiltInIgnorePattern(L"*\\mine\\*"));
    EXPECT_EQ(std::wstring(kOverBroadMasks[2]), L"*.*");
    for (const wchar_t* mask : kOverBroadMasks)
        EXPECT_TRUE(IsCatchAllMask(mask)) << std::string(mask, mask + wcslen(mask));
    for (const DefaultJunkMask& mask : kDefaultJunkMasks)
        EXPECT_FALSE(IsCatchAllMask(mask.text)) << "a default mask has a literal part";
    for (const wchar_t* mask : {L"?", L" * ", L"*.tmp;*", L"*.tmp; ?*.*", L".*"})
        EXPECT_TRUE(IsCatchAllMask(mask)) << std::string(mask, mask + wcslen(mask));
    for (const wchar_t* mask : {L"", L";", L"*.tmp;", L"a*", L"*a", L"*.^", L"* *"})
        EXPECT_FALSE(IsCatchAllMask(mask)) << std::string(mask, mask + wcslen(mask));
}

TEST(JunkPatternTest, MatchesAsTheShellsPatternMatcherDoes) {
    std::vector<CString> patterns = {L"c:\\users\\a\\favorites*",
                                     L"*.*",
                                     L" *.tmp",
                                     L"*.a;*.b",
                                     L"*\\x?y\\*",
                                     L"*",
                                     L"*.",
                                     L"abc",
                                     L"**",
                                     L"*a*b*",
                                     L"",
                                     L"A*B",
                                     L"*.TMP",
                                     L"a?c",
                                     L"?bc*",
                                     L"~?*",
                                     L"*.?x",
                                     L"*?",
                                     L"ab?"};
    for (const DefaultJunkMask& mask : kDefaultJunkMasks)
        patterns.push_back(mask.text);
    for (const wchar_t* pattern : kBuiltInIgnorePatterns)
        patterns.push_back(pattern);
    const wchar_t* texts[] = {L"old.tmp",
                              L"a.tmp.txt",
                              L"~x.y",
                              L"x.~mp",
                              L"chklist.ms",
                              L"CHKLIST.MS",
                              L"thumbs.db",
                              L"c:\\windows\\system32\\config\\x",
                              L"c:\\a\\symantec av\\b.txt",
                              L"noext",
                              L"x.",
                              L".tmp",
                              L"",
                              L"c:\\users\\a\\favorites",
                              L"c:\\users\\a\\favorites2\\x",
                              L"abc",
                              L"x.db$",
                              L"f.$$$",
                              L"x.---",
                              L"c:\\x\\xay\\z",
                              L"a.b",
                              L"ab",
                              L"c:\\$recycle.bin\\s",
                              L"mscreate.dir",
                              L"f.bak",
                              L"log.txt",
                              L"mylog.txt",
                              L"e.ab$",
                              L"e.a~",
                              L"tmp",
                              L"a.temp",
                              L"~",
                              L"~a",
                              L"x~.y",
                              L"e.abc$",
                              L"abc.x",
                              L"a.x",
                              L"ab"};
    for (const CString& pattern : patterns) {
        const CJunkPattern compiled(pattern);
        CString lowerPattern(pattern);
        lowerPattern.MakeLower();
        for (const wchar_t* text : texts) {
            CString lowerText(text);
            lowerText.MakeLower();
            EXPECT_EQ(compiled.Matches(lowerText), PathMatchSpecW(lowerText, lowerPattern) != FALSE)
                << "pattern " << std::wstring(pattern.GetString()).size() << " chars: "
                << std::string(pattern.GetString(), pattern.GetString() + pattern.GetLength())
                << " text: " << std::string(text, text + wcslen(text));
        }
    }
}

} // namespace

namespace {

// Folder by folder, the patterns decide every entry as the whole list matched one by one does,
// also where a pattern's text begins in the folder's path and ends in the name.
TEST(JunkPatternTest, AFoldersPatternsMatchItsEntriesAsTheWholeListDoes) {
    std::vector<CJunkPattern> patterns;
    for (const wchar_t* pattern : kBuiltInIgnorePatterns)
        patterns.emplace_back(pattern);
    const std::vector<const wchar_t*> extra = {
        L"c:\\users\\a\\favorites*", L"c:\\x*", L"*.bak", L"thumbs.db", L"*\\x?y\\*", L"*tine\\n*",
        L"c:\\users\\a\\fav*"};
    const std::vector<const wchar_t*> folders = {L"c:\\",
                                                 L"c:\\x\\",
                                                 L"c:\\users\\a\\",
                                                 L"c:\\users\\a\\favorites\\",
                                                 L"c:\\a\\quaran",
                                                 L"c:\\a\\quarantine\\",
                                                 L"d:\\symantec av\\",
                                                 L"c:\\windows\\system32\\",
                                                 L"c:\\a\\xay\\"};
    const std::vector<const wchar_t*> names = {L"f.bak",     L"thumbs.db",     L"symantec.log",
                                               L"tine\\new", L"favorites",     L"ntuser.dat.log",
                                               L"x",         L"recycle.bin",   L"$recycle.bin",
                                               L"config",    L"quarantine\\f", L""};
    for (size_t only = 0; only <= extra.size(); ++only) {
        // The built-in list alone, then with each further pattern in turn.
        std::vector<CJunkPattern> list = patterns;
        if (only < extra.size())
            list.emplace_back(extra[only]);
        for (const wchar_t* folder : folders) {
            const CJunkFolderPatterns folderPatterns(list, folder);
            for (const wchar_t* name : names) {
                const CString path = CString(folder) + name;
                bool anyMatches = false;
                for (const CJunkPattern& pattern : list)
                    anyMatches = anyMatches || pattern.Matches(path);
                EXPECT_EQ(folderPatterns.Matches(path), anyMatches)
                    << std::string(path.GetString(), path.GetString() + path.GetLength());
            }
        }
    }
}

} // namespace
