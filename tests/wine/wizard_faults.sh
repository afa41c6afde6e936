#!/usr/bin/env bash
# The wizard under Wine when the system gets in the way of an installation: a setup cut short, a
# damaged trailer, a product file held open by another program, an installation folder on a
# read-only mount and one on a volume that fills up. Each must show its error, then the install-time
# question; answered Yes, the wizard rolls back and ends, leaving no temporary file, no application
# key and no file that the run created. The two mounted cases need the right to mount; without it
# they are skipped, and the script says so.
#   wizard_faults.sh VELMORA_PACK WIN_BUILD WORKDIR
set -euo pipefail
pack=$1 win=$2 work=$3
. "$(dirname "$0")/wine-env.sh"
. "$(dirname "$0")/wizard-driver.sh"
wine_start "$work"

run="$work/wizard-faults"
fresh_setup "$run"
setup="$run/VelmoraSetup.exe"
installed=$(installed_folder)

mounted=""
release_mount() {
  if [ -n "$mounted" ]; then
    umount "$mounted" 2>/dev/null || true
    mounted=""
  fi
}
trap 'wine_stop; release_mount' EXIT

clean() {
  wineserver -k >/dev/null 2>&1 || true
  release_mount
  clear_installation
  find "$WINEPREFIX/drive_c/users" -name 'kestrin.setupfile*' -delete 2>/dev/null || true
}
fail() { echo "$1" >&2; import -window root "$run/failure.png"; exit 1; }

mkdir -p "$run/probe"
can_mount=0
if mount -t tmpfs -o size=16k tmpfs "$run/probe" 2>/dev/null; then
  umount "$run/probe"
  can_mount=1
fi

# install SETUP: through the pages to the Install button, which is pressed.
install() {
  start_setup "$1"
  next_on_welcome
  next_on_features
  agree_and_next
  install_on_location 0
}

# fails_with CODE: the wizard shows error CODE; OK, then the install-time question; Yes, and the
# wizard rolls back and ends.
fails_with() {
  local shown
  shown=$(message_box)
  echo "$shown" | grep -qF "(error code $1)" || fail "expected error $1, saw: $shown"
  echo "   shown: $shown"
  answer Return
  shown=$(message_box)
  echo "$shown" | grep -qF "确认退出安装程序？" || fail "expected the install-time question, saw: $shown"
  answer Return
  setup_ended 15 || fail "the wizard did not end after the rollback"
}

# nothing_left [KEPT]: no temporary file, no registry value of the run, and no file in the
# installation folder but KEPT (a path below it).
nothing_left() {
  local temp files keep=()
  [ -z "${1:-}" ] || keep=(! -path "./$1")
  temp=$(find "$WINEPREFIX/drive_c/users" -name 'kestrin.setupfile*' 2>/dev/null)
  [ -z "$temp" ] || fail "temporary files remain: $temp"
  [ -z "$(reg_value "$app_key" AppPath)" ] || fail "the application key remains"
  [ -z "$(reg_value "$uninstall_key" UninstallString)" ] || fail "the uninstall entry remains"
  files=$(cd "$installed" 2>/dev/null && find . -type f "${keep[@]}" | head -3)
  [ -z "$files" ] || fail "files of the run remain: $files"
}

echo "== a setup cut short inside its compressed data (error 8001)"
clean
python3 - "$setup" "$run/Cut.exe" "$(stat -c %s "$win/VelmoraSetup-stub.exe")" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
# Halfway through the block; the four bytes that now end the file must not read as a region that
# fits it, or the cut file would copy out a meaningless block (error 8004) instead.
cut = (int(sys.argv[3]) + len(data)) // 2
while 9 <= struct.unpack("<I", data[cut - 4:cut])[0] <= cut:
    cut += 1
open(sys.argv[2], "wb").write(data[:cut])
PY
install "$run/Cut.exe"
fails_with 8001
nothing_left

echo "== a trailer one too large, so the block would start in the program image (error 8004)"
clean
python3 - "$setup" "$run/Trailer.exe" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
data[-4:] = struct.pack("<I", struct.unpack("<I", data[-4:])[0] + 1)
open(sys.argv[2], "wb").write(data)
PY
install "$run/Trailer.exe"
fails_with 8004
nothing_left

echo "== the product file held open by another program (error 8003)"
clean
mkdir -p "$installed"
hold "$(installed_windows)DeskClient.exe" || fail "the helper did not open the product file"
install "$setup"
fails_with 8003
nothing_left DeskClient.exe
[ -f "$installed/DeskClient.exe" ] && [ ! -s "$installed/DeskClient.exe" ] ||
  fail "the held file was replaced or removed"

echo "== an installation folder on a read-only mount (error 8003)"
clean
mkdir -p "$installed"
if [ "$can_mount" = 1 ]; then
  mount --bind "$installed" "$installed" && mounted=$installed
  mount -o remount,bind,ro "$installed"
elif [ "$(id -u)" != 0 ]; then
  chmod a-w "$installed"
fi
if [ "$can_mount" = 1 ] || [ "$(id -u)" != 0 ]; then
  install "$setup"
  fails_with 8003
  nothing_left
  chmod u+w "$installed" 2>/dev/null || true
else
  echo "skipped: mounting is refused here, and the superuser writes into any folder"
fi

echo "== an installation folder on a volume of 128 KiB that fills up (error 8003)"
clean
if [ "$can_mount" = 1 ]; then
  mkdir -p "$installed"
  mount -t tmpfs -o size=128k tmpfs "$installed" && mounted=$installed
  install "$setup"
  fails_with 8003
  nothing_left
else
  echo "skipped: mounting a small volume is refused here"
fi
clean
echo "all faults handled"
