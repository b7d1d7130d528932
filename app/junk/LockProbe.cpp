#include "LockProbe.h"

#include "HeldItem.h"
#include "LiteralPath.h"

#include <owners/WinOwners.h>

namespace {

// Opens the entry itself (never what a final reparse point names) with no sharing.
KernelHandle OpenExclusively(const CString& literalPath, DWORD attributes) {
    const DWORD access =
        GENERIC_READ |
        ((attributes & FILE_ATTRIBUTE_READONLY) ? FILE_WRITE_ATTRIBUTES : GENERIC_WRITE);
    return KernelHandle(CreateFileW(literalPath, access, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

} // namespace

int ProbeFileLock(const CString& path, DWORD attributes) {
    const CString literalPath = ToLiteralPath(path);
    return !literalPath.IsEmpty() && OpenExclusively(literalPath, attributes) ? 0 : 1;
}

bool ProbeCandidate(const CString& path, DWORD attributes, bool identified,
                    FileIdentity& identity) {
    const CString literalPath = ToLiteralPath(path);
    if (literalPath.IsEmpty())
        return false;
    const KernelHandle file = OpenExclusively(literalPath, attributes);
    if (!file || !ReachesOwnPlace(file.Get(), literalPath) ||
        (!identified && !ReadFileIdentity(file.Get(), literalPath, identity)))
        return false;
    return !identity.folder && !(identity.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
