#!/usr/bin/env bash
# Builds both architectures: build/i686 and build/x86_64. Extra arguments go to the build tool.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Paths below the tree's top are hashed relative to it, so that another clone or work tree of
# the same sources hits the same cache entries.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
for arch in i686 x86_64; do
    dir="$top/build/$arch"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
    fi
    cmake --build "$dir" "$@"
done
