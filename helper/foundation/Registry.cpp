#include "Registry.h"

#include <classlib/Archive.h>
#include <classlib/File.h>
#include <owners/WinOwners.h>

#include <cstdlib>
#include <cwchar>
#include <vector>

IMPLEMENT_DYNAMIC(CRegistry, CObject)

namespace {

constexpr UINT kArchiveBuffer = 4096;
constexpr DWORD kCollectionLimit = 4096;
constexpr DWORD kFiveWordsLimit = 30;
constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;
static_assert(kReadWrite == 0x2001F && KEY_READ == 0x20019);

bool IsRootKey(HKEY key) {
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                      HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA})
        if (key == root)
            return true;
    return key == nullptr;
}

DWORD TypeOf(HKEY key, LPCWSTR name, DWORD& bytes) {
    DWORD type = REG_NONE;
    bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return REG_NONE;
    return type;
}

// Reads a value into `data` (room for `bytes`, then the bytes read); true only when it was
// read and is of the `wanted` type.
bool QueryValueOfType(HKEY key, LPCWSTR name, DWORD wanted, BYTE* data, DWORD& bytes) {
    DWORD type = REG_NONE;
    return RegQueryValueExW(key, name, nullptr, &type, data, &bytes) == ERROR_SUCCESS &&
           type == wanted;
}

bool SetValue(HKEY key, LPCWSTR name, DWORD type, const void* data, DWORD bytes) {
    return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes) ==
           ERROR_SUCCESS;
}

// Stores the text with its terminating zero.
bool SetTextValue(HKEY key, LPCWSTR name, LPCWSTR text, DWORD type) {
    return SetValue(key, name, type, text,
                    static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

} // namespace

CRegistry::CRegistry(HKEY root) : key_(root) {}

CRegistry::~CRegistry() {
    Close();
}

void CRegistry::InitForCurrentUser() {
    Close();
    key_ = HKEY_CURRENT_USER;
    access_ = kReadWrite;
    subKeyPath_.Empty();
}

void CRegistry::HoldKey(HKEY key) {
    if (key_ != key && !IsRootKey(key_))
        RegCloseKey(key_);
    key_ = key;
}

bool CRegistry::Open(HKEY root, LPCWSTR path, bool create) {
    HoldKey(root);
    subKeyPath_ = path;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, path, 0, access_, &opened) == ERROR_SUCCESS) {
        HoldKey(opened);
        return true;
    }
    if (create && access_ != KEY_READ && CreateKey(root, path, 0))
        return true;
    // Holding the root after a failure would send the caller's values into the hive's root.
    Close();
    return false;
}

bool CRegistry::OpenOrCreate(LPCWSTR path) {
    try {
        const HKEY parent = key_ ? key_ : HKEY_CURRENT_USER;
        subKeyPath_ = path;
        HKEY opened = nullptr;
        if (RegOpenKeyExW(parent, path, 0, access_, &opened) != ERROR_SUCCESS &&
            RegCreateKeyExW(parent, path, 0, nullptr, 0, access_, nullptr, &opened, nullptr) !=
                ERROR_SUCCESS)
            return false;
        HoldKey(opened);
        return true;
    } catch (CException* error) {
        error->Delete();
        return false;
    }
}

bool CRegistry::OpenKey(HKEY root, LPCWSTR path) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, path, 0, access_, &opened) != ERROR_SUCCESS)
        return false;
    HoldKey(opened);
    return true;
}

bool CRegistry::OpenSubKey(LPCWSTR path) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(key_, path, 0, access_, &opened) != ERROR_SUCCESS)
        return false;
    HoldKey(opened);
    return true;
}

bool CRegistry::CreateKey(HKEY root, LPCWSTR path, DWORD options) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(root, path, 0, nullptr, options, access_, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return false;
    HoldKey(created);
    return true;
}

void CRegistry::Close() {
    if (key_ && !IsRootKey(key_))
        RegCloseKey(key_);
    key_ = nullptr;
}

bool CRegistry::DeleteKey(HKEY root, LPCWSTR path) {
    return RegDeleteKeyW(root, path) == ERROR_SUCCESS;
}

bool CRegistry::DeleteValue(LPCWSTR name) {
    return RegDeleteValueW(key_, name) == ERROR_SUCCESS;
}

