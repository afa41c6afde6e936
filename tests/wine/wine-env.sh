# Sourced by the Wine tests: a private prefix, a private X server, and cleanup on exit.
#   wine_start WORKDIR   prefix in WORKDIR/prefix (created once), Xvfb on a free display; with
#                        WINE_USE_DISPLAY=1 and DISPLAY set, the user's own display instead
# Both the X server and the prefix's wineserver are stopped when the calling script exits.

wine_start() {
  local work=$1
  mkdir -p "$work"
  # The default 64-bit prefix: the 32-bit programs meet the file-system and registry redirection
  # of today's Windows. HOME is private, so Wine links no folder of the real user into it.
  export WINEPREFIX="$work/prefix64" WINEDEBUG=-all
  unset WINEARCH
  export HOME="$work/home"
  mkdir -p "$HOME"
  # Code page 936 for the ANSI API; no prompts for optional runtimes while the prefix is made.
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="

  trap wine_stop EXIT
  if [ "${WINE_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
    local displayfile="$work/display.$$"
    rm -f "$displayfile"
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$displayfile" >/dev/null 2>&1 &
    WINE_XVFB_PID=$!
    local i
    for i in $(seq 100); do
      [ -s "$displayfile" ] && break
      sleep 0.1
    done
    [ -s "$displayfile" ] || { echo "wine-env: Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(cat "$displayfile")"
    rm -f "$displayfile"
  fi

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-env: creating the Wine prefix (once)"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
}

wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${WINE_XVFB_PID:-}" ]; then
    kill "$WINE_XVFB_PID" 2>/dev/null || true
    wait "$WINE_XVFB_PID" 2>/dev/null || true
  fi
}
