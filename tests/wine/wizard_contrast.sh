#!/usr/bin/env bash
# The wizard under high contrast in Wine, with the High Contrast Black colours. The setup starts
# with the setting off, which leaves the pictures and the artwork's look; the setting is then turned
# on while it runs (Wine answers no question about it, so the wizard reads the value the system keeps
# it in) and the wizard told, as the system tells it, and it must repaint in the system's colours.
# Every page is then shot and each of its texts (labels, the texts of the page pictures, captions,
# the edits and the licence) checked readable: they contrast with what they lie on as the scheme
# asks, where the pictures would put the scheme's white text on light artwork.
#   wizard_contrast.sh VELMORA_PACK WIN_BUILD ART_DIR WORKDIR
set -euo pipefail
pack=$1 win=$2 art=$3 work=$4
here=$(dirname "$0")
. "$here/wine-env.sh"
. "$here/wizard-driver.sh"
wine_start "$work"

run="$work/wizard-contrast"
check="$win/tests/win/access-check.exe"
helper="$win/tests/win/fault-helper.exe"
hc_key='HKCU\Control Panel\Accessibility\HighContrast'
long_setup "$run/long" "$run/Long.exe"
clear_installation
# contrast on|off: the high-contrast setting, as the system keeps it.
contrast() { wine reg add "$hc_key" /v Flags /t REG_SZ /d "$([ "$1" = on ] && echo 127 || echo 126)" /f >/dev/null 2>&1; }

shot() { import -window root -crop 508x395+$X+$Y +repage "$run/$1.png"; }
look() { python3 "$here/look_check.py" "$art" "$1" "$run/$2.png" "${@:3}"; }
# steady NAME: shoots the window as NAME until two shots in a row agree (a repaint has ended).
steady() {
  local seen="" now
  for _ in $(seq 120); do
    shot "$1"
    now=$(convert "$run/$1.png" rgb:- | md5sum)
    [ "$now" = "$seen" ] && return 0
    seen=$now
    sleep 0.5
  done
}
# page NAME HEADING: waits until the page of that heading holds the focus, then shoots it steady.
page() {
  for _ in $(seq 300); do
    wine "$check" tree 2>/dev/null | tr -d '\r' | grep -qF "1|dialog|$2||focused,focusable||" && break
    sleep 0.5
  done
  steady "$1"
}
# readable NAME L T R B...: every box of the shot holds readable text.
readable() {
  local name=$1
  shift
  while [ $# -gt 0 ]; do
    look readable "$name" "$1" "$2" "$3" "$4"
    shift 4
  done
}

contrast off
saved=$(wine "$helper" contrast | tr -d '\r')
trap 'wine "$helper" restore $saved >/dev/null 2>&1 || true; contrast off; wine_stop' EXIT
start_setup "$run/Long.exe"
# With the setting off the welcome picture shows, its light grey band where the page is empty.
shot welcome-pictures
look colour welcome-pictures 40 300 not 0 0 0
contrast on
wine "$helper" changed
# The wizard repaints in the system's colours: the scheme's black where the picture was.
for _ in $(seq 120); do
  shot welcome
  look colour welcome 40 300 0 0 0 >/dev/null 2>&1 && break
  sleep 0.5
done
look colour welcome 40 300 0 0 0
page welcome '欢迎使用 Velmora 安装程序'
readable welcome 194 44 400 64  194 82 491 100  194 109 491 137  194 173 491 201  306 355 395 378  406 355 494 378

xdotool key alt+n
page features '软件功能介绍'
readable features 26 42 200 62  25 61 378 82  26 114 190 130  192 117 480 138  307 355 396 378

xdotool key alt+n
page licence '软件安装协议'
readable licence 48 43 200 63  48 66 401 87  48 118 441 281  47 287 478 317  49 316 402 338
xdotool key Tab Tab Tab space alt+n
page location '选择安装位置'
readable location 30 36 200 56  30 63 330 79  34 94 100 110  32 123 339 143  33 175 400 191  35 235 204 253 \
  306 355 395 378

xdotool key alt+i
hold_at_first_data_file   # the setup is stopped: its page is shot, not asked
steady progress
go_on
readable progress 31 41 200 61  32 65 300 81  29 128 400 144
# The bar is the highlight colour on the black window, and its track's outline the text colour.
look colour progress 33 160 26 235 255
look colour progress 28 160 255 255 255

for _ in $(seq 600); do
  wine "$check" tree 2>/dev/null | tr -d '\r' | grep -qF '2|button|完成(F)||focusable|Alt+F|按下' && break
  sleep 0.5
done
# The consoles of the registration batches took the activation; a click on an empty part of the
# page gives it back, as on Windows their closing would.
click 40 300 20 20 1
page finish 'Velmora 安装成功'
readable finish 194 44 400 64  193 167 440 182  193 248 442 265  308 353 397 376
xdotool key Tab Tab space alt+f   # untick the product's start, then Finish
setup_ended 15 || { echo "Finish did not end the wizard" >&2; exit 1; }

# The environment check waits under its question when it finds the installation just made.
start_setup "$run/Long.exe"
xdotool key alt+n
message_box aside >/dev/null
for _ in $(seq 120); do
  shot environment
  look readable environment 38 43 200 60 >/dev/null 2>&1 && break
  sleep 0.5
done
readable environment 38 43 200 60  38 70 300 86  36 161 300 177
answer Escape
setup_ended 10 || { echo "the wizard did not end after No" >&2; exit 1; }
echo "every page readable under High Contrast Black; screenshots in $run"
