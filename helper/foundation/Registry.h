// CRegistry, the one path to the registry: one open key and typed values under it, the
// serialised list values, and one-shot functions that open, do one thing and close.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/List.h>
#include <classlib/Object.h>
#include <classlib/String.h>

class CRegistry : public CObject {
    DECLARE_DYNAMIC(CRegistry)
public:
    // Types recorded after a serialised point or rectangle.
    enum SerializedType : DWORD { kRectangle = 1, kPoint = 2 };

    explicit CRegistry(HKEY root = HKEY_CURRENT_USER);
    ~CRegistry() override;
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Access used by every open and create: KEY_READ | KEY_WRITE unless lowered.
    void SetAccess(REGSAM access) { access_ = access; }
    REGSAM GetAccess() const { return access_; }
    HKEY GetKey() const { return key_; }
    // Result, type and byte count of the last serialised-value operation or enumeration.
    LONG GetLastError() const { return lastError_; }
    DWORD GetLastType() const { return lastType_; }
    DWORD GetLastSize() const { return lastSize_; }

    void InitForCurrentUser();
    // With `create`, a missing key is created unless the access is exactly KEY_READ. After a
    // failure no key is held, so values written then go nowhere.
    [[nodiscard]] bool Open(HKEY root, LPCWSTR path, bool create);
    [[nodiscard]] bool OpenOrCreate(LPCWSTR path);
    [[nodiscard]] bool OpenKey(HKEY root, LPCWSTR path);
    [[nodiscard]] bool OpenSubKey(LPCWSTR path);
    [[nodiscard]] bool CreateKey(HKEY root, LPCWSTR path, DWORD options);
    void Close();
    [[nodiscard]] static bool DeleteKey(HKEY root, LPCWSTR path);
    [[nodiscard]] bool DeleteValue(LPCWSTR name);
    [[nodiscard]] bool ValueExists(LPCWSTR name);

    // True only when a REG_SZ or REG_EXPAND_SZ text was read; otherwise the text is unchanged.
    [[nodiscard]] bool ReadString(LPCWSTR name, CString& text);
    [[nodiscard]] bool ReadStringType(LPCWSTR name, CString& text, bool& expandable);
    [[nodiscard]] bool WriteString(LPCWSTR name, LPCWSTR text, bool expand = false);
    [[nodiscard]] bool WriteExpandString(LPCWSTR name, LPCWSTR text);
    [[nodiscard]] bool ReadDword(LPCWSTR name, DWORD& value);
    // The variable keeps its value when the read fails.
    [[nodiscard]] bool ReadDwordValue(LPCWSTR name, DWORD& value);
    [[nodiscard]] bool ReadBool(LPCWSTR name, bool& value);
    [[nodiscard]] bool WriteDword(LPCWSTR name, const DWORD* value);
    [[nodiscard]] bool WriteDwordValue(LPCWSTR name, DWORD value);
    [[nodiscard]] bool WriteBool(LPCWSTR name, bool value);
    [[nodiscard]] bool ReadBinary(LPCWSTR name, BYTE* data, DWORD& size);
    [[nodiscard]] bool WriteBinary(LPCWSTR name, const BYTE* data, DWORD size);

    // An array read back keeps the element count it had before the read.
    [[nodiscard]] bool ReadSerialized(LPCWSTR name, CStringList& list);
    [[nodiscard]] bool ReadSerialized(LPCWSTR name, CStringArray& array);
    [[nodiscard]] bool ReadSerialized(LPCWSTR name, CByteArray& array);
    [[nodiscard]] bool ReadSerialized(LPCWSTR name, CWordArray& array);
    [[nodiscard]] bool ReadSerialized(LPCWSTR name, CDWordArray& array);
    [[nodiscard]] bool ReadSerialized(LPCWSTR name, POINT& point);
    [[nodiscard]] bool ReadSerialized(LPCWSTR name, RECT& rect);
    [[nodiscard]] bool WriteSerialized(LPCWSTR name, CStringList& list);
    [[nodiscard]] bool WriteSerialized(LPCWSTR name, CStringArray& array);
    [[nodiscard]] bool WriteSerialized(LPCWSTR name, CByteArray& array);
    [[nodiscard]] bool WriteSerialized(LPCWSTR name, CWordArray& array);
    [[nodiscard]] bool WriteSerialized(LPCWSTR name, CDWordArray& array);
    [[nodiscard]] bool WriteSerialized(LPCWSTR name, const POINT& point);
    [[nodiscard]] bool WriteSerialized(LPCWSTR name, const RECT& rect);

    [[nodiscard]] bool EnumSubKeys(LPCWSTR path, CStringArray& names);
    [[nodiscard]] bool EnumValues(LPCWSTR path, CStringArray& names);
    [[nodiscard]] bool GetSubKeyCount(DWORD& count);
    [[nodiscard]] bool GetValueCount(DWORD& count);
    [[nodiscard]] bool GetMaxSubKeyLength(DWORD& length);
    [[nodiscard]] bool EnumKey(DWORD index, wchar_t* name, DWORD& length);

private:
    // Replaces the held key, closing the old one unless it is a root key.
    void HoldKey(HKEY key);
    [[nodiscard]] bool WriteCollection(LPCWSTR name, CObject& collection);
    [[nodiscard]] bool ReadCollection(LPCWSTR name, CObject& collection);
    // Reads an array's image; the array keeps the element count it had before.
    template <typename Array> bool ReadArray(LPCWSTR name, Array& array);
    [[nodiscard]] bool WriteFiveWords(LPCWSTR name, const DWORD (&words)[5], DWORD type);
    [[nodiscard]] bool ReadFiveWords(LPCWSTR name, DWORD (&words)[5], DWORD type, DWORD size);

    REGSAM access_ = KEY_READ | KEY_WRITE;
    HKEY key_;
    CString subKeyPath_;
    LONG lastError_ = ERROR_SUCCESS;
    DWORD lastType_ = 0;
    DWORD lastSize_ = 0;
};

// The value names of an open key (names of up to 255 characters; one that cannot be read is
// skipped); returns how many were collected.
int EnumRegValueNames(HKEY key, CStringArray& names);

[[nodiscard]] bool RegValueExistsAt(HKEY root, LPCWSTR path, LPCWSTR name);
// Creates the key when missing; 0 unless the value reads as REG_DWORD.
DWORD RegReadDwordAt(HKEY root, LPCWSTR path, LPCWSTR name);
[[nodiscard]] bool RegWriteDwordAt(HKEY root, LPCWSTR path, LPCWSTR name, DWORD value);
// Copies the text when it is shorter than `bufferChars`.
[[nodiscard]] bool RegReadStringAt(HKEY root, LPCWSTR path, LPCWSTR name, wchar_t* buffer,
                                   int bufferChars);
[[nodiscard]] bool RegWriteStringAt(HKEY root, LPCWSTR path, LPCWSTR name, LPCWSTR text);
