#include "RestorePoint.h"

#include "IniReader.h"
#include "OsVersionInfo.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "Registry.h"
#include "SystemInfo.h"

#include <classlib/Validation.h>
#include <owners/WinOwners.h>

#include <srrestoreptapi.h>

#include <cwchar>

namespace {

constexpr const wchar_t* kValueName = L"LastRestorePointTime";
constexpr int kHoursBetweenPoints = 25;

using SetRestorePointFn = BOOL(WINAPI*)(PRESTOREPOINTINFOW, PSTATEMGRSTATUS);
using RemoveRestorePointFn = DWORD(WINAPI*)(DWORD);

static_assert(sizeof(RESTOREPOINTINFOW) == 528 && sizeof(STATEMGRSTATUS) == 12);
static_assert(sizeof(SYSTEMTIME) == 16);

CString RecordKey() {
    CString key(GetProductRegistryKey());
    AppendPath(key, L"SYSRES");
    return key;
}

LONGLONG WholeSeconds(const SYSTEMTIME& time) {
    FILETIME stamp;
    if (!SystemTimeToFileTime(&time, &stamp))
        return 0;
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(stamp.dwHighDateTime) << 32) |
                                 stamp.dwLowDateTime) /
           10000000;
}

// The system's restore points are made on these systems only.
bool SystemHasRestorePoints() {
    const COsVersionInfo os;
    return os.IsWindowsMe() || os.IsWindowsXP() || os.IsWindowsVista() || sizeof(void*) == 8 ||
           IsWow64Cached() || GetOsMajorVersion() > 5;
}

CString StandardDescription() {
    CString text = GetLangString(L"IDS_CREATING_RESTORE_POINT", L"Pelq");
    // The product name takes the text's place holder; the text is never used as a format.
    const int holder = text.Find(L"%s");
    if (holder >= 0)
        text = text.Left(holder) + GetProductName() + text.Mid(holder + 2);
    return text;
}

// Begins and ends one system change; a change that cannot be ended is removed again.
bool SetRestorePoint(SetRestorePointFn setPoint, RemoveRestorePointFn removePoint,
                     const CString& description) {
    RESTOREPOINTINFOW point{};
    point.dwEventType = BEGIN_SYSTEM_CHANGE;
    point.dwRestorePtType = MODIFY_SETTINGS;
    point.llSequenceNumber = 0;
    wcsncpy(point.szDescription, description, MAX_DESC_W - 1);
    STATEMGRSTATUS status{};
    if (!setPoint(&point, &status))
        return false;
    Sleep(512);
    point.dwEventType = END_SYSTEM_CHANGE;
    point.llSequenceNumber = status.llSequenceNumber;
    STATEMGRSTATUS endStatus{};
    if (setPoint(&point, &endStatus)) {
        // The point stands; when its time cannot be recorded the next one is only made sooner.
        static_cast<void>(SaveRestorePointTime());
        return true;
    }
    if (removePoint)
        removePoint(static_cast<DWORD>(status.llSequenceNumber));
    return false;
}

} // namespace

bool CreateRestorePoint(CString description) {
    if (!IsRestorePointDue())
        return true;
    if (!SystemHasRestorePoints())
        return false;
    const LibraryModule client(LoadLibraryW(L"srclient.dll"));
    if (!client)
        return false;
    const auto setPoint = reinterpret_cast<SetRestorePointFn>(
        reinterpret_cast<void*>(GetProcAddress(client.Get(), "SRSetRestorePointW")));
    const auto removePoint = reinterpret_cast<RemoveRestorePointFn>(
        reinterpret_cast<void*>(GetProcAddress(client.Get(), "SRRemoveRestorePoint")));
    if (description.IsEmpty())
        description = StandardDescription();
    bool made = false;
    if (setPoint && AfxIsValidAddress(reinterpret_cast<const void*>(setPoint), 1, FALSE))
        made = SetRestorePoint(setPoint, removePoint, description);
    return made;
}

bool IsRestorePointDue() {
    SYSTEMTIME stored;
    if (!ReadRestorePointTime(stored))
        return true;
    SYSTEMTIME now;
    GetSystemTime(&now);
    const LONGLONG elapsed = WholeSeconds(now) - WholeSeconds(stored);
    // A clock set back before the record; the record's own second is no such case.
    if (elapsed < 0)
        return true;
    return elapsed / 3600 >= kHoursBetweenPoints;
}

bool SaveRestorePointTime() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetAccess(KEY_READ | KEY_WRITE);
    return registry.Open(HKEY_CURRENT_USER, RecordKey(), true) &&
           registry.WriteBinary(kValueName, reinterpret_cast<const BYTE*>(&now), sizeof now);
}

bool ReadRestorePointTime(SYSTEMTIME& time) {
    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetAccess(KEY_READ);
    SYSTEMTIME stored{};
    DWORD size = sizeof stored;
    if (!registry.Open(HKEY_CURRENT_USER, RecordKey(), false) ||
        !registry.ReadBinary(kValueName, reinterpret_cast<BYTE*>(&stored), size) ||
        size != sizeof stored)
        return false;
    time = stored;
    return true;
}