bool CRegistry::ValueExists(LPCWSTR name) {
    return RegQueryValueExW(key_, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool CRegistry::ReadStringType(LPCWSTR name, CString& text, bool& expandable) {
    DWORD bytes = 0;
    const DWORD type = TypeOf(key_, name, bytes);
    expandable = type == REG_EXPAND_SZ;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    // One character more than stored, zeroed, so a text stored without its end still ends.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    DWORD readBytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    // The value may have grown or changed its type since it was sized: then nothing is read.
    DWORD readType = REG_NONE;
    if (RegQueryValueExW(key_, name, nullptr, &readType, reinterpret_cast<BYTE*>(buffer.data()),
                         &readBytes) != ERROR_SUCCESS ||
        (readType != REG_SZ && readType != REG_EXPAND_SZ))
        return false;
    text = buffer.data();
    return true;
}

bool CRegistry::ReadString(LPCWSTR name, CString& text) {
    bool expandable = false;
    return ReadStringType(name, text, expandable);
}

bool CRegistry::WriteString(LPCWSTR name, LPCWSTR text, bool expand) {
    return SetTextValue(key_, name, text, expand ? REG_EXPAND_SZ : REG_SZ);
}

bool CRegistry::WriteExpandString(LPCWSTR name, LPCWSTR text) {
    return SetTextValue(key_, name, text, REG_EXPAND_SZ);
}

bool CRegistry::ReadDword(LPCWSTR name, DWORD& value) {
    DWORD bytes = sizeof value;
    return QueryValueOfType(key_, name, REG_DWORD, reinterpret_cast<BYTE*>(&value), bytes);
}

bool CRegistry::ReadDwordValue(LPCWSTR name, DWORD& value) {
    DWORD read = 0;
    if (!ReadDword(name, read))
        return false;
    value = read;
    return true;
}

bool CRegistry::ReadBool(LPCWSTR name, bool& value) {
    DWORD word = 0;
    const bool read = ReadDword(name, word);
    value = word != 0;
    return read;
}

bool CRegistry::WriteDword(LPCWSTR name, const DWORD* value) {
    return SetValue(key_, name, REG_DWORD, value, sizeof(DWORD));
}

bool CRegistry::WriteDwordValue(LPCWSTR name, DWORD value) {
    return WriteDword(name, &value);
}

bool CRegistry::WriteBool(LPCWSTR name, bool value) {
    return WriteDwordValue(name, value ? 1 : 0);
}

bool CRegistry::ReadBinary(LPCWSTR name, BYTE* data, DWORD& size) {
    return QueryValueOfType(key_, name, REG_BINARY, data, size);
}

bool CRegistry::WriteBinary(LPCWSTR name, const BYTE* data, DWORD size) {
    return SetValue(key_, name, REG_BINARY, data, size);
}

bool CRegistry::WriteCollection(LPCWSTR name, CObject& collection) {
    try {
        CMemFile file(16);
        CArchive archive(&file, CArchive::store, kArchiveBuffer);
        collection.Serialize(archive);
        archive.Close();
        const DWORD length = static_cast<DWORD>(file.GetLength());
        BYTE* image = file.Detach();
        lastError_ = RegSetValueExW(key_, name, 0, REG_BINARY, image, length);
        std::free(image);
        lastSize_ = length;
        lastType_ = REG_BINARY;
        return lastError_ == ERROR_SUCCESS;
    } catch (CException* error) {
        error->Delete();
        return false;
    }
}

bool CRegistry::ReadCollection(LPCWSTR name, CObject& collection) {
    std::vector<BYTE> image(kCollectionLimit, 0);
    DWORD type = REG_NONE;
    DWORD bytes = kCollectionLimit;
    lastError_ = RegQueryValueExW(key_, name, nullptr, &type, image.data(), &bytes);
    lastType_ = type;
    lastSize_ = bytes;
    if (lastError_ != ERROR_SUCCESS)
        return false;
    if (type != REG_BINARY)
        return true;
    try {
        CMemFile file(image.data(), bytes);
        CArchive archive(&file, CArchive::load, kArchiveBuffer);
        collection.Serialize(archive);
        archive.Close();
    } catch (CException* error) {
        // A damaged image leaves what was loaded so far.
        error->Delete();
    }
    return true;
}

bool CRegistry::ReadSerialized(LPCWSTR name, CStringList& list) {
    list.RemoveAll();
    return ReadCollection(name, list);
}

template <typename Array> bool CRegistry::ReadArray(LPCWSTR name, Array& array) {
    const INT_PTR count = array.GetSize();
    const bool read = ReadCollection(name, array);
    try {
        array.SetSize(count);
    } catch (CException* error) {
        error->Delete();
    }
    return read;
}

bool CRegistry::ReadSerialized(LPCWSTR name, CStringArray& array) {
    return ReadArray(name, array);
}

bool CRegistry::ReadSerialized(LPCWSTR name, CByteArray& array) {
    return ReadArray(name, array);
}

bool CRegistry::ReadSerialized(LPCWSTR name, CWordArray& array) {
    return ReadArray(name, array);
}

bool CRegistry::ReadSerialized(LPCWSTR name, CDWordArray& array) {
    return ReadArray(name, array);
}

bool CRegistry::WriteSerialized(LPCWSTR name, CStringList& list) {
    return WriteCollection(name, list);
}

bool CRegistry::WriteSerialized(LPCWSTR name, CStringArray& array) {
    return WriteCollection(name, array);
}

bool CRegistry::WriteSerialized(LPCWSTR name, CByteArray& array) {
    return WriteCollection(name, array);
}

bool CRegistry::WriteSerialized(LPCWSTR name, CWordArray& array) {
    return WriteCollection(name, array);
}

bool CRegistry::WriteSerialized(LPCWSTR name, CDWordArray& array) {
    return WriteCollection(name, array);
}

bool CRegistry::WriteFiveWords(LPCWSTR name, const DWORD (&words)[5], DWORD type) {
    CDWordArray array;
    bool written = false;
    try {
        array.SetSize(5);
        for (int i = 0; i < 5; ++i)
            array[i] = words[i];
        written = WriteCollection(name, array);
    } catch (CException* error) {
        error->Delete();
    }
    lastType_ = type;
    return written;
}

bool CRegistry::ReadFiveWords(LPCWSTR name, DWORD (&words)[5], DWORD type, DWORD size) {
    BYTE image[kFiveWordsLimit] = {};
    DWORD valueType = REG_NONE;
    DWORD bytes = kFiveWordsLimit;
    const LONG result = RegQueryValueExW(key_, name, nullptr, &valueType, image, &bytes);
    lastError_ = result;
    lastType_ = type;
    lastSize_ = size;
    if (result != ERROR_SUCCESS)
        return false;
    if (valueType != REG_BINARY)
        return true;
    try {
        CMemFile file(image, bytes);
        CArchive archive(&file, CArchive::load, kArchiveBuffer);
        CDWordArray array;
        array.Serialize(archive);
        archive.Close();
        // Only a complete record is taken; a short one leaves the caller's record as it was.
        if (array.GetSize() >= 5)
            for (int i = 0; i < 5; ++i)
                words[i] = array[i];
    } catch (CException* error) {
        error->Delete();
    }
    return true;
}

bool CRegistry::WriteSerialized(LPCWSTR name, const POINT& point) {
    const DWORD words[5] = {static_cast<DWORD>(point.x), static_cast<DWORD>(point.y), 0, 0, 0};
    return WriteFiveWords(name, words, kPoint);
}

bool CRegistry::WriteSerialized(LPCWSTR name, const RECT& rect) {
    const DWORD words[5] = {static_cast<DWORD>(rect.top), static_cast<DWORD>(rect.bottom),
                            static_cast<DWORD>(rect.left), static_cast<DWORD>(rect.right), 0};
    return WriteFiveWords(name, words, kRectangle);
}

bool CRegistry::ReadSerialized(LPCWSTR name, POINT& point) {
    DWORD words[5] = {static_cast<DWORD>(point.x), static_cast<DWORD>(point.y), 0, 0, 0};
    const bool read = ReadFiveWords(name, words, kPoint, 8);
    point.x = static_cast<LONG>(words[0]);
    point.y = static_cast<LONG>(words[1]);
    return read;
}

bool CRegistry::ReadSerialized(LPCWSTR name, RECT& rect) {
    DWORD words[5] = {static_cast<DWORD>(rect.top), static_cast<DWORD>(rect.bottom),
                      static_cast<DWORD>(rect.left), static_cast<DWORD>(rect.right), 0};
    const bool read = ReadFiveWords(name, words, kRectangle, 16);
    rect.top = static_cast<LONG>(words[0]);
    rect.bottom = static_cast<LONG>(words[1]);
    rect.left = static_cast<LONG>(words[2]);
    rect.right = static_cast<LONG>(words[3]);
    return read;
}

namespace {

// The names of the subkeys (or values) of parent + path in index order; the first failing
// step ends the walk with false. `openResult` receives the result of opening the key.
bool EnumNames(HKEY parent, LPCWSTR path, REGSAM access, bool values, CStringArray& names,
               LONG& openResult) {
    RegistryKey key;
    openResult = RegOpenKeyExW(parent, path, 0, access, key.Put());
    if (openResult != ERROR_SUCCESS)
        return false;
    bool complete = false;
    DWORD count = 0;
    try {
        if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, values ? nullptr : &count,
                             nullptr, nullptr, values ? &count : nullptr, nullptr, nullptr, nullptr,
                             nullptr) == ERROR_SUCCESS) {
            names.RemoveAll();
            complete = true;
            for (DWORD i = 0; i < count && complete; ++i) {
                wchar_t name[512];
                DWORD chars = values ? 512 : 200;
                complete = (values ? RegEnumValueW(key.Get(), i, name, &chars, nullptr, nullptr,
                                                   nullptr, nullptr)
                                   : RegEnumKeyExW(key.Get(), i, name, &chars, nullptr, nullptr,
                                                   nullptr, nullptr)) == ERROR_SUCCESS;
                if (complete)
                    names.Add(name);
            }
        }
    } catch (CException* error) {
        error->Delete();
        complete = false;
    }
    return complete;
}

} // namespace

