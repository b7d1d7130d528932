#!/usr/bin/env bash
# Installs the Debian packages the project needs to build and test, without the packages they
# only recommend. Safe to run again. Where the kernel refuses 32-bit programs (Wine's 32-bit
# loader is one), it also installs qemu-user from the release's backports suite, whose i386
# emulation the scripts register in a private namespace (tools/wine-env.sh);
# XARN_I686_EMULATION=force installs it in any case. With --benchmarks it also installs the
# tools the benchmarks compare against.
#   tools/setup.sh [--benchmarks]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
packages=(
  # The build: the posix-thread cross compilers only, the IDL compiler, the host tools of the
  # generated images (ImageMagick) and of the RPC guard (clang), and compile caching.
  cmake ninja-build python3 clang imagemagick ccache googletest
  gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  mingw-w64-tools libz-mingw-w64-dev
  # libgcc's DLL of the win32 thread model, shipped beside the i686 modules (it needs no
  # threads DLL)
  gcc-mingw-w64-i686-win32-runtime
  # The tests: Wine's loaders (no wrapper scripts), NTLM for the service's pipe, the virtual
  # display, and unzip for the archives' outside checks.
  wine64 wine32:i386 winbind xvfb unzip
)
if [ "${1:-}" = --benchmarks ]; then
  packages+=(jdupes rmlint fdupes fio)
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# A mirror caught mid-sync (or a proxy holding a stale copy) fails an index now and then. Then
# the packages come from the release's own suite, whose architectures agree with each other:
# an update suite missing one architecture's index would offer amd64 libraries whose i386 twins
# cannot be found. A package truly missing still fails the install.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
install_from=()
refresh_indexes() {
  local attempt
  for attempt in 1 2 3; do
    $SUDO apt-get update -qq && return 0
    echo "warning: package index refresh failed (attempt $attempt of 3)" >&2
    sleep 10
  done
  echo "warning: installing from $codename's own suite with the indexes that could be fetched" >&2
  install_from=(-t "$codename")
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ "${#missing[@]}" -ne 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  refresh_indexes
  # A set-up, not a system that must survive a power cut mid-install: no sync per file.
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    -o Dpkg::Options::=--force-unsafe-io "${install_from[@]}" "${missing[@]}"
fi

# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
if { [ "${XARN_I686_EMULATION:-}" = force ] || ! xarn_can_run_32bit; } &&
  [ ! -f "$XARN_QEMU_I386_BINFMT" ]; then
  # The backports suite from the same archive as the machine's own release.
  uris=$(grep -h -E '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk '{print $2}' | grep -v -E 'security' | head -n 1 || true)
  [ -n "$uris" ] || uris=$(grep -h -E "^deb [^ ]+ $codename " /etc/apt/sources.list 2>/dev/null |
    awk '{print $2}' | head -n 1 || true)
  if [ -z "$uris" ]; then
    echo "error: no Debian archive for $codename is configured; cannot add $codename-backports" >&2
    exit 1
  fi
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  printf 'Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\nSigned-By: %s\n' \
    "$uris" "$codename" "$keyring" | $SUDO tee /etc/apt/sources.list.d/xarn-backports.sources >/dev/null
  refresh_indexes
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    -o Dpkg::Options::=--force-unsafe-io -t "$codename-backports" qemu-user
fi
