#include "DupeFinderOptions.h"

#include <AppLocations.h>
#include <Paths.h>
#include <ProductIdentity.h>
#include <Registry.h>

namespace {

constexpr const wchar_t* kBuiltInIgnoreFolders[] = {
    L"\\.svn\\",
    L"\\_svn\\",
    L"\\recycler\\",
    L"\\program files\\common files\\",
    L"\\program files\\uninstall information\\",
    L"\\program files (x86)\\Common files\\",
    L"\\Program Files (x86)\\uninstall information\\",
    L"\\recycle.bin\\",
    L"\\$recycle.bin\\",
    L"\\send to\\",
    L"\\i386\\",
    L"\\temporary internet files\\",
    L"\\application data\\",
    L"\\app data\\",
    L"\\system32\\dllcache",
    L"\\syswow64\\dllcache",
    L"\\sendto\\",
    L"\\system32\\",
    L"\\syswow64\\",
    L"\\quarantine",
    L"\\temporary internet files",
    L"\\assembly",
    L"\\lastgood",
    L"\\microsoft.net",
    L"\\installshield installation information",
    L"\\servicepackfiles",
    L"\\windows",
    L"winnt\\inf",
    L"\\asp.net",
    L".netframework",
    L"\\.net clr",
    L"\\windows\\help",
    L"\\winnt\\help",
    L"\\options\\install",
    L"\\msocache\\",
};

// The read-with-default rule: a missing value is stored as the default; a key that cannot be
// opened or created gives the default and stores nothing.
DWORD ReadWithDefault(LPCWSTR subkey, LPCWSTR name, DWORD defaultValue) {
    CRegistry registry(HKEY_CURRENT_USER);
    if (!registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(subkey), true))
        return defaultValue;
    if (registry.ValueExists(name)) {
        DWORD value = 0;
        return registry.ReadDword(name, value) ? value : defaultValue;
    }
    (void)registry.WriteDwordValue(name, defaultValue);
    return defaultValue;
}

bool WriteDwordAt(LPCWSTR subkey, LPCWSTR name, DWORD value) {
    CRegistry registry(HKEY_CURRENT_USER);
    return registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(subkey), true) &&
           registry.WriteDwordValue(name, value);
}

} // namespace

CString DupeSettingsKeyPath(LPCWSTR subkey) {
    CString path = GetAppRegistryKey();
    AppendPath(path, subkey);
    return path;
}

DWORD ReadFindOption(LPCWSTR name, DWORD defaultValue) {
    return ReadWithDefault(kFindOptionsKey, name, defaultValue);
}

bool WriteFindOption(LPCWSTR name, DWORD value) {
    return WriteDwordAt(kFindOptionsKey, name, value);
}

void ReadAllFindOptions(DupeMatchOptions& options) {
    options.name = ReadFindOption(L"FILENAME", 1) != 0;
    options.size = ReadFindOption(L"FILESIZE", 1) != 0;
    options.lastWriteTime = ReadFindOption(L"FILETIME", 0) != 0;
    options.content = ReadFindOption(L"FILECRC", 0) != 0;
    options.sizeLimit = ReadFindOption(L"CRCSIZELIMIT", 1) != 0;
}

DWORD ReadFileTypeSetting(LPCWSTR name) {
    return ReadWithDefault(kFilesToSearchKey, name, 1);
}

bool WriteFileTypeSetting(LPCWSTR name, DWORD value) {
    return WriteDwordAt(kFilesToSearchKey, name, value);
}

std::vector<int> BuildFileTypeList() {
    std::vector<int> types;
    if (ReadFileTypeSetting(L"SEARCH_ALL_FILES") != 0)
        return types;
    const struct {
        const wchar_t* value;
        int type;
    } groups[] = {{L"SEARCH_MUSIC_FILES", kDupeMusic},
                  {L"SEARCH_VIDEO_FILES", kDupeVideo},
                  {L"SEARCH_IMAGE_FILES", kDupeImage},
                  {L"SEARCH_OFFICE_DOCUMENTS", kDupeDocument},
                  {L"SEARCH_COMPRESSED_FILES", kDupeCompressed}};
    for (const auto& group : groups) {
        if (ReadFileTypeSetting(group.value) != 0)
            types.push_back(group.type);
    }
    return types;
}

void AddBuiltInIgnoreFolders(CStringArray& list) {
    for (const wchar_t* folder : kBuiltInIgnoreFolders)
        list.Add(folder);
}

bool ReadIgnoreListNames(HKEY key, CStringArray& names) {
    names.RemoveAll();
    DWORD values = 0;
    // The name count alone cannot tell an empty key from one that cannot be read.
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return values == 0 || EnumRegValueNames(key, names) > 0;
}

void ReadIgnoreListForScan(CStringArray& list) {
    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetAccess(KEY_READ);
    if (registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kIgnoreListKey), false) &&
        ReadIgnoreListNames(registry.GetKey(), list))
        return;
    list.RemoveAll();
    AddBuiltInIgnoreFolders(list);
}

DWORD ReadRemovalOption() {
    return ReadWithDefault(kRemovalOptionsKey, L"REMOVAL_OPTIONS", kRemoveToRecycleBin);
}

bool WriteRemovalOption(DWORD option) {
    return WriteDwordAt(kRemovalOptionsKey, L"REMOVAL_OPTIONS", option);
}

CString ReadBackupFolder() {
    CRegistry registry(HKEY_CURRENT_USER);
    CString folder;
    if (!registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kRemovalOptionsKey), true) ||
        !registry.ValueExists(L"Location_Name") || !registry.ReadString(L"Location_Name", folder))
        return CString();
    return folder;
}

bool WriteBackupFolder(LPCWSTR folder) {
    CRegistry registry(HKEY_CURRENT_USER);
    return registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kRemovalOptionsKey), true) &&
           registry.WriteString(L"Location_Name", folder);
}

CString MakeBackupArchiveName(const SYSTEMTIME& now) {
    const int hour12 = now.wHour % 12 == 0 ? 12 : now.wHour % 12;
    CString name;
    name.Format(L"%s Pairlint- %04d%02d%02d%02d_%02d%02d%s.zip", GetCompanyKeyName().GetString(),
                now.wYear, now.wMonth, now.wDay, hour12, now.wMinute, now.wSecond,
                now.wHour < 12 ? L"AM" : L"PM");
    return name;
}
