#include "AccessRightsHelper.h"

#include "GlobalFileInfoArray.h"

#include <owners/WinOwners.h>

#include <aclapi.h>
#include <sddl.h>

#include <new>

extern CAccessRightsHelper g_accessRightsHelper;

namespace {

constexpr GENERIC_MAPPING kFileMapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE,
                                          FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
constexpr GENERIC_MAPPING kKeyMapping = {KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};

constexpr ACCESS_MASK kFileWriteBits =
    FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES;
constexpr ACCESS_MASK kFileReadBits = FILE_READ_DATA | FILE_READ_EA | FILE_READ_ATTRIBUTES;
constexpr ACCESS_MASK kKeyDeleteChildren = 0x40;
constexpr ACCESS_MASK kKeyWriteGrant = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK;

// The flags that do not depend on the object type.
int CommonFlags(bool write, bool read, ACCESS_MASK mask, bool explicitMatch) {
    int flags = 0;
    if (write)
        flags |= kAccessWrite;
    if (read)
        flags |= kAccessRead;
    if (write && read)
        flags |= kAccessReadWrite;
    if (mask & DELETE)
        flags |= kAccessDelete;
    if (mask & WRITE_DAC)
        flags |= kAccessChangePermissions;
    if (mask & WRITE_OWNER)
        flags |= kAccessTakeOwnership;
    if (explicitMatch)
        flags |= kAccessInheritableGroupEntry;
    if (!write && !(mask & DELETE))
        flags |= kAccessNoWriteNoDelete;
    if (!read)
        flags |= kAccessNotReadable;
    return flags;
}

int FlagsFromFileMask(ACCESS_MASK mask, bool explicitMatch) {
    mask &= 0xFFFFFF;
    int flags = CommonFlags((mask & kFileWriteBits) == kFileWriteBits,
                            (mask & kFileReadBits) == kFileReadBits, mask, explicitMatch);
    if (mask & FILE_DELETE_CHILD)
        flags |= kAccessDeleteChildren;
    if (mask & FILE_EXECUTE)
        flags |= kAccessExecute;
    return flags;
}

int FlagsFromKeyMask(ACCESS_MASK mask, bool explicitMatch) {
    int flags = CommonFlags((mask & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0,
                            (mask & KEY_READ) != 0, mask, explicitMatch);
    if (mask & kKeyDeleteChildren)
        flags |= kAccessDeleteChildren;
    return flags;
}

// What a granted flag asks for on one type of object.
struct GrantBits {
    ACCESS_MASK write;
    ACCESS_MASK read;
    ACCESS_MASK deleteChildren;
    ACCESS_MASK execute;
};
constexpr GrantBits kFileGrant = {GENERIC_WRITE, GENERIC_READ, FILE_DELETE_CHILD, GENERIC_EXECUTE};
constexpr GrantBits kKeyGrant = {kKeyWriteGrant, KEY_READ, kKeyDeleteChildren, 0};

ACCESS_MASK MaskFromFlags(int flags, const GrantBits& bits) {
    ACCESS_MASK mask = 0;
    if (flags & kAccessDelete)
        mask |= DELETE;
    if (flags & kAccessChangePermissions)
        mask |= WRITE_DAC;
    if (flags & kAccessTakeOwnership)
        mask |= WRITE_OWNER;
    if (flags & (kAccessWrite | kAccessReadWrite))
        mask |= bits.write;
    if (flags & (kAccessRead | kAccessReadWrite))
        mask |= bits.read;
    if (flags & kAccessDeleteChildren)
        mask |= bits.deleteChildren;
    if (flags & kAccessExecute)
        mask |= bits.execute;
    return mask;
}

const wchar_t* RootKeyName(HKEY root) {
    if (root == HKEY_CLASSES_ROOT)
        return L"CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER)
        return L"CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return L"MACHINE";
    if (root == HKEY_USERS)
        return L"USERS";
    return L"";
}

// 0 missing, 1 folder, 2 anything else.
int PathKind(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 2;
}

// Reads a token's information block into the process heap; null on failure.
template <typename Info> HeapMemory<Info*> ReadTokenInformation(TOKEN_INFORMATION_CLASS kind) {
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()))
        return {};
    DWORD bytes = 0;
    GetTokenInformation(token.Get(), kind, nullptr, 0, &bytes);
    if (bytes == 0)
        return {};
    HeapMemory<Info*> info(
        static_cast<Info*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes)));
    if (info && !GetTokenInformation(token.Get(), kind, info.Get(), bytes, &bytes))
        info.Reset();
    return info;
}

