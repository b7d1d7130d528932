// Effective rights of the current user on a file, a folder and a registry key, computed from
// their access lists, and granting rights without losing the other entries.
#include "AccessRightsHelper.h"
#include "TestSupport.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::wstring CurrentUserName() {
    wchar_t name[256];
    DWORD chars = 256;
    GetUserNameW(name, &chars);
    return name;
}

// Replaces the object's access list by the one in `sddl` (protected from inheritance).
void SetFileAcl(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, dacl, nullptr));
    LocalFree(descriptor);
}

void SetKeyAcl(const wchar_t* path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, WRITE_DAC, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor));
    RegCloseKey(key);
    LocalFree(descriptor);
}

void CreateKey(const wchar_t* path) {
    HKEY created;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &created, nullptr));
    RegCloseKey(created);
}

int KeyAceCount(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, READ_CONTROL, &key) != ERROR_SUCCESS)
        return -1;
    DWORD bytes = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &bytes);
    std::vector<BYTE> buffer(bytes);
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, buffer.data(), &bytes);
    RegCloseKey(key);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(buffer.data(), &present, &dacl, &defaulted);
    return present && dacl ? dacl->AceCount : 0;
}

} // namespace

TEST(AccessRights, FullControlOnAFileGivesEveryFlag) {
    TempFolder folder;
    const std::wstring path = folder / L"mine.txt";
    WriteBytes(path, "x");
    SetFileAcl(path, L"D:P(A;;FA;;;WD)");
    const int flags = GetFileAccessFlags(path.c_str(), L"", L"");
    EXPECT_EQ(kAccessWrite | kAccessRead | kAccessReadWrite | kAccessDelete |
                  kAccessDeleteChildren | kAccessExecute | kAccessChangePermissions |
                  kAccessTakeOwnership,
              flags);
    EXPECT_TRUE(CheckFileAccess(path.c_str()));
    EXPECT_EQ(kAccessWrite, CanWriteFile(path.c_str()));
}

// Key access lists are kept as set, so the walk of the list is checked on keys.
TEST(AccessRights, EntriesInOrderDecideTheKeyRights) {
    TestRegistryKey key;
    ASSERT_NO_FATAL_FAILURE(CreateKey(key.Path()));
    const std::wstring user = CurrentUserName();
    auto rightsWith = [&](const wchar_t* sddl) {
        SetKeyAcl(key.Path(), sddl);
        return GetRegistryKeyRights(HKEY_CURRENT_USER, key.Path(), user.c_str());
    };
    EXPECT_EQ(kAccessRead | kAccessNoWriteNoDelete, rightsWith(L"D:P(A;;KR;;;WD)"));
    // Full control of a key has no bit 0x40, so no delete-children flag.
    EXPECT_EQ(kAccessWrite | kAccessRead | kAccessReadWrite | kAccessDelete |
                  kAccessChangePermissions | kAccessTakeOwnership,
              rightsWith(L"D:P(A;;KA;;;WD)"));
    // A denied entry before the grant takes delete away; one after it changes nothing.
    EXPECT_EQ(0, rightsWith(L"D:P(D;;SD;;;WD)(A;;KA;;;WD)") & kAccessDelete);
    EXPECT_NE(0, rightsWith(L"D:P(A;;KA;;;WD)(D;;SD;;;WD)") & kAccessDelete);
    // Entries that only pass to subkeys do not count for the key itself.
    EXPECT_EQ(0, rightsWith(L"D:P(A;OICIIO;KA;;;WD)"));
    // An inheritable entry of one of the user's groups is reported.
    EXPECT_NE(0, rightsWith(L"D:P(A;CI;KA;;;WD)") & kAccessInheritableGroupEntry);
    SetKeyAcl(key.Path(), L"D:P(A;;KA;;;WD)");
}

TEST(AccessRights, GrantingAFileMergesTheEntry) {
    TempFolder folder;
    const std::wstring path = folder / L"grant.txt";
    WriteBytes(path, "x");
    SetFileAcl(path, L"D:P(A;;FR;;;WD)(A;;FA;;;SY)");
    EXPECT_EQ(1, GrantFileAccess(path.c_str(), kAccessWrite | kAccessRead | kAccessDelete, 0, L""));
    const int flags = GetFileAccessFlags(path.c_str(), L"", L"");
    EXPECT_NE(0, flags & kAccessWrite);
    EXPECT_NE(0, flags & kAccessDelete);
}

TEST(AccessRights, RegistryKeyRightsAndMergedGrant) {
    TestRegistryKey key;
    ASSERT_NO_FATAL_FAILURE(CreateKey(key.Path()));
    const std::wstring user = CurrentUserName();

    EXPECT_EQ(0, GetRegistryKeyRights(HKEY_CURRENT_USER, key.Path(), L""));
    const CStringArray& messages = AccessRightsHelper().Messages();
    ASSERT_GE(messages.GetSize(), 1);
    EXPECT_EQ(CString(L"Empty user name specified."), messages[messages.GetSize() - 1]);

    const int before = KeyAceCount(key.Path());
    ASSERT_EQ(1,
              GrantRegistryKeyAccess(HKEY_CURRENT_USER, key.Path(),
                                     kAccessRead | kAccessWrite | kAccessDelete, 1, user.c_str()));
    const int flags = GetRegistryKeyRights(HKEY_CURRENT_USER, key.Path(), user.c_str());
    EXPECT_NE(0, flags & kAccessRead);
    EXPECT_NE(0, flags & kAccessWrite);
    EXPECT_NE(0, flags & kAccessDelete);
    // The key's other entries are kept beside the user's.
    EXPECT_GE(KeyAceCount(key.Path()), before > 0 ? before : 1);
}

TEST(AccessRights, ConcurrentCallsFromWorkerThreads) {
    TempFolder folder;
    const std::wstring path = folder / L"shared.txt";
    WriteBytes(path, "x");
    SetFileAcl(path, L"D:P(A;;FA;;;WD)");
    std::vector<std::thread> workers;
    volatile LONG wrong = 0;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                if (!CheckFileAccess(path.c_str()))
                    InterlockedIncrement(&wrong);
                GetRegistryKeyRights(HKEY_CURRENT_USER, L"Software", L"");
            }
        });
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(0, wrong);
}

TEST(AccessRights, VolumeAndElevation) {
    EXPECT_EQ(0, IsNtfsVolume(L"Q:\\"));
    EXPECT_EQ(-1, IsProcessElevated());
}
