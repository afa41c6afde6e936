#!/usr/bin/env bash
# The wizard's looks and its keyboard under Wine: every page is photographed and checked at pixels
# against the artwork (window shape, button bitmaps under their captions, hot and pressed looks,
# label text over the pictures, radio glyph cells, the progress bar), the close buttons' tooltips,
# access keys and paging keys, and a whole installation made with the keyboard alone. All of it runs
# twice: with the prefix's visual styles off (classic check-box and radio glyphs, the memo's flat
# one-pixel border, the radio strip's keyed-out corners) and on (Wine's light theme: themed glyphs
# and border, the radio corners painted white), each with the looks that depend on it checked.
#   wizard_look.sh VELMORA_PACK WIN_BUILD ART_DIR WORKDIR
# The screenshots of the last run stay in WORKDIR/wizard-look/styles-off and styles-on.
set -euo pipefail
pack=$1 win=$2 art=$3 work=$4
here=$(dirname "$0")
. "$here/wine-env.sh"
. "$here/wizard-driver.sh"
wine_start "$work"

fresh_setup "$work/wizard-look"
setup="$work/wizard-look/VelmoraSetup.exe"
installed=$(installed_folder)
theme_key='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
light='C:\windows\resources\themes\light\light.msstyles'

# visual_styles off|on: the prefix's theme for the programs started from now on.
visual_styles() {
  wineserver -k >/dev/null 2>&1 || true
  if [ "$1" = on ]; then
    wine reg add "$theme_key" /v DllName /d "$light" /f >/dev/null 2>&1
    wine reg add "$theme_key" /v ThemeActive /d 1 /f >/dev/null 2>&1
  else
    wine reg add "$theme_key" /v ThemeActive /d 0 /f >/dev/null 2>&1
  fi
  wineserver -w
}

# shot NAME: the window's rectangle as NAME.png.
shot() { import -window root -crop 508x395+$X+$Y +repage "$run/$1.png"; }
check() { python3 "$here/look_check.py" "$art" "$1" "$run/$2.png" "${@:3}"; }
# settled NAME CHECK [ARGS...]: shoots NAME until the check passes on a picture that the next shot
# shows unchanged, for a state that the wizard reaches in its own time and then keeps (a page, a
# repaint); after a minute, the check's failure.
settled() {
  local name=$1 kind=$2 seen="" now
  shift 2
  for _ in $(seq 120); do
    shot "$name"
    now=$(convert "$run/$name.png" rgb:- | md5sum)
    if [ "$now" = "$seen" ] && check "$kind" "$name" "$@" >/dev/null 2>&1; then return 0; fi
    seen=$now
    sleep 0.5
  done
  check "$kind" "$name" "$@"
}
# shows NAME CHECK [ARGS...]: shoots NAME until the check passes, for a look the wizard reaches in
# its own time after an input and keeps while nothing else happens; after a minute, the failure.
shows() {
  local name=$1 kind=$2
  shift 2
  for _ in $(seq 120); do
    shot "$name"
    check "$kind" "$name" "$@" >/dev/null 2>&1 && return 0
    sleep 0.5
  done
  check "$kind" "$name" "$@"
}
# point LEFT TOP: the pointer at a place of the window; away: over an empty part of the picture.
point() { xdotool mousemove $((X + $1)) $((Y + $2)); sleep "${3:-0.6}"; }
away() { point 120 380; }
key() { xdotool key "$@"; sleep 1; }

# syscolour NAME: the system colour as the prefix has it, "R G B".
syscolour() {
  wine reg query 'HKCU\Control Panel\Colors' /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { print $3, $4, $5 }'
}

