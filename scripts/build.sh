#!/usr/bin/env bash
# Configures and builds the trees: build/win (the shipped 32-bit Windows programs, cross-compiled),
# build/host (velmora-pack and the tests) and, where needed, build/win64 (the same programs for
# 64-bit Windows): for the Wine tests where this machine can run 32-bit code neither natively nor
# through qemu-i386, and with --native for the benchmarks where it cannot run it natively, since
# they time the build that Wine runs natively. Expects scripts/install-deps.sh to have run.
#   build.sh [--native]
set -euo pipefail
. "$(dirname "$0")/env.sh"

windows_tree() { # TREE TRIPLE DEPS
  cmake -S "$VELMORA_ROOT" -B "$VELMORA_BUILD/$1" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/$2.cmake" -DVELMORA_DEPS="$3" >/dev/null
  cmake --build "$VELMORA_BUILD/$1"
}

windows_tree win i686-w64-mingw32 "$VELMORA_DEPS"
route=$(velmora_wine32)
wine_tree=win wine_arch=i686
if [ "$route" = none ]; then
  echo "build: this machine runs 32-bit code neither natively nor through qemu-i386; the Wine tests run a 64-bit build (build/win64)"
  wine_tree=win64 wine_arch=x86_64
fi
if [ "$route" = none ] || { [ "${1:-}" = --native ] && [ "$(velmora_wine_arch)" = x86_64 ]; }; then
  windows_tree win64 x86_64-w64-mingw32 "$VELMORA_DEPS64"
fi

cmake -S "$VELMORA_ROOT" -B "$VELMORA_BUILD/host" -G Ninja -DVELMORA_WIN_BUILD="$VELMORA_BUILD/win" \
  -DVELMORA_WINE_BUILD="$VELMORA_BUILD/$wine_tree" -DVELMORA_WINE_ARCH="$wine_arch" \
  -DVELMORA_WINE32="$route" >/dev/null
cmake --build "$VELMORA_BUILD/host"
