// The duplicate finder's settings in the registry: defaults stored by the first reader, the
// file-type list, the ignore list, the removal choice and the backup archive's name.
#include "DupesTestSupport.h"

#include "DupeFinderOptions.h"

#include <AppLocations.h>
#include <AppState.h>
#include <ProductIdentity.h>
#include <Registry.h>
#include <owners/WinOwners.h>

namespace {

// An application title of its own, so the settings live in a key only this test uses.
class DupeSettings : public ::testing::Test {
protected:
    void SetUp() override {
        g_strAppTitle = (L"XarnDupesTest" + std::to_wstring(GetCurrentProcessId())).c_str();
        appKey = GetAppRegistryKey().GetString();
        RegDeleteTreeW(HKEY_CURRENT_USER, appKey.c_str());
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, appKey.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
        g_strAppTitle.Empty();
    }
    bool ReadStored(const wchar_t* subkey, const wchar_t* name, DWORD& value) const {
        DWORD size = sizeof value;
        return RegGetValueW(HKEY_CURRENT_USER, (appKey + L"\\" + subkey).c_str(), name,
                            RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
    }
    void Store(const wchar_t* subkey, const wchar_t* name, DWORD value) const {
        RegSetKeyValueW(HKEY_CURRENT_USER, (appKey + L"\\" + subkey).c_str(), name, REG_DWORD,
                        &value, sizeof value);
    }
    std::wstring appKey;
};

TEST_F(DupeSettings, FreshProfileStoresTheEngineDefaults) {
    DupeMatchOptions options;
    options.creationTime = true; // only a loaded file sets it; the store leaves it alone
    ReadAllFindOptions(options);
    EXPECT_TRUE(options.name);
    EXPECT_TRUE(options.size);
    EXPECT_FALSE(options.lastWriteTime);
    EXPECT_FALSE(options.content);
    EXPECT_TRUE(options.sizeLimit);
    EXPECT_TRUE(options.creationTime);
    const std::pair<const wchar_t*, DWORD> stored[] = {{L"FILENAME", 1},
                                                       {L"FILESIZE", 1},
                                                       {L"FILETIME", 0},
                                                       {L"FILECRC", 0},
                                                       {L"CRCSIZELIMIT", 1}};
    for (const auto& [name, expected] : stored) {
        DWORD value = 99;
        ASSERT_TRUE(ReadStored(L"FindOptions", name, value)) << name;
        EXPECT_EQ(value, expected) << name;
    }
    // A stored value wins over the default asked for.
    ASSERT_TRUE(WriteFindOption(L"FILECRC", 1));
    EXPECT_EQ(ReadFindOption(L"FILECRC", 0), 1u);
    EXPECT_EQ(ReadFindOption(L"FILETIME", 1), 0u);
}

TEST_F(DupeSettings, FileTypeList) {
    EXPECT_TRUE(BuildFileTypeList().empty()); // all files by default
    Store(L"FilesToSearch", L"SEARCH_ALL_FILES", 0);
    EXPECT_EQ(BuildFileTypeList(), (std::vector<int>{0, 1, 2, 3, 4}));
    for (const wchar_t* group :
         {L"SEARCH_MUSIC_FILES", L"SEARCH_VIDEO_FILES", L"SEARCH_IMAGE_FILES",
          L"SEARCH_OFFICE_DOCUMENTS", L"SEARCH_COMPRESSED_FILES"})
        Store(L"FilesToSearch", group, 0);
    EXPECT_TRUE(BuildFileTypeList().empty());
    ASSERT_TRUE(WriteFileTypeSetting(L"SEARCH_IMAGE_FILES", 1));
    ASSERT_TRUE(WriteFileTypeSetting(L"SEARCH_MUSIC_FILES", 1));
    EXPECT_EQ(BuildFileTypeList(), (std::vector<int>{0, 2}));
    ASSERT_TRUE(WriteFileTypeSetting(L"SEARCH_ALL_FILES", 1));
    EXPECT_TRUE(BuildFileTypeList().empty());
}

TEST_F(DupeSettings, IgnoreListFromTheKeyOrBuiltIn) {
    CStringArray list;
    ReadIgnoreListForScan(list);
    ASSERT_EQ(list.GetSize(), 35);
    EXPECT_EQ(list[0], CString(L"\\.svn\\"));
    EXPECT_EQ(list[5], CString(L"\\program files (x86)\\Common files\\"));
    EXPECT_EQ(list[27], CString(L"winnt\\inf"));
    EXPECT_EQ(list[34], CString(L"\\msocache\\"));
    Store(L"IgnoreListDupp", L"d:\\temp\\", 1);
    Store(L"IgnoreListDupp", L"\\cache\\", 0); // unticked rows are ignored too
    ReadIgnoreListForScan(list);
    ASSERT_EQ(list.GetSize(), 2);

    // A key the user emptied stays empty: the scan leaves nothing out.
    const std::wstring key = appKey + L"\\IgnoreListDupp";
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"d:\\temp\\"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"\\cache\\"), ERROR_SUCCESS);
    ReadIgnoreListForScan(list);
    EXPECT_EQ(list.GetSize(), 0);
    RegistryKey emptyKey;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, emptyKey.Put()),
              ERROR_SUCCESS);
    list.Add(L"left over");
    EXPECT_TRUE(ReadIgnoreListNames(emptyKey.Get(), list));
    EXPECT_EQ(list.GetSize(), 0);
    // A handle that cannot be read is no list: the scan takes the built-in folders then.
    EXPECT_FALSE(ReadIgnoreListNames(nullptr, list));
    // The key gone: the built-in list again.
    emptyKey.Reset();
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str()), ERROR_SUCCESS);
    ReadIgnoreListForScan(list);
    EXPECT_EQ(list.GetSize(), 35);
}

TEST_F(DupeSettings, RemovalChoiceAndBackupFolder) {
    EXPECT_EQ(ReadRemovalOption(), static_cast<DWORD>(kRemoveToRecycleBin));
    DWORD stored = 0;
    EXPECT_TRUE(ReadStored(L"RemovalOptions", L"REMOVAL_OPTIONS", stored));
    EXPECT_TRUE(ReadBackupFolder().IsEmpty());
    ASSERT_TRUE(WriteBackupFolder(L"D:\\Backups"));
    ASSERT_TRUE(WriteRemovalOption(kRemoveWithZipBackup));
    EXPECT_EQ(ReadBackupFolder(), CString(L"D:\\Backups"));
    EXPECT_EQ(ReadRemovalOption(), static_cast<DWORD>(kRemoveWithZipBackup));
}

TEST(DupeBackupName, CompanyWordAndTwelveHourTime) {
    const SYSTEMTIME afternoon = {2026, 12, 2, 8, 15, 5, 7, 0};
    EXPECT_EQ(MakeBackupArchiveName(afternoon),
              GetCompanyKeyName() + L" Pairlint- 2026120803_0507PM.zip");
    EXPECT_EQ(GetCompanyKeyName(), CString(L"Halvenor"));
    const SYSTEMTIME midnight = {2027, 1, 5, 1, 0, 0, 59, 0};
    EXPECT_EQ(MakeBackupArchiveName(midnight),
              CString(L"Halvenor Pairlint- 2027010112_0059AM.zip"));
}

} // namespace
