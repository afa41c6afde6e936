# Sourced by the wizard's Wine tests: start a setup, find its window, click at the places of its
# controls and answer its message boxes as a person would. Needs wine-env.sh's wine_start first.

# The two registry keys an installation writes; installed_folder: the product's folder in the
# prefix (once wine_start has made it); installed_windows: the same folder as the setup names it.
app_key='HKCU\Software\Velmora'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
installed_folder() { echo "$WINEPREFIX/drive_c/$WIN_PROGRAM_FILES/Velmora"; }
installed_windows() { echo "C:\\$WIN_PROGRAM_FILES\\Velmora\\"; }

# clear_installation: removes what an earlier installation left in the prefix: the installation
# folder, the two registry keys in the registry view the setup writes to, and the runtime DLL with
# its registration, so that finding them afterwards proves this installation put them there.
clear_installation() {
  rm -rf "$(installed_folder)"
  rm -f "$WINEPREFIX"/drive_c/windows/{system32,syswow64}/midas.dll
  wine reg delete "$app_key" /f "$WIN_REG_VIEW" >/dev/null 2>&1 || true
  wine reg delete "$uninstall_key" /f "$WIN_REG_VIEW" >/dev/null 2>&1 || true
  wine reg delete 'HKCU\Software\VelmoraDemo\midas' /f "$WIN_REG_VIEW" >/dev/null 2>&1 || true
}

# fresh_setup RUN [BUILD OPTIONS]: packs the demo product behind the stub of $win into
# RUN/VelmoraSetup.exe with $pack (and the options, such as --sign-command), and clears what an
# earlier installation left.
fresh_setup() {
  rm -rf "$1" && mkdir -p "$1"
  "$pack" build --stub "$win/VelmoraSetup-stub.exe" --from "$win/demo/product" --out "$1/VelmoraSetup.exe" "${@:2}" >/dev/null
  clear_installation
}

# long_setup FOLDER OUT.exe: packs the demo product with 400 small data files more (data/part000.dat
# to data/part399.dat), made in FOLDER, into OUT.exe: each entry costs the wizard at least 10 ms, so
# its extraction takes seconds.
long_setup() {
  python3 - "$1" <<'PY'
import os, sys
os.makedirs(os.path.join(sys.argv[1], "data"), exist_ok=True)
for i in range(400):
    with open(os.path.join(sys.argv[1], "data", "part%03d.dat" % i), "wb") as f:
        f.write(bytes([i % 251]) * 2000)
PY
  cp -r "$win/demo/product/." "$1/"
  "$pack" build --stub "$win/VelmoraSetup-stub.exe" --from "$1" --out "$2" >/dev/null
}

# hold_at_first_data_file: waits until the running long setup has written data/part000.dat, then
# stops its process (SIGSTOP): what is done to the window now waits in its queue until
# go_on (SIGCONT), and is handled at the extraction's next message point.
hold_at_first_data_file() {
  for _ in $(seq 3000); do
    [ -f "$(installed_folder)/data/part000.dat" ] && break
    sleep 0.1
  done
  [ -f "$(installed_folder)/data/part000.dat" ] || { echo "the extraction never wrote data/part000.dat" >&2; return 1; }
  kill -STOP "$SETUP_PID" || { echo "the setup ended before it could be held" >&2; return 1; }
}
go_on() { kill -CONT "$SETUP_PID"; }

# hold FILE: the fault helper opens FILE (a Windows path) without sharing, as a running program
# holds its own files, and keeps it open until release_hold; sets HOLD_PID.
hold() {
  local ready="$WINEPREFIX/drive_c/fault-helper.ready"
  rm -f "$ready"
  wine "$win/tests/win/fault-helper.exe" hold "$1" 'C:\fault-helper.ready' &
  HOLD_PID=$!
  for _ in $(seq 300); do
    [ -f "$ready" ] && return 0
    sleep 0.2
  done
  echo "the helper did not open $1" >&2
  return 1
}
release_hold() { kill "$HOLD_PID" 2>/dev/null || true; wait "$HOLD_PID" 2>/dev/null || true; }

