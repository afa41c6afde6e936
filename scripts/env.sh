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

# Whether the kernel itself executes 32-bit x86 programs: Wine's 32-bit loader starts. Where an
# emulator is registered machine-wide for i386 programs (a binfmt_misc entry with their ELF magic),
# that alone would make the loader start, emulated; there the loader is tried in a user namespace
# with a binfmt_misc instance of its own, empty, so that only the kernel's own loader is left.
velmora_native32() {
  local entry
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] && head -1 "$entry" 2>/dev/null | grep -qx enabled &&
      grep -Eq '^magic 7f454c460101[0-9a-f]{20}0[23]000300$' "$entry" || continue
    unshare --user --map-root-user --mount sh -c \
      'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc && exec /usr/lib/wine/wine --version' >/dev/null 2>&1
    return
  done
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The build of the Windows programs that Wine on this machine runs natively: the shipped 32-bit
# build (i686) where the kernel executes 32-bit x86 code, else the same sources built for 64-bit
# Windows (x86_64). Some virtual machines run 64-bit user code only; there Wine's 32-bit loader
# fails with "Exec format error". VELMORA_WINE_ARCH forces the answer. The benchmarks time this
# build: an emulated run says nothing about speed.
velmora_wine_arch() {
  if [ -n "${VELMORA_WINE_ARCH:-}" ]; then
    echo "$VELMORA_WINE_ARCH"
  elif velmora_native32; then
    echo i686
  else
    echo x86_64
  fi
}

# How the Wine tests and the demo run the shipped 32-bit programs (scripts/wine32.sh):
#   native  the kernel executes 32-bit code
#   qemu    through qemu-i386, registered in a binfmt_misc instance private to a user namespace
#   none    neither works here: the 64-bit build of the same sources runs instead
# VELMORA_WINE32 forces the answer, so that the emulated route can be tried where 32-bit code also
# runs natively (a binfmt_misc entry is tried before the kernel's own ELF loader). It is read when
# build.sh configures the test tree (so by test.sh and demo.sh too), not by ctest itself.
velmora_wine32() {
  if [ -n "${VELMORA_WINE32:-}" ]; then
    case "$VELMORA_WINE32" in
      native | qemu | none) echo "$VELMORA_WINE32" ;;
      *) echo "VELMORA_WINE32 is '$VELMORA_WINE32'; it takes native, qemu or none" >&2; return 1 ;;
    esac
  elif [ "${VELMORA_WINE_ARCH:-}" = x86_64 ]; then
    echo none
  elif velmora_native32; then
    echo native
  elif VELMORA_WINE32=qemu bash "$VELMORA_ROOT/scripts/wine32.sh" /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo qemu
  else
    echo none
  fi
}

# velmora_wine32_says ROUTE: one line saying which build the Wine programs are and how they run.
velmora_wine32_says() {
  case "$1" in
    native) echo "the shipped 32-bit build (i686), run natively" ;;
    qemu) echo "the shipped 32-bit build (i686), run through $(qemu-i386 --version | head -1 | cut -d' ' -f1-3) in a private binfmt_misc instance" ;;
    *) echo "NOT the shipped build: the 64-bit build (x86_64) of the same sources, since this machine runs no 32-bit code and qemu-i386 10 could not be used here" ;;
  esac
}