# look_run off|on: the whole walk through the wizard with the visual styles so.
look_run() {
local styles=$1
run="$work/wizard-look/styles-$styles"
mkdir -p "$run"
wineserver -k >/dev/null 2>&1 || true
clear_installation
visual_styles "$styles"
echo "==== visual styles $styles"
local shadow dark
shadow=$(syscolour ButtonShadow) dark=$(syscolour ButtonDkShadow)
[ -n "$shadow" ] && [ -n "$dark" ] || { echo "no system colours in the prefix" >&2; exit 1; }
start_setup "$setup"
[ "$WIDTH" = 508 ] && [ "$HEIGHT" = 395 ] || { echo "the window is $WIDTH x $HEIGHT" >&2; exit 1; }

echo "== welcome: shape, buttons, labels"
away; shows welcome frame
check button welcome close up 481 4
check button welcome wide disabled 207 355
check button welcome wide up 306 355
check button welcome cancel up 406 355
check labels welcome welcome 194 82 491 100     # the heading
check labels welcome welcome 194 109 491 137    # a wrapping label

echo "== hot and pressed looks; a press released outside does not click"
point 350 366; shows welcome-hot button wide hot 306 355
xdotool mousedown 1; shows welcome-down button wide down 306 355
away; xdotool mouseup 1; sleep 1; shows welcome-released button wide up 306 355
check same welcome-released welcome 0 0 180 340   # still the welcome page

echo "== the close button's tooltip shows on the welcome page"
# The tip shows after the hover delay and would go a few seconds later: the helper keeps the
# wizard's tips up for as long as the pointer stays, so the tip is looked at once it is drawn.
wine "$win/tests/win/fault-helper.exe" tips
point 489 12 0.2
settled welcome-tip differ welcome 400 24 508 60  # the tip below the pointer
check button welcome-tip close hot 481 4
away

echo "== access keys: Alt+I is not on this page, Alt+N is"
key alt+i; shot welcome-alt-i
check same welcome-alt-i welcome 0 0 507 394
key alt+n; features_shown; shows features labels a 26 114 190 130
check button features wide disabled 207 355
point 489 12 2; shot features-tip
check same features-tip features 400 24 508 60
away

echo "== licence: the paging keys scroll the memo; Tab and Space agree"
key alt+n; shows licence button wide disabled 307 355
# The memo's border and chbAgree's glyph (at 49, 320: 22 high, centred).
if [ "$styles" = off ]; then
  check colour licence 48 200 $shadow            # one flat line in clBtnShadow...
  check colour licence 200 118 $shadow
  check colour licence 49 200 255 255 255        # ...and the white text area right inside it
  check colour licence 49 320 $shadow            # the classic sunken box: shadow, dark shadow, white
  check colour licence 50 321 $dark
  check colour licence 55 326 255 255 255
else
  check colour licence 49 200 not 255 255 255    # the platform's own border is wider than one pixel
  check differ licence ../styles-off/licence 48 130 50 270           # the memo border is not the flat line
  check differ licence ../styles-off/licence 49 320 62 333          # the themed glyph, not the classic
  check colour licence 49 320 not $shadow
fi
point 200 200; xdotool click 5; shows licence-wheel differ licence 58 120 420 280   # one notch down
xdotool click 4; away; shows licence-wheel-back same licence 58 120 420 280
key Tab Tab          # the close button, then the memo
# The memo's text from x = 58 on: the caret blinks at the start of its line.
key KP_3; shows licence-down differ licence 58 120 420 280
key KP_9; shows licence-up same licence 58 120 420 280
key Tab space; shows licence-agreed differ licence 49 316 70 338
check button licence-agreed wide up 307 355

echo "== location: radio cells; the arrow keys move the choice"
key alt+n; shows location radio 35 237 1
check radio location 35 264 0
# The radio strip's fuchsia corners: keyed out to the page picture without visual styles, painted
# white (clWindow) with them.
for corner in "35 237" "47 237" "35 249" "47 249" "35 264"; do
  if [ "$styles" = off ]; then check picture location location $corner; else check colour location $corner 255 255 255; fi
done
check colour location 36 127 255 255 255            # the folder edit is white inside its frame
check colour location 39 289 not 255 255 255        # the disabled one is not
check colour location 32 130 not 255 172 89         # its frame is grey...
point 150 133; shows location-hot colour 32 130 255 172 89   # ...and orange under the pointer
away
key Tab Tab Tab Tab   # close, browse, folder edit, rb1
key Down; shows location-rb2 radio 35 237 0
check radio location-rb2 35 264 1
check button location-rb2 wide up 362 284          # the second browse button shows
check colour location-rb2 39 289 255 255 255        # and the personal folder's edit turns white
key Up; shows location-rb1 radio 35 237 1

echo "== progress: the full bar, with the installation held where it copies midas.dll"
# A program holding the system folder's midas.dll stops the installation after its last entry,
# under the copy's message box, until the box is answered: the full bar stays on the screen.
hold 'C:\windows\system32\midas.dll'
xdotool key alt+i
shown=$(message_box aside)
echo "$shown" | grep -qF 'midas.dll" 失败，请关闭其他程序后重试。' || { echo "expected the midas.dll box, saw: $shown" >&2; exit 1; }
settled progress bar 461
release_hold
answer Return          # the information box's OK; then the same text asks Retry or Cancel
shown=$(message_box)
echo "$shown" | grep -qF 'midas.dll" 失败' && echo "$shown" | grep -qF '重试' ||
  { echo "expected the Retry question, saw: $shown" >&2; exit 1; }
answer Return          # Retry: the file is free now; the post-install steps follow
# The finish page: only the picture, the close button, four check boxes and three buttons, no label
# text.
settled finish page finish
check button finish wide up 308 353
# ch1's standard glyph at (193, 169), checked: classic with a black mark, or the theme's.
if [ "$styles" = off ]; then
  check colour finish 193 169 $shadow
  check colour finish 194 170 $dark
  check colour finish 199 175 0 0 0
else
  check differ finish ../styles-off/finish 193 169 206 182
  check colour finish 193 169 not $shadow
fi
# The batch files run after the copy open console windows, which take the keyboard; on a server
# without a window manager nothing hands it back when they close, so a click on the picture does.
away; xdotool click 1; sleep 1
key alt+f
setup_ended 15 || { echo "the wizard did not end after Alt+F" >&2; exit 1; }
[ -f "$installed/DeskClient.exe" ] || { echo "the keyboard installation installed nothing" >&2; exit 1; }

echo "== environment check: the installation just made is found, and the page waits under the question"
start_setup "$setup"
key alt+n
message_box aside >/dev/null   # the question of the earlier installation, moved off the page
settled environment labels a 38 43 200 60              # the page heading over picture A
settled environment button wide disabled 214 357
settled environment button wide disabled 310 357
settled environment button cancel up 406 357
answer Escape                                          # No: the program ends
setup_ended 10 || { echo "the wizard did not end after No" >&2; exit 1; }
echo "installed with the keyboard alone; screenshots in $run"
}

look_run off
if [ -f "$WINEPREFIX/drive_c/windows/resources/themes/light/light.msstyles" ]; then
  look_run on
else
  echo "this Wine has no light theme: the looks with visual styles on are not checked"
fi