bool IsEveryone(PSID sid) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    AllocatedSid everyone;
    return AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0,
                                    everyone.Put()) &&
           EqualSid(sid, everyone.Get());
}

// The access-list part of the key's security descriptor; empty, with the step that failed in
// `failure`, when it cannot be read.
LocalMemory<PSECURITY_DESCRIPTOR> ReadKeySecurity(HKEY key, const wchar_t*& failure) {
    DWORD bytes = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &bytes);
    if (bytes == 0) {
        failure = L"RegGetKeySecurity failed";
        return {};
    }
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor(LocalAlloc(LMEM_ZEROINIT, bytes));
    if (!descriptor) {
        failure = L"LocalAlloc failed";
        return {};
    }
    if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.Get(), &bytes) !=
        ERROR_SUCCESS) {
        failure = L"RegGetKeySecurity failed";
        return {};
    }
    return descriptor;
}

// A copy of `oldDacl` (null: an empty list) with the SID's entry set to `mask`, the other
// entries kept.
DWORD MergeEntry(PACL oldDacl, PSID sid, ACCESS_MASK mask, bool inherit,
                 LocalMemory<PACL>& newDacl) {
    EXPLICIT_ACCESS_W access{};
    access.grfAccessPermissions = mask;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = inherit ? (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) : 0;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
    access.Trustee.ptstrName = static_cast<LPWSTR>(sid);
    return SetEntriesInAclW(1, &access, oldDacl, newDacl.Put());
}

// Runs one helper operation under its lock; an exception inside gives 0.
template <typename Operation> int Guarded(Operation operation) {
    try {
        return operation(AccessRightsHelper());
    } catch (CException* error) {
        error->Delete();
    } catch (...) {
    }
    return 0;
}

} // namespace

CAccessRightsHelper& AccessRightsHelper() {
    return g_accessRightsHelper;
}

CAccessRightsHelper::CAccessRightsHelper() : groups_(CurrentUserGroups()) {}

CAccessRightsHelper::TokenUserBlock CAccessRightsHelper::CurrentUserSid() {
    HeapMemory<TOKEN_USER*> user = ReadTokenInformation<TOKEN_USER>(TokenUser);
    if (user && !IsValidSid(user.Get()->User.Sid))
        return {};
    return user;
}

CAccessRightsHelper::TokenGroupsBlock CAccessRightsHelper::CurrentUserGroups() {
    return ReadTokenInformation<TOKEN_GROUPS>(TokenGroups);
}

bool CAccessRightsHelper::IsSidInUserGroups(PSID sid) const {
    if (!groups_)
        return false;
    for (DWORD i = 0; i < groups_.Get()->GroupCount; ++i)
        if (EqualSid(sid, groups_.Get()->Groups[i].Sid))
            return true;
    return false;
}

void CAccessRightsHelper::FormatErrorText(DWORD code) {
    LocalMemory<wchar_t*> text;
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                           FORMAT_MESSAGE_ALLOCATE_BUFFER,
                       nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<wchar_t*>(text.Put()), 0, nullptr) &&
        text) {
        messages_.Add(text.Get());
    } else {
        CString fallback;
        fallback.Format(L"Error %lu.", code);
        messages_.Add(fallback);
    }
}

