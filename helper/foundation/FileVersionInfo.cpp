#include "FileVersionInfo.h"

#include <new>

int FileVersionInfo::Load(const wchar_t* path) {
    Release();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return 0;
    buffer_ = new (std::nothrow) BYTE[size];
    if (!buffer_)
        return 0;
    DWORD* translation = nullptr;
    UINT translationBytes = 0;
    if (!GetFileVersionInfoW(path, 0, size, buffer_) ||
        !VerQueryValueW(buffer_, L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &translationBytes) ||
        translationBytes < sizeof(DWORD)) {
        Release();
        return 0;
    }
    translation_ = (static_cast<DWORD>(LOWORD(*translation)) << 16) | HIWORD(*translation);
    return 1;
}

int FileVersionInfo::GetFixedInfo(VS_FIXEDFILEINFO& info) const {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT bytes = 0;
    if (!buffer_ || !VerQueryValueW(buffer_, L"\\", reinterpret_cast<void**>(&fixed), &bytes) ||
        bytes < sizeof info)
        return 0;
    info = *fixed;
    return 1;
}

CString FileVersionInfo::GetFileVersionText() const {
    CString text;
    VS_FIXEDFILEINFO info;
    if (GetFixedInfo(info)) {
        text.Format(L"%u,%u,%u,%u", HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS),
                    HIWORD(info.dwFileVersionLS), LOWORD(info.dwFileVersionLS));
        text.Replace(L',', L'.');
    }
    return text;
}

void FileVersionInfo::Release() {
    delete[] buffer_;
    buffer_ = nullptr;
    translation_ = 0;
}
