// What the user the process runs as may do with a file, folder or registry key, computed from
// the object's access list, and granting the user rights on them.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/String.h>

#include "CritSecLock.h"

#include <owners/OwnerTraits.h>

// Bits of the rights answers.
enum AccessRightsFlags : int {
    kAccessWrite = 0x1,
    kAccessRead = 0x2,
    kAccessReadWrite = 0x4,
    kAccessDelete = 0x8,
    kAccessDeleteChildren = 0x10,
    kAccessNoWriteNoDelete = 0x20,
    kAccessNotReadable = 0x40,
    kAccessInheritableGroupEntry = 0x80,
    kAccessExecute = 0x400,
    kAccessChangePermissions = 0x800,
    kAccessTakeOwnership = 0x1000,
};

// The one process-wide helper behind the exported functions below. Its calls are serialised:
// the junk cleaner's scan and deletion threads may ask at the same time.
class CAccessRightsHelper {
public:
    CAccessRightsHelper();
    CAccessRightsHelper(const CAccessRightsHelper&) = delete;
    CAccessRightsHelper& operator=(const CAccessRightsHelper&) = delete;

    int FileAccessFlags(const wchar_t* path);
    [[nodiscard]] int GrantFileAccess(const wchar_t* path, int flags, bool inherit);
    int RegistryKeyRights(HKEY root, const wchar_t* subkey, const wchar_t* account);
    [[nodiscard]] int GrantRegistryKeyAccess(HKEY root, const wchar_t* subkey, int flags,
                                             bool inherit, const wchar_t* account);
    int ProcessElevation();

    // Texts of the failures met by the last operations, for diagnosis.
    CStringArray& Messages() { return messages_; }

private:
    using TokenUserBlock = UniqueResource<owner_traits::HeapMemory<TOKEN_USER*>>;
    using TokenGroupsBlock = UniqueResource<owner_traits::HeapMemory<TOKEN_GROUPS*>>;
    using SidBlock = UniqueResource<owner_traits::HeapMemory<PSID>>;

    TokenUserBlock CurrentUserSid();
    TokenGroupsBlock CurrentUserGroups();
    SidBlock LookupAccountSid(const wchar_t* account);
    [[nodiscard]] bool GetFileDacl(const wchar_t* path, PSECURITY_DESCRIPTOR& descriptor,
                                   PACL& dacl);
    ACCESS_MASK GetEffectiveRights(PSID sid, const ACL* dacl, const GENERIC_MAPPING& mapping,
                                   bool& explicitMatch);
    bool IsSidInUserGroups(PSID sid) const;
    void GetFileRights(const wchar_t* path, ACCESS_MASK& mask, bool& explicitMatch);
    void FormatErrorText(DWORD code);

    CString defaultAccountName_;
    CStringArray messages_;
    TokenGroupsBlock groups_;
    CCritSecLock lock_;
};

// The process-wide helper made when the library loads.
CAccessRightsHelper& AccessRightsHelper();

int IsNtfsVolume(const wchar_t* root);
// The two names are accepted and not used: the answer is for the current user.
int GetFileAccessFlags(const wchar_t* path, const wchar_t* account, const wchar_t* domain);
[[nodiscard]] int GrantFileAccess(const wchar_t* path, int flags, int inherit,
                                  const wchar_t* account);
int GetRegistryKeyRights(HKEY root, const wchar_t* subkey, const wchar_t* account);
[[nodiscard]] int GrantRegistryKeyAccess(HKEY root, const wchar_t* subkey, int flags, int inherit,
                                         const wchar_t* account);
// Whether the current user may delete the file.
bool CheckFileAccess(const wchar_t* path);
int CanWriteFile(const wchar_t* path);
int IsProcessElevated();
