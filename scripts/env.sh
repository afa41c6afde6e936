# Shared settings for the project's scripts; sourced, never run.
# Cross-built Windows dependencies live outside the work tree so fresh clones reuse them: for the
# shipped 32-bit programs, and for the 64-bit build that Wine runs where 32-bit code cannot run.
: "${VELMORA_DEPS:=/var/cache/velmora/i686-w64-mingw32}"
: "${VELMORA_DEPS64:=/var/cache/velmora/x86_64-w64-mingw32}"
export VELMORA_DEPS VELMORA_DEPS64
VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELMORA_ROOT
: "${VELMORA_BUILD:=$VELMORA_ROOT/build}"
export VELMORA_BUILD

# The programs the Wine tests and the demo run: the shipped 32-bit build (i686) where this machine
# can execute 32-bit x86 code, else the same sources built for 64-bit Windows (x86_64). Some
# virtual machines run 64-bit user code only; there Wine's 32-bit loader fails with "Exec format
# error" and no 32-bit program can start.
velmora_wine_arch() {
  if [ -n "${VELMORA_WINE_ARCH:-}" ]; then
    echo "$VELMORA_WINE_ARCH"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
  else
    echo x86_64
  fi
}
