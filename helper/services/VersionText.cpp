#include "VersionText.h"

#include <cstdlib>

namespace {

constexpr int kVersionParts = 4;

} // namespace

void SplitVersionText(const CString& text, const CString& delimiter, CStringArray& parts) {
    parts.RemoveAll();
    if (delimiter.GetLength() != 1) {
        parts.Add(CString());
        return;
    }
    CString piece;
    for (int at = 0; at < text.GetLength(); ++at) {
        if (text[at] == delimiter[0]) {
            parts.Add(piece);
            piece.Empty();
        } else {
            piece += text[at];
        }
    }
    parts.Add(piece);
}

CString VersionPart(const CStringArray& parts, INT_PTR index) {
    if (index < 0 || index >= parts.GetSize())
        return CString();
    return parts[index];
}

bool IsNewerVersion(const CString& serverVersion, const CString& localVersion) {
    // The library's version helper writes full stops where older versions wrote commas.
    CString local = localVersion;
    local.Replace(L'.', L',');
    CStringArray server;
    CStringArray installed;
    SplitVersionText(serverVersion, L".", server);
    SplitVersionText(local, L",", installed);
    for (int index = 0; index < kVersionParts; ++index) {
        const int offered = _wtoi(VersionPart(server, index));
        const int present = _wtoi(VersionPart(installed, index));
        if (offered != present)
            return offered > present;
    }
    return false;
}