# message_box [aside]: the texts of the message box the setup shows, once it shows, in UTF-8; with
# aside, the box is first moved off the wizard, so that the page under it can be looked at.
message_box() { wine "$win/tests/win/fault-helper.exe" message "$@" | tr -d '\r' | iconv -f GBK -t UTF-8; }

# start_setup SETUP.exe: starts it in the background and waits for its window; sets SETUP_PID and
# the window's X and Y.
start_setup() {
  wine "$1" &
  SETUP_PID=$!
  local window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "Velmora安装向导" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "the wizard window did not appear" >&2; return 1; }
  sleep 1  # let it settle where it was centred
  eval "$(xdotool getwindowgeometry --shell "$window")"
}

# look_until CHECK ARGS... [+ CHECK ARGS...]: waits until one shot of the window passes every one of
# these checks of look_check.py (a page, a label's text, a colour), as a person waits for what they
# are about to click; fails after five minutes, keeping the last shot. wait_page PICTURE: until the
# window shows the page of that picture (finish: see look_check.py).
look_until() {
  local shot="$WINEPREFIX/../page.png" checks=() check passed
  for _ in $(seq 600); do
    import -window root -crop "508x395+$X+$Y" +repage "$shot"
    passed=1 checks=("$@")
    while [ ${#checks[@]} -gt 0 ]; do
      check=()
      while [ ${#checks[@]} -gt 0 ] && [ "${checks[0]}" != + ]; do check+=("${checks[0]}"); checks=("${checks[@]:1}"); done
      [ ${#checks[@]} -gt 0 ] && checks=("${checks[@]:1}")  # the "+"
      python3 "$VELMORA_ROOT/tests/wine/look_check.py" "$VELMORA_ROOT/resources/art" "${check[0]}" "$shot" "${check[@]:1}" \
        2>/dev/null || { passed=0; break; }
    done
    [ "$passed" = 1 ] && return 0
    sleep 0.5
  done
  cp "$shot" "$WINEPREFIX/../look-until-failed.png"
  echo "the window never passed: look_check $* (last shot: look-until-failed.png beside the prefix)" >&2
  return 1
}
wait_page() { look_until page "$1"; }

# click LEFT TOP WIDTH HEIGHT [SECONDS]: a click in the middle of a control of the page.
click() { xdotool mousemove $((X + $1 + $3 / 2)) $((Y + $2 + $4 / 2)) click 1; sleep "${5:-1}"; }

# answer KEY: waits for the setup's message box, presses a key in it (Return: the default button)
# and waits until it has closed, so that whatever is looked at next is not that box on its way out.
answer() {
  local box
  box=$(wine "$win/tests/win/fault-helper.exe" box | tr -d '\r')
  xdotool key "$1"
  wine "$win/tests/win/fault-helper.exe" gone "$box"
}

# setup_ended [SECONDS]: whether the setup process ended within the time.
setup_ended() {
  for _ in $(seq $((${1:-10} * 5))); do
    kill -0 "$SETUP_PID" 2>/dev/null || return 0
    sleep 0.2
  done
  return 1
}

# reg_value KEY NAME: the value's data as `wine reg query` prints it in the view the setup
# writes to, or nothing.
reg_value() { wine reg query "$1" /v "$2" "$WIN_REG_VIEW" 2>/dev/null | tr -d '\r' | grep -F "$2" || true; }

# to_location_page SETUP.exe: starts the setup and clicks through to the location page, where
# Install waits.
to_location_page() {
  start_setup "$1"
  next_on_welcome
  next_on_features
  agree_and_next
}

# The pages' buttons, by the places of their controls. Each waits for the page it leads to, found
# by what only that page draws (a shot taken before the click is handled must not pass): the
# features page's first feature title over picture A, the licence's agreement check box, the
# location page's white folder edit.
next_on_welcome() { click 306 355 89 23 0; features_shown; }
# The features page: picture A (white where the welcome picture is grey) and its first feature title.
features_shown() { look_until picture a 100 60 + labels a 26 114 47 130; }
next_on_features() { click 307 355 89 23 0; look_until labels a 49 316 300 338; }
agree_and_next() { click 49 316 353 22; click 307 355 89 23 0; look_until colour 36 127 255 255 255; }
install_on_location() { click 306 355 89 23 "${1:-1}"; }
finish_on_finish() { click 308 353 89 23 3; }
