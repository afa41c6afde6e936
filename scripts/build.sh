#!/usr/bin/env bash
# Configures and builds the trees: build/win (the shipped 32-bit Windows programs, cross-compiled),
# build/win64 (the same programs for 64-bit Windows, only where Wine cannot run 32-bit code here)
# and build/host (velmora-pack and the tests). Expects scripts/install-deps.sh to have run.
set -euo pipefail
. "$(dirname "$0")/env.sh"

windows_tree() { # TREE TRIPLE DEPS
  cmake -S "$VELMORA_ROOT" -B "$VELMORA_BUILD/$1" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/$2.cmake" -DVELMORA_DEPS="$3" >/dev/null
  cmake --build "$VELMORA_BUILD/$1"
}

windows_tree win i686-w64-mingw32 "$VELMORA_DEPS"
wine_arch=$(velmora_wine_arch)
wine_tree=win
if [ "$wine_arch" = x86_64 ]; then
  echo "build: this machine cannot execute 32-bit x86 code; Wine runs a 64-bit build (build/win64)"
  windows_tree win64 x86_64-w64-mingw32 "$VELMORA_DEPS64"
  wine_tree=win64
fi

cmake -S "$VELMORA_ROOT" -B "$VELMORA_BUILD/host" -G Ninja -DVELMORA_WIN_BUILD="$VELMORA_BUILD/win" \
  -DVELMORA_WINE_BUILD="$VELMORA_BUILD/$wine_tree" -DVELMORA_WINE_ARCH="$wine_arch" >/dev/null
cmake --build "$VELMORA_BUILD/host"