CAccessRightsHelper::SidBlock CAccessRightsHelper::LookupAccountSid(const wchar_t* account) {
    if (!account || !*account) {
        messages_.Add(L"Empty user name specified.");
        return {};
    }
    DWORD sidBytes = 0, domainChars = 0;
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, account, nullptr, &sidBytes, nullptr, &domainChars, &use) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        FormatErrorText(GetLastError());
        return {};
    }
    HeapMemory<PSID> sid(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sidBytes));
    if (!sid) {
        messages_.Add(L"Failed to allocate memory for SID buffer.");
        return {};
    }
    const HeapMemory<wchar_t*> domain(static_cast<wchar_t*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (domainChars + 1) * sizeof(wchar_t))));
    if (!domain) {
        messages_.Add(L"Failed to allocate memory for domain name buffer.");
        return {};
    }
    if (!LookupAccountNameW(nullptr, account, sid.Get(), &sidBytes, domain.Get(), &domainChars,
                            &use)) {
        FormatErrorText(GetLastError());
        return {};
    }
    return sid;
}

bool CAccessRightsHelper::GetFileDacl(const wchar_t* path, PSECURITY_DESCRIPTOR& descriptor,
                                      PACL& dacl) {
    descriptor = nullptr;
    dacl = nullptr;
    if (!path || !*path) {
        messages_.Add(L"Empty file name specified.");
        return false;
    }
    const KernelHandle file(CreateFileW(path, READ_CONTROL, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
    if (!file) {
        FormatErrorText(GetLastError());
        return false;
    }
    const DWORD result = GetSecurityInfo(file.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                         nullptr, nullptr, &dacl, nullptr, &descriptor);
    if (result != ERROR_SUCCESS) {
        FormatErrorText(result);
        descriptor = nullptr;
        dacl = nullptr;
        return false;
    }
    return true;
}

// The rights the access list gives the SID: its entries in order, a denied right never granted
// later. The current user's entries count with every group of the process token; another
// account's with its own SID and Everyone. Entries that only pass to children are skipped.
ACCESS_MASK CAccessRightsHelper::GetEffectiveRights(PSID sid, const ACL* dacl,
                                                    const GENERIC_MAPPING& mapping,
                                                    bool& explicitMatch) {
    explicitMatch = false;
    if (!sid) {
        messages_.Add(L"Null User SID specified.");
        return 0;
    }
    if (!dacl) {
        messages_.Add(L"Null ACL specified.");
        return 0;
    }
    const HeapMemory<TOKEN_USER*> user = CurrentUserSid();
    const bool currentUser = user && EqualSid(sid, user.Get()->User.Sid);

    ACCESS_MASK granted = 0, denied = 0;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(const_cast<ACL*>(dacl), i, &entry))
            break;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE)
            continue;
        // Allowed and denied entries share one layout: header, mask, SID.
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        PSID aceSid = const_cast<DWORD*>(&ace->SidStart);

        const bool inheritable = (header->AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE));
        if (!explicitMatch && !(header->AceFlags & INHERITED_ACE) && inheritable &&
            IsSidInUserGroups(aceSid))
            explicitMatch = true;
        if (header->AceFlags & INHERIT_ONLY_ACE)
            continue;

        bool applies = EqualSid(aceSid, sid) || (!currentUser && IsEveryone(aceSid));
        if (!applies && currentUser && groups_) {
            const bool deny = header->AceType == ACCESS_DENIED_ACE_TYPE;
            for (DWORD g = 0; g < groups_.Get()->GroupCount && !applies; ++g) {
                const DWORD attributes = groups_.Get()->Groups[g].Attributes;
                const bool counts = (attributes & SE_GROUP_ENABLED) ||
                                    (deny && (attributes & SE_GROUP_USE_FOR_DENY_ONLY));
                applies = counts && EqualSid(aceSid, groups_.Get()->Groups[g].Sid);
            }
        }
        if (!applies)
            continue;
        ACCESS_MASK mask = ace->Mask;
        MapGenericMask(&mask, const_cast<GENERIC_MAPPING*>(&mapping));
        if (header->AceType == ACCESS_DENIED_ACE_TYPE)
            denied |= mask & ~granted;
        else
            granted |= mask & ~denied;
    }
    return granted;
}

