#include "UpdateIniReader.h"

#include "Paths.h"

namespace {
constexpr DWORD kValueChars = 4096;
}

CString CUpdateIniReader::GetKeyValue(const CString& key, const CString& section) {
    section_ = section;
    lastLength_ = 0;
    if (PathExists(path_) != 1)
        return CString();
    CString value;
    lastLength_ = GetPrivateProfileStringW(section, key, L"", value.GetBuffer(kValueChars),
                                           kValueChars, path_);
    value.ReleaseBuffer(static_cast<int>(lastLength_));
    if (!value.IsEmpty()) {
        value.Replace(L"\\n", L"\n");
        value.Replace(L"\\t", L"\t");
        value.Replace(L"\\r", L"\r");
        value.Replace(L"\\\\", L"\\");
    }
    return value;
}