bool CRegistry::EnumSubKeys(LPCWSTR path, CStringArray& names) {
    lastType_ = 0;
    lastSize_ = 0;
    return EnumNames(key_, path, access_, false, names, lastError_);
}

bool CRegistry::EnumValues(LPCWSTR path, CStringArray& names) {
    LONG openResult = ERROR_SUCCESS;
    return EnumNames(key_, path, access_, true, names, openResult);
}

bool CRegistry::GetSubKeyCount(DWORD& count) {
    return RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool CRegistry::GetValueCount(DWORD& count) {
    return RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool CRegistry::GetMaxSubKeyLength(DWORD& length) {
    return RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, &length, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool CRegistry::EnumKey(DWORD index, wchar_t* name, DWORD& length) {
    return RegEnumKeyExW(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

int EnumRegValueNames(HKEY key, CStringArray& names) {
    try {
        names.RemoveAll();
        DWORD count = 0;
        if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                             nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return 0;
        for (DWORD i = 0; i < count; ++i) {
            wchar_t name[256];
            DWORD chars = 256;
            if (RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) ==
                ERROR_SUCCESS)
                names.Add(name);
        }
        return static_cast<int>(names.GetSize());
    } catch (CException* error) {
        error->Delete();
        return static_cast<int>(names.GetSize());
    }
}

bool RegValueExistsAt(HKEY root, LPCWSTR path, LPCWSTR name) {
    CRegistry registry(root);
    registry.SetAccess(KEY_READ);
    return registry.Open(root, path, false) && registry.ValueExists(name);
}

DWORD RegReadDwordAt(HKEY root, LPCWSTR path, LPCWSTR name) {
    CRegistry registry(root);
    DWORD value = 0;
    if (!registry.Open(root, path, true) || !registry.ReadDword(name, value))
        return 0;
    return value;
}

bool RegWriteDwordAt(HKEY root, LPCWSTR path, LPCWSTR name, DWORD value) {
    CRegistry registry(root);
    return registry.Open(root, path, true) && registry.WriteDwordValue(name, value);
}

bool RegReadStringAt(HKEY root, LPCWSTR path, LPCWSTR name, wchar_t* buffer, int bufferChars) {
    try {
        CRegistry registry(root);
        registry.SetAccess(KEY_READ);
        CString text;
        if (!registry.Open(root, path, false) || !registry.ValueExists(name) ||
            !registry.ReadString(name, text) || text.GetLength() >= bufferChars)
            return false;
        wmemcpy(buffer, text.GetString(), static_cast<size_t>(text.GetLength()) + 1);
        return true;
    } catch (CException* error) {
        error->Delete();
        return false;
    }
}

bool RegWriteStringAt(HKEY root, LPCWSTR path, LPCWSTR name, LPCWSTR text) {
    CRegistry registry(root);
    return registry.Open(root, path, true) && registry.WriteString(name, text);
}