void CAccessRightsHelper::GetFileRights(const wchar_t* path, ACCESS_MASK& mask,
                                        bool& explicitMatch) {
    mask = 0;
    explicitMatch = false;
    if (!path || !*path) {
        messages_.Add(L"No file name specified.");
        return;
    }
    const HeapMemory<TOKEN_USER*> user = CurrentUserSid();
    if (!user) {
        messages_.Add(L"Failed to get user SID.");
        messages_.Add(L"Failed to get user's SID.");
        return;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    if (!GetFileDacl(path, descriptor, dacl)) {
        messages_.Add(L"Failed to get file's DACL and SD.");
        return;
    }
    const LocalMemory<PSECURITY_DESCRIPTOR> descriptorBlock(descriptor);
    // A null list lets everyone do everything; that is answered as "rights unknown" (0).
    if (dacl)
        mask = GetEffectiveRights(user.Get()->User.Sid, dacl, kFileMapping, explicitMatch);
}

int CAccessRightsHelper::FileAccessFlags(const wchar_t* path) {
    CCritSecGuard guard(lock_);
    ACCESS_MASK mask = 0;
    bool explicitMatch = false;
    GetFileRights(path, mask, explicitMatch);

    if (explicitMatch && PathKind(path) == 1) {
        CString folder(path);
        if (folder.IsEmpty() || folder[folder.GetLength() - 1] != L'\\')
            folder += L'\\';
        CGlobalFileInfoArray items;
        items.EnumFolder(FolderWalkRequest{folder, L"*.*", TRUE, 0, TRUE, nullptr, nullptr});
        // One item the user may not read the attributes of keeps the folder from being deleted.
        for (INT_PTR i = 0; i < items.GetSize(); ++i) {
            ACCESS_MASK itemMask = 0;
            bool itemMatch = false;
            GetFileRights(items[i].path, itemMask, itemMatch);
            if (!(itemMask & FILE_READ_EA)) {
                mask &= ~(DELETE | FILE_DELETE_CHILD);
                break;
            }
        }
    }
    return mask == 0 ? 0 : FlagsFromFileMask(mask, explicitMatch);
}

int CAccessRightsHelper::GrantFileAccess(const wchar_t* path, int flags, bool inherit) {
    CCritSecGuard guard(lock_);
    const ACCESS_MASK mask = MaskFromFlags(flags, kFileGrant);
    const HeapMemory<TOKEN_USER*> user = CurrentUserSid();
    if (!user)
        return 0;
    messages_.RemoveAll();

    PACL oldDacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &oldDacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return 0;
    const LocalMemory<PSECURITY_DESCRIPTOR> descriptorBlock(descriptor);

    LocalMemory<PACL> newDacl;
    if (MergeEntry(oldDacl, user.Get()->User.Sid, mask, inherit, newDacl) != ERROR_SUCCESS)
        return 0;
    return SetNamedSecurityInfoW(const_cast<LPWSTR>(path), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION, nullptr, nullptr, newDacl.Get(),
                                 nullptr) == ERROR_SUCCESS
               ? 1
               : 0;
}

int CAccessRightsHelper::RegistryKeyRights(HKEY root, const wchar_t* subkey,
                                           const wchar_t* account) {
    CCritSecGuard guard(lock_);
    const CString name = (account && *account) ? CString(account) : defaultAccountName_;
    messages_.RemoveAll();
    RegistryKey key;
    if (RegOpenKeyExW(root, subkey, 0, READ_CONTROL, key.Put()) != ERROR_SUCCESS)
        return 0;
    const wchar_t* failure = nullptr;
    const LocalMemory<PSECURITY_DESCRIPTOR> descriptor = ReadKeySecurity(key.Get(), failure);
    if (!descriptor) {
        messages_.Add(failure);
        return 0;
    }
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted) || !present ||
        !dacl)
        return 0;
    const HeapMemory<PSID> sid = LookupAccountSid(name);
    if (!sid)
        return 0;
    bool explicitMatch = false;
    const ACCESS_MASK mask = GetEffectiveRights(sid.Get(), dacl, kKeyMapping, explicitMatch);
    return mask == 0 ? 0 : FlagsFromKeyMask(mask, explicitMatch);
}

