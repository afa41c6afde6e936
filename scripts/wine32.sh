#!/usr/bin/env bash
# Runs COMMAND where Wine can start the shipped 32-bit programs:
#   wine32.sh COMMAND [ARGS...]
# Where the kernel executes 32-bit x86 code, COMMAND runs as it is. Where it does not, COMMAND runs
# in a user namespace of its own with a private binfmt_misc instance (Linux 6.7 and later) in which
# qemu-i386, version 10 or later, is registered for i386 ELF programs: Wine's 32-bit loader and
# everything it starts then run emulated. Nothing on the machine changes; the registration ends
# with COMMAND. Where neither works, COMMAND runs with VELMORA_WINE_ARCH=x86_64, so that the Wine
# scripts take the 64-bit build. VELMORA_WINE32 (native, qemu or none) forces the route; see
# velmora_wine32 in env.sh.
set -euo pipefail
. "$(dirname "$0")/env.sh"

if [ $# = 0 ] || [ "$1" = --help ]; then
  sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
  exit $(($# == 0 ? 2 : 0))
fi

# The interpreter gets the i386 ELF magic and mask that the qemu-user package ships. Flags: F opens
# qemu-i386 now, so that it is found whatever the program's root and mounts; P hands the program
# its own argv[0].
register_qemu() {
  local conf=/usr/share/qemu/binfmt.d/qemu-i386.conf qemu major name type offset magic mask rest
  qemu=$(command -v qemu-i386) || { echo "wine32: qemu-i386 is not installed" >&2; return 1; }
  major=$("$qemu" --version | sed -n '1s/^qemu-i386 version \([0-9]*\).*/\1/p')
  [ "${major:-0}" -ge 10 ] || { echo "wine32: $qemu is older than version 10, far too slow for Wine" >&2; return 1; }
  IFS=: read -r _ name type offset magic mask rest <"$conf" || { echo "wine32: no $conf" >&2; return 1; }
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  echo ":velmora-i386:$type:$offset:$magic:$mask:$qemu:FP" >/proc/sys/fs/binfmt_misc/register
}

if [ "${1:-}" = --in-namespace ]; then
  shift
  register_qemu || { echo "wine32: cannot register qemu-i386 in a private binfmt_misc instance" >&2; exit 1; }
  export VELMORA_WINE32=qemu VELMORA_WINE_ROUTE=qemu VELMORA_WINE_ARCH=i686
  exec "$@"
fi

route=$(velmora_wine32)
# VELMORA_WINE_ROUTE tells the Wine scripts (tests/wine/wine-env.sh) how they were started.
export VELMORA_WINE32=$route VELMORA_WINE_ROUTE=$route
case "$route" in
  native)
    export VELMORA_WINE_ARCH=i686
    exec "$@"
    ;;
  qemu)
    # --kill-child: when unshare is ended (a test's timeout), the command it started goes too.
    exec unshare --user --map-root-user --mount --fork --kill-child bash "$0" --in-namespace "$@"
    ;;
  *)
    export VELMORA_WINE_ARCH=x86_64
    exec "$@"
    ;;
esac
