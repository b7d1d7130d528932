#!/usr/bin/env bash
# Fails when product code anywhere in the tree calls a release function itself, and prints how
# many such calls it found. The owner layer and the classes whose job is to own one resource (a
# registry wrapper that may hold a root key, the class library's file, menu, thread, GDI object
# and device context classes, the device backends whose interface closes what it opened, the
# foundation's lock guard) are the only places such calls belong. Tests are left out: some
# examine release behaviour itself.
# A member call (`menu.DestroyMenu()`, `api->CloseHandle(h)`, `CMenu::DestroyMenu()`) goes to
# an owner and is not counted; a release function handed on as a value (`&::DestroyIcon`, a
# deleter's `CloseHandle` argument) is counted, as it makes a private owner.
#   RawReleaseCalls.sh <source root>
set -u
root=$1
cd "$root" || exit 2
owners='^(platform/owners/|helper/foundation/Registry\.cpp|helper/foundation/CritSecLock\.h|platform/classlib/include/classlib/(File|Menu)\.h|platform/classlib/src/(App|Gdi|Menu)\.cpp|platform/volume/(Sim|Windows)?VolumeApi\.(h|cpp)|platform/disk/(Sim|Windows)?DiskApi\.(h|cpp))'
release='CloseHandle|RegCloseKey|FindClose|LocalFree|HeapFree|FreeSid|CloseServiceHandle|FreeLibrary|DeleteObject|DeleteDC|DestroyIcon|DestroyMenu|LeaveCriticalSection|ReleaseSRWLockExclusive|ReleaseSRWLockShared'
# The function itself or through the global scope, given an argument, or handed on as a value.
calls="(^|[^.>:[:alnum:]_])(::)?($release)\([^)]|(&|[(,] *)(::)?($release) *[,)]"
found=$(grep -rnE "$calls" --include='*.cpp' --include='*.h' --exclude-dir=build \
    --exclude-dir=third_party --exclude-dir=.git . | sed 's|^\./||' |
    grep -vE '/tests/' | grep -vE "$owners")
count=$(printf '%s' "$found" | grep -c '^' || true)
if [ "$count" -gt 0 ]; then
    echo "$count release calls outside an owner:"
    echo "$found"
    exit 1
fi
echo "0 release calls outside the owners in the whole tree (tests left out)"