// Merges one entry for the account into the key's access list; the other entries stay.
int CAccessRightsHelper::GrantRegistryKeyAccess(HKEY root, const wchar_t* subkey, int flags,
                                                bool inherit, const wchar_t* account) {
    CCritSecGuard guard(lock_);
    const ACCESS_MASK mask = MaskFromFlags(flags, kKeyGrant);
    const CString name = (account && *account) ? CString(account) : defaultAccountName_;
    messages_.RemoveAll();
    RegistryKey key;
    if (RegOpenKeyExW(root, subkey, 0, WRITE_DAC | READ_CONTROL, key.Put()) != ERROR_SUCCESS)
        return 0;
    const HeapMemory<PSID> sid = LookupAccountSid(name);
    if (!sid)
        return 0;

    const wchar_t* failure = nullptr;
    const LocalMemory<PSECURITY_DESCRIPTOR> oldDescriptor = ReadKeySecurity(key.Get(), failure);
    PACL oldDacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    if (!oldDescriptor ||
        !GetSecurityDescriptorDacl(oldDescriptor.Get(), &present, &oldDacl, &defaulted)) {
        messages_.Add(L"RegGetKeySecurity failed");
        return 0;
    }

    LocalMemory<PACL> newDacl;
    if (MergeEntry(present ? oldDacl : nullptr, sid.Get(), mask, inherit, newDacl) !=
        ERROR_SUCCESS) {
        messages_.Add(L"Could not set permissions");
        return 0;
    }
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, newDacl.Get(), FALSE) ||
        RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &descriptor) != ERROR_SUCCESS) {
        messages_.Add(L"Could not set permissions");
        return 0;
    }
    CString keyName;
    keyName.Format(L"%s\\%s", RootKeyName(root), subkey);
    if (SetNamedSecurityInfoW(keyName.GetBuffer(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, newDacl.Get(), nullptr) != ERROR_SUCCESS) {
        keyName.ReleaseBuffer();
        messages_.Add(L"Error setting named security info.");
        return 0;
    }
    keyName.ReleaseBuffer();
    return 1;
}

int CAccessRightsHelper::ProcessElevation() {
    CCritSecGuard guard(lock_);
    messages_.RemoveAll();
    return -1;
}

int IsNtfsVolume(const wchar_t* root) {
    wchar_t fileSystem[12] = {};
    return GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 12) &&
                   wcscmp(fileSystem, L"NTFS") == 0
               ? 1
               : 0;
}

int GetFileAccessFlags(const wchar_t* path, const wchar_t*, const wchar_t*) {
    return Guarded([&](CAccessRightsHelper& helper) { return helper.FileAccessFlags(path); });
}

int GrantFileAccess(const wchar_t* path, int flags, int inherit, const wchar_t*) {
    return Guarded([&](CAccessRightsHelper& helper) {
        return helper.GrantFileAccess(path, flags, inherit != 0);
    });
}

int GetRegistryKeyRights(HKEY root, const wchar_t* subkey, const wchar_t* account) {
    return Guarded([&](CAccessRightsHelper& helper) {
        return helper.RegistryKeyRights(root, subkey, account);
    });
}

int GrantRegistryKeyAccess(HKEY root, const wchar_t* subkey, int flags, int inherit,
                           const wchar_t* account) {
    return Guarded([&](CAccessRightsHelper& helper) {
        return helper.GrantRegistryKeyAccess(root, subkey, flags, inherit != 0, account);
    });
}

bool CheckFileAccess(const wchar_t* path) {
    return Guarded([&](CAccessRightsHelper& helper) -> int {
               const int flags = helper.FileAccessFlags(path);
               if (flags != 0)
                   return (flags & kAccessDelete) != 0;
               const DWORD attributes = GetFileAttributesW(path);
               return attributes != INVALID_FILE_ATTRIBUTES && SetFileAttributesW(path, attributes);
           }) != 0;
}

int CanWriteFile(const wchar_t* path) {
    return GetFileAccessFlags(path, L"", L"") & kAccessWrite;
}

int IsProcessElevated() {
    return Guarded([](CAccessRightsHelper& helper) { return helper.ProcessElevation(); });
}
