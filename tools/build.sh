#!/usr/bin/env bash
# Builds both architectures: build/i686 and build/x86_64. Extra arguments go to the build tool.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
for arch in i686 x86_64; do
    dir="$top/build/$arch"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
    fi
    cmake --build "$dir" "$@"
done
