#!/usr/bin/env bash
# Fails when product code of the layers that hold their resources through the owners calls a
# release function itself. The owner layer and the classes whose job is to own one resource (a
# registry wrapper that may hold a root key, the class library's file, menu and thread objects,
# the device backends whose interface closes what it opened, the foundation's lock guard) are
# the only places such calls belong.
#   RawReleaseCalls.sh <source root>
set -u
root=$1
cd "$root" || exit 2
checked=(platform service rpc installhelper helper/foundation helper/resources)
owners='^(platform/owners/|helper/foundation/registry\.cpp|helper/foundation/crit_sec_lock\.h|platform/classlib/include/classlib/(File|Menu)\.h|platform/classlib/src/(App|Menu)\.cpp|platform/volume/(Sim|Windows)?VolumeApi\.(h|cpp)|platform/disk/(Sim|Windows)?DiskApi\.(h|cpp))'
calls='\b(CloseHandle|RegCloseKey|FindClose|LocalFree|HeapFree|FreeSid|CloseServiceHandle|FreeLibrary|DestroyIcon|DestroyMenu|LeaveCriticalSection|ReleaseSRWLockExclusive|ReleaseSRWLockShared)\('
found=$(grep -rnE "$calls" --include='*.cpp' --include='*.h' "${checked[@]}" |
    grep -vE '/(tests|bench|gallery)/' | grep -vE "$owners")
if [ -n "$found" ]; then
    echo "release calls outside an owner:"
    echo "$found"
    exit 1
fi
echo "no release calls outside the owners in ${checked[*]}"
