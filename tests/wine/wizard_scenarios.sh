#!/usr/bin/env bash
# The wizard under Wine in the situations around an installation: a window dragged to a new place,
# an earlier installation removed through its uninstaller, a running product that blocks the way, a
# damaged payload, and a cancel during extraction in a folder holding the user's own files.
#   wizard_scenarios.sh VELMORA_PACK WIN_BUILD WORKDIR
set -euo pipefail
pack=$1 win=$2 work=$3
. "$(dirname "$0")/wine-env.sh"
. "$(dirname "$0")/wizard-driver.sh"
wine_start "$work"

run="$work/wizard-scenarios"
fresh_setup "$run"
setup="$run/VelmoraSetup.exe"
installed=$(installed_folder)

clean() {
  wineserver -k >/dev/null 2>&1 || true
  clear_installation
}
fail() { echo "$1" >&2; import -window root "$run/failure.png"; exit 1; }

echo "== a dragged window stays where the user put it"
clean
start_setup "$setup"
from_x=$X from_y=$Y
# Drag by the welcome picture, in steps as a hand moves.
xdotool mousemove $((X + 100)) $((Y + 300)) mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove $((X + 100 - 10 * step)) $((Y + 300 - 12 * step)); sleep 0.1; done
xdotool mouseup 1
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
[ "$X" = $((from_x - 60)) ] && [ "$Y" = $((from_y - 72)) ] || fail "the drag moved the window to $X,$Y from $from_x,$from_y"
at_x=$X at_y=$Y
stays() { # WHEN: the window is still where the drag put it
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
  [ "$X" = "$at_x" ] && [ "$Y" = "$at_y" ] || fail "after $1 the window is at $X,$Y, not where it was dragged ($at_x,$at_y)"
}
next_on_welcome           # the click, then the environment check's timer and its move
stays "the environment check"
next_on_features
agree_and_next
stays "the licence page"
click 32 123 307 20 0.5   # into the installation folder's edit, then typing
xdotool type --delay 100 'ab'
sleep 1
stays "typing"
# What was typed stands in the edit as typed: the wizard's own updates after each key leave the
# caret where it was.
wine "$win/tests/win/access-check.exe" tree | tr -d '\r' | grep -qE '^2\|edit\|安装目录\|[^|]*ab[^|]*\|' ||
  fail "the typed text is not in the installation folder's edit as typed"
click 405 355 88 23       # location: Cancel
answer Return             # Yes, quit
setup_ended 10 || fail "the wizard did not end after quitting"

echo "== an earlier installation is removed through its uninstaller"
clean
start_setup "$setup"
next_on_welcome
next_on_features
agree_and_next
install_on_location
wait_page finish || fail "the first installation did not reach the finish page"
click 193 167 247 15      # finish: do not start the product
finish_on_finish
setup_ended 10 || fail "the first installation did not end"
[ -f "$installed/DeskClient.exe" ] || fail "the first installation installed nothing"

start_setup "$setup"
click 306 355 89 23 0     # welcome: Next; the check finds the uninstall entry and asks
answer Return             # Yes: the uninstaller runs and reports back; the check runs again
features_shown || fail "the features page did not follow the uninstaller"
import -window root "$run/after-uninstall.png"
[ -z "$(reg_value "$uninstall_key" UninstallString)" ] || fail "the uninstall entry is still there"
[ -z "$(reg_value "$app_key" AppPath)" ] || fail "the application key is still there"
[ ! -f "$installed/DeskClient.exe" ] || fail "the uninstaller left the product"
click 406 355 88 23       # features (reached after the second check): Cancel
answer Return             # Yes, quit
setup_ended 10 || fail "the wizard did not end after quitting"

echo "== a running product blocks the way until given up"
clean
wine "$win/demo/product/DeskClient.exe" &
for _ in $(seq 150); do
  xdotool search --onlyvisible --name "Velmora 客户端" >/dev/null 2>&1 && break
  sleep 0.2
done
start_setup "$setup"
click 306 355 89 23 0     # welcome: Next; the window scan finds the product: Retry or Cancel
answer Escape             # Cancel: the program ends
setup_ended 10 || fail "the wizard did not end after Cancel"
wineserver -k >/dev/null 2>&1 || true

echo "== a damaged payload stops the installation"
clean
python3 - "$setup" "$run/Damaged.exe" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
region = len(data) - struct.unpack("<I", data[-4:])[0]  # behind the image and its padding
data[region + 5] ^= 0xFF  # the range coder's first byte
open(sys.argv[2], "wb").write(data)
PY
start_setup "$run/Damaged.exe"
next_on_welcome
next_on_features
agree_and_next
install_on_location
shown=$(message_box)
echo "$shown" | grep -qF "(error code 8004)" || fail "expected error 8004, saw: $shown"
answer Return             # its OK; then the close question
shown=$(message_box)
echo "$shown" | grep -qF "确认退出安装程序？" || fail "expected the install-time question, saw: $shown"
answer n                  # No: the wizard stays on the progress page
kill -0 "$SETUP_PID" 2>/dev/null || fail "the wizard ended after answering No"
[ -z "$(reg_value "$app_key" AppPath)" ] || fail "post-install steps ran after a failed extraction"
click 406 357 88 23       # progress: Cancel
answer Return             # Yes: roll back and end
setup_ended 10 || fail "the wizard did not end after the rollback"
[ -z "$(find "$installed" -type f 2>/dev/null)" ] || fail "files remain after the rollback"
echo "== cancelling during extraction rolls back what the run wrote, and only that"
clean
long_setup "$run/big" "$run/Big.exe"
# The user's own files in the installation folder: one where the archive's last data file goes,
# which the extraction will not have reached when the user cancels, and one that no entry names.
last=$("$pack" list "$run/Big.exe" | grep -o 'data/part[0-9]*\.dat$' | tail -1)
[ "$last" = data/part399.dat ] || fail "unexpected last data file '$last'"
mkdir -p "$installed/data"
echo mine >"$installed/$last"
echo notes >"$installed/notes.txt"
start_setup "$run/Big.exe"
next_on_welcome
next_on_features
agree_and_next
install_on_location 0
# The installation is held where extraction is under way: the setup is stopped as soon as the first
# data file is there, and the Cancel click waits in its queue until it goes on. The close question
# then comes at the engine's next message point and holds the installation until it is answered.
hold_at_first_data_file
click 406 357 88 23 0      # progress: Cancel
go_on
shown=$(message_box)
echo "$shown" | grep -qF "确认退出安装程序？" || fail "expected the install-time question, saw: $shown"
written=$(find "$installed/data" -name 'part*.dat' ! -path "$installed/$last" | wc -l)
[ "$written" -ge 1 ] && [ "$written" -lt 399 ] || fail "the question came with $written of 399 data files written"
echo "   the question came with $written of 399 data files written"
answer Return              # Yes: roll back
setup_ended 15 || fail "the wizard did not end after cancelling"
[ "$(cat "$installed/$last" 2>/dev/null)" = mine ] || fail "the user's file at $last did not survive the cancel"
[ "$(cat "$installed/notes.txt" 2>/dev/null)" = notes ] || fail "the user's notes.txt did not survive the cancel"
left=$(find "$installed" -type f ! -path "$installed/$last" ! -path "$installed/notes.txt")
[ -z "$left" ] || fail "files of the run remain after cancelling: $(echo "$left" | head -3)"
[ -z "$(reg_value "$app_key" AppPath)" ] || fail "the application key remains after cancelling"
echo "all scenarios behaved"
