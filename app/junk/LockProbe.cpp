#include "LockProbe.h"

#include <cwchar>

#include "LinkSafety.h"
#include "Paths.h"

namespace {

bool IsAsciiText(const wchar_t* text) {
    for (; *text; ++text) {
        if (*text >= 0x80)
            return false;
    }
    return true;
}

// A read-only file has to lose its attribute for the test, and a long or non-ASCII name may not
// survive the foundation's multibyte form: those few take the foundation's own test.
bool NeedsFoundationTest(const wchar_t* path, DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_READONLY) || wcslen(path) >= MAX_PATH || !IsAsciiText(path);
}

// The foundation's test rewrites the attributes and then opens the file for reading and writing
// with no sharing; that open alone asks both (writing includes the attributes) without touching
// the file. It opens the entry itself, never what a final reparse point names.
KernelHandle OpenExclusively(const wchar_t* path) {
    return KernelHandle(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

} // namespace

int ProbeFileLock(const wchar_t* path, DWORD attributes) {
    if (NeedsFoundationTest(path, attributes))
        return IsFileLocked(path);
    return OpenExclusively(path) ? 0 : 1;
}

bool IsFreeAndReachedAsNamed(const wchar_t* path, const wchar_t* name, DWORD attributes,
                             CFolderReach& folder) {
    if (NeedsFoundationTest(path, attributes)) {
        // The link test comes first: the foundation's test rewrites the attributes of whatever
        // the path reaches.
        {
            const KernelHandle file = OpenOwnPath(path, FILE_READ_ATTRIBUTES);
            if (!file || !folder.ReachesOwnPath(file.Get(), name))
                return false;
        }
        return IsFileLocked(path) == 0;
    }
    // The exclusive open of the lock test is the handle the link test reads.
    const KernelHandle file = OpenExclusively(path);
    return file && folder.ReachesOwnPath(file.Get(), name);
}
