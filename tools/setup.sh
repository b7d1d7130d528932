#!/usr/bin/env bash
# Installs every Debian package the project needs to build and test. Safe to run again.
# Where the kernel refuses 32-bit programs (Wine's 32-bit loader is one), it also installs
# qemu-user from the release's backports suite, whose i386 emulation the scripts register in a
# private namespace (tools/wine-env.sh); XARN_I686_EMULATION=force installs it in any case.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
packages=(
  cmake ninja-build clang python3
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine32:i386 wine64 winbind
  xvfb imagemagick googletest
  libz-mingw-w64-dev unzip python3
  jdupes rmlint fdupes fio
  ccache
)
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
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${install_from[@]}" "${missing[@]}"
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
    -t "$codename-backports" qemu-user
fi
