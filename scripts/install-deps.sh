#!/usr/bin/env bash
# Installs everything the build, the tests and the benchmarks need on a Debian 12 machine, as root:
# Debian packages (with i386 for 32-bit Wine and a deb-src entry for the source packages), qemu-user
# 10 from bookworm-backports where this machine runs no 32-bit code, the zh_CN.UTF-8 locale, and
# liblzma and libjpeg-turbo cross-built for i686-w64-mingw32 (the shipped programs) and
# x86_64-w64-mingw32 (the same programs for Wine where 32-bit code cannot run, and for the
# benchmarks where it cannot run natively) into cache prefixes outside the work tree. Every step
# checks first, so a second run takes a few seconds.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/env.sh
. "$here/env.sh"

log() { printf '[install-deps] %s\n' "$*"; }

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686 libz-mingw-w64-dev
  g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  liblzma-dev zlib1g-dev libjpeg62-turbo-dev libgtest-dev libgmock-dev libssl-dev
  wine wine32:i386 wine64 xvfb xauth xdotool imagemagick fonts-wqy-microhei fonts-arphic-gbsn00lp locales
  python3 xz-utils 7zip unzip zip libarchive-tools time osslsigncode openssl
  clang-14 libclang-rt-14-dev llvm-14 nsis
)

need_root() {
  if [ "$(id -u)" != 0 ]; then
    echo "install-deps: packages are missing and installing them needs root" >&2
    exit 1
  fi
}

add_sources() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_root
    dpkg --add-architecture i386
  fi
  # apt-get source needs deb-src lines for the same suites as the binary packages.
  if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    need_root
    cat >/etc/apt/sources.list.d/velmora-deb-src.sources <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    apt_update
  fi
}

apt_update() {
  # Third-party lists this machine cannot reach only warn; Debian's own must come through.
  apt-get update -o Acquire::Retries=3 || log "apt-get update reported errors; going on"
}

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then return; fi
  need_root
  log "installing: ${missing[*]}"
  apt_update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# Where the kernel executes no 32-bit x86 code, the Wine tests run the shipped 32-bit programs
# through qemu-i386 10 or later, from bookworm-backports (bookworm's own 7.2 takes about 50 s of
# CPU to start one Wine process). Only the package with the emulators is installed, not the one
# that registers them with the system: scripts/wine32.sh registers qemu-i386 in a binfmt_misc
# instance of its own, which ends with the command it runs.
install_qemu() {
  if [ "${VELMORA_WINE32:-}" != qemu ] && velmora_native32; then return; fi
  local installed
  installed=$(dpkg-query -W -f='${Status} ${Version}' qemu-user 2>/dev/null || true)
  case "$installed" in "install ok installed 1:1"[0-9].* | "install ok installed 1:"[2-9][0-9].*) return ;; esac
  need_root
  if ! grep -rqsE '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    cat >/etc/apt/sources.list.d/velmora-backports.sources <<'EOF'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  fi
  log "installing qemu-user from bookworm-backports: this machine runs no 32-bit code"
  apt_update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends -t bookworm-backports qemu-user
}

install_locale() {
  if locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then return; fi
  need_root
  log "generating zh_CN.UTF-8"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
}

# Unpacks a Debian source package into WORK/src and prints that folder.
fetch_source() {
  local pkg=$1 work=$2
  (cd "$work" && apt-get source --download-only "$pkg" >/dev/null 2>&1 ||
    { apt_update >/dev/null 2>&1; apt-get source --download-only "$pkg" >/dev/null; })
  # apt-get checked the files against the signed archive; dpkg-source would only warn about keys.
  (cd "$work" && dpkg-source -x ./*.dsc src >/dev/null 2>"$work/unpack.log") || { cat "$work/unpack.log" >&2; return 1; }
  echo "$work/src"
}

source_version() { apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2; exit}'; }

# Cross-builds a source package for TRIPLE into PREFIX with BUILD_FUNCTION SRC WORK TRIPLE PREFIX,
# unless the stamp says that this version is already there.
cross_build() {
  local pkg=$1 library=$2 build=$3 triple=$4 prefix=$5 version work src
  local stamp="$prefix/.$pkg"
  version=$(source_version "$pkg")
  if [ -n "$version" ] && [ -f "$prefix/lib/$library" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$version" ]; then
    return
  fi
  log "cross-building $pkg $version for $triple"
  mkdir -p "$prefix"
  work=$(mktemp -d)
  src=$(fetch_source "$pkg" "$work")
  "$build" "$src" "$work" "$triple" "$prefix"
  echo "$version" >"$stamp"
  rm -rf "$work"
}

build_liblzma() { # static, single-threaded, library only
  (cd "$1" && ./configure --host="$3" --prefix="$4" \
      --enable-static --disable-shared --enable-threads=no \
      --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo --disable-lzma-links \
      --disable-scripts --disable-doc --disable-nls >/dev/null &&
    make -j"$(nproc)" -C src/liblzma >/dev/null && make -C src/liblzma install >/dev/null)
}

build_libjpeg() { # static, API 62, no SIMD
  cmake -S "$1" -B "$2/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR="${3%%-*}" \
    -DCMAKE_C_COMPILER="$3-gcc" -DCMAKE_RC_COMPILER="$3-windres" \
    -DCMAKE_INSTALL_PREFIX="$4" -DCMAKE_INSTALL_LIBDIR="$4/lib" \
    -DCMAKE_INSTALL_INCLUDEDIR="$4/include" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF \
    -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -Wno-dev >/dev/null
  cmake --build "$2/build" >/dev/null
  cmake --install "$2/build" >/dev/null
}

add_sources
install_packages
install_qemu
install_locale
for target in "i686-w64-mingw32 $VELMORA_DEPS" "x86_64-w64-mingw32 $VELMORA_DEPS64"; do
  set -- $target
  cross_build xz-utils liblzma.a build_liblzma "$1" "$2"
  cross_build libjpeg-turbo libjpeg.a build_libjpeg "$1" "$2"
done
log "ready (cross dependencies in $VELMORA_DEPS and $VELMORA_DEPS64)"
