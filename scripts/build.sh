#!/usr/bin/env bash
# Configures and builds both trees: build/win (the Windows programs, cross-compiled) and build/host
# (velmora-pack and the tests). Expects scripts/install-deps.sh to have run.
set -euo pipefail
. "$(dirname "$0")/env.sh"

cmake -S "$VELMORA_ROOT" -B "$VELMORA_BUILD/win" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/i686-w64-mingw32.cmake" -DVELMORA_DEPS="$VELMORA_DEPS" >/dev/null
cmake --build "$VELMORA_BUILD/win"

cmake -S "$VELMORA_ROOT" -B "$VELMORA_BUILD/host" -G Ninja -DVELMORA_WIN_BUILD="$VELMORA_BUILD/win" >/dev/null
cmake --build "$VELMORA_BUILD/host"
