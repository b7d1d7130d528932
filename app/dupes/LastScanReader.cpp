#include "LastScanReader.h"

bool CLastScanReader::ReadBytes(void* out, size_t count) {
    if (left_ < count)
        return false;
    std::memcpy(out, next_, count);
    next_ += count;
    left_ -= count;
    return true;
}

bool CLastScanReader::ReadLength(bool& wide, ULONGLONG& length) {
    BYTE shortLength;
    if (!Read(shortLength))
        return false;
    if (shortLength < 0xFF) {
        length = shortLength;
        return true;
    }
    WORD word;
    if (!Read(word))
        return false;
    if (word == 0xFFFE) {
        wide = true;
        if (!Read(shortLength))
            return false;
        if (shortLength < 0xFF) {
            length = shortLength;
            return true;
        }
        if (!Read(word))
            return false;
    }
    if (word < 0xFFFF) {
        length = word;
        return true;
    }
    DWORD dword;
    if (!Read(dword))
        return false;
    length = dword;
    return true;
}

bool CLastScanReader::ReadString(CString& text) {
    bool wide = false;
    ULONGLONG length = 0;
    if (!ReadLength(wide, length))
        return false;
    const ULONGLONG bytes = wide ? length * sizeof(wchar_t) : length;
    if (bytes > left_)
        return false;
    if (wide) {
        LPWSTR chars = text.GetBufferSetLength(static_cast<int>(length));
        std::memcpy(chars, next_, static_cast<size_t>(bytes));
        text.ReleaseBuffer(static_cast<int>(length));
    } else {
        text = CString(reinterpret_cast<const char*>(next_), static_cast<int>(length));
    }
    next_ += bytes;
    left_ -= static_cast<size_t>(bytes);
    return true;
}
