#include "IniReader.h"

#include "CritSecLock.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "XarnSysBinding.h"

#include <shlwapi.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CIniReader, CObject)

CMapStringToString IniTextCache;

namespace {

constexpr int kReadChars = 4096;
wchar_t g_readBuffer[kReadChars];

CCritSecLock& CacheLock() {
    static CCritSecLock lock;
    return lock;
}

void ShowFailureBox(const CString& message) {
    MessageBoxW(nullptr, message, GetProductName(), MB_OK);
}

LangTextFailureReporter g_failureReporter = &ShowFailureBox;

// Whether the block lies in committed memory with the wanted access.
bool IsAccessibleBlock(const void* pointer, size_t bytes, bool writable) {
    if (!pointer)
        return false;
    const auto* start = static_cast<const BYTE*>(pointer);
    const BYTE* end = start + bytes;
    for (const BYTE* at = start; at < end;) {
        MEMORY_BASIC_INFORMATION region;
        if (!VirtualQuery(at, &region, sizeof region) || region.State != MEM_COMMIT ||
            (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)))
            return false;
        const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                               PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
        const DWORD writableAccess =
            PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
        if (!(region.Protect & (writable ? writableAccess : readable)))
            return false;
        at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

bool ReadNonEmpty(CIniReader* reader, LPCWSTR key, LPCWSTR section, CString& text) {
    return reader && reader->ReadString(key, section, text);
}

} // namespace

CIniReader::CIniReader(LPCWSTR path) {
    wchar_t copy[MAX_PATH] = {};
    if (path)
        wcsncpy(copy, path, MAX_PATH - 1);
    path_ = copy;
    fileName_ = path_.Mid(path_.ReverseFind(L'\\') + 1);
}

CIniReader::~CIniReader() = default;

void CIniReader::SetPath(LPCWSTR path) {
    path_ = path;
}

bool CIniReader::ReadString(LPCWSTR key, LPCWSTR section, CString& text) {
    CCritSecGuard guard(CacheLock());
    text.Empty();
    const CString cacheKey = fileName_ + section + key;
    CString cached;
    if (IniTextCache.Lookup(cacheKey, cached) && !cached.IsEmpty()) {
        text = cached;
        return true;
    }
    GetPrivateProfileStringW(section, key, L"", g_readBuffer, kReadChars, path_);
    g_readBuffer[kReadChars - 1] = L'\0';
    if (g_readBuffer[0] == L'"')
        g_readBuffer[0] = L' ';
    CString value(g_readBuffer);
    if (!value.IsEmpty()) {
        value.Replace(L"\\n", L"\n");
        value.Replace(L"\\t", L"\t");
        value.Replace(L"\\r", L"\r");
        value.Replace(L"\\\\", L"\\");
    }
    IniTextCache.SetAt(cacheKey, value);
    if (value.GetLength() > 1)
        value.Trim();
    if (value.IsEmpty())
        return false;
    text = value;
    return true;
}

CIniReader* OpenIniFile(LPCWSTR name, bool search) {
    try {
        CString lowered(name);
        lowered.MakeLower();
        lowered.Trim();
        CString path;
        if (search) {
            const bool bare = lowered.Find(L'\\') < 0;
            CString folder;
            GetModuleFolder(GetOwnModuleHandle(), folder);
            if (bare) {
                path = folder;
                AppendPath(path, XarnSysIniSubFolder());
                AppendPath(path, name);
            }
            if (!bare || !PathFileExistsW(path)) {
                path = folder;
                AppendPath(path, name);
                if (!PathFileExistsW(path)) {
                    path = folder;
                    AppendPath(path, L"pelq.ini");
                }
            }
        } else {
            path = lowered;
        }
        // Only a path that exists gets a reader.
        if (PathExists(path) != 1)
            return nullptr;
        CIniReader* reader = new CIniReader(path);
        if (IsIniReader(reader))
            return reader;
        delete reader;
    } catch (CException* error) {
        error->Delete();
    }
    return nullptr;
}

void CloseIniFile(CIniReader* reader) {
    delete reader;
}

// A reader is recognised by its table of virtual functions, so no call is made through a
// pointer that may be anything.
bool IsIniReader(const void* pointer) {
    if (!IsAccessibleBlock(pointer, sizeof(CIniReader), false))
        return false;
    static const CIniReader probe(L"");
    const void* table;
    const void* readerTable;
    memcpy(&table, pointer, sizeof table);
    memcpy(&readerTable, static_cast<const void*>(&probe), sizeof readerTable);
    return table == readerTable;
}

CString ReadLangText(LPCWSTR key, LPCWSTR section, CIniReader* reader, CIniReader* override) {
    CString text;
    try {
        if (override && IsAccessibleBlock(override, sizeof(CIniReader), true) &&
            (ReadNonEmpty(override, key, L"client", text) ||
             ReadNonEmpty(override, key, section, text)))
            return text;
        if (ReadNonEmpty(reader, key, section, text))
            return text;
        CString message(L"Fail to Read: ");
        message += key;
        message += L"\r\nSection : ";
        message += section;
        g_failureReporter(message);
    } catch (CException* error) {
        error->Delete();
    }
    return CString();
}

CString GetLangString(LPCWSTR key, LPCWSTR section) {
    CIniReader* override = OpenIniFile(L"client.ini", true);
    CIniReader* reader = OpenIniFile(L"pelq.ini", true);
    CString trimmedKey(key);
    trimmedKey.Trim();
    CString text = ReadLangText(trimmedKey, section, reader, override);
    CloseIniFile(reader);
    CloseIniFile(override);
    return text;
}

void SetLangTextFailureReporter(LangTextFailureReporter reporter) {
    g_failureReporter = reporter ? reporter : &ShowFailureBox;
}
