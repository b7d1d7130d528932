#!/usr/bin/env bash
# Fails when the product's code declares a thread_local object that may have a destructor, and
# names each. Under mingw-w64's threads a thread's emulated TLS is freed before the destructors
# of its C++ thread_local objects run, so a thread that ends with such an object corrupts the
# heap (seen as crashes in the junk cleaner's short-lived probe threads); in a DLL such objects
# also keep the process from exiting under Wine. Per-thread state is plain data: numbers,
# characters, bytes and pointers, or arrays of them.
#   check_thread_locals.sh [source root]
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || exit 2
plain='(static[[:space:]]+)?(const[[:space:]]+)?(alignas\([0-9]+\)[[:space:]]+)?(BYTE|DWORD|ULONGLONG|LONG|UINT|bool|char|wchar_t|int|unsigned|size_t|double)([[:space:]]|\*)|[[:alnum:]_:]+[[:space:]]*\*'
found=$(grep -rnE '(^|[^[:alnum:]_])thread_local[[:space:]]' --include='*.cpp' --include='*.h' \
    --exclude-dir=build --exclude-dir=third_party --exclude-dir=.git . | sed 's|^\./||' |
    grep -vE "^[^:]+:[0-9]+:[[:space:]]*//" |
    grep -vE "thread_local[[:space:]]+($plain)" || true)
count=$(printf '%s' "$found" | grep -c '^' || true)
if [ "$count" -gt 0 ]; then
    echo "$count thread_local objects that are not plain data:"
    echo "$found"
    exit 1
fi
echo "every thread_local in the tree is plain data"
