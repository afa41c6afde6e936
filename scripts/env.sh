# Shared settings for the project's scripts; sourced, never run.
# Cross-built Windows dependencies live outside the work tree so fresh clones reuse them.
: "${VELMORA_DEPS:=/var/cache/velmora/i686-w64-mingw32}"
export VELMORA_DEPS
VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELMORA_ROOT
: "${VELMORA_BUILD:=$VELMORA_ROOT/build}"
export VELMORA_BUILD
