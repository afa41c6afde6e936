# Sourced by the Wine tests: a private prefix, a private X server, and cleanup on exit.
#   wine_start WORKDIR   prefix in WORKDIR/prefix (created once), Xvfb on a free display; with
#                        WINE_USE_DISPLAY=1 and DISPLAY set, the user's own display instead
# Both the X server and the prefix's wineserver are stopped when the calling script exits.
#
# VELMORA_WINE_ARCH says which build of the programs runs: i686 (the shipped 32-bit programs) or
# x86_64 (the same sources built for 64-bit Windows); the tests and the demo run under
# scripts/wine32.sh, which sets it and VELMORA_WINE_ROUTE, how the 32-bit programs run (native, qemu or
# none). wine_start says which build runs and how, and sets, for the scripts' checks:
#   WIN_PROGRAM_FILES   the Program Files folder the programs see ("Program Files (x86)" for i686)
#   WIN_SYSTEM_DIR      the system folder under drive_c/windows (syswow64 for i686)
#   WIN_REG_VIEW        the registry view the programs write to, for `reg query` (/reg:32 for i686)
# and, for x86_64, puts wine, winepath and wineboot first in PATH running Wine's 64-bit loader:
# Debian's commands start the 32-bit loader whenever it is installed. Unset, VELMORA_WINE_ARCH is
# the build this machine runs natively, which is what the benchmarks time.

# shellcheck source=scripts/env.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/env.sh"

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

  VELMORA_WINE_ARCH=$(velmora_wine_arch)
  export VELMORA_WINE_ARCH
  if [ -n "${VELMORA_WINE_ROUTE:-}" ]; then
    echo "wine: $(velmora_wine32_says "$VELMORA_WINE_ROUTE")"
  elif [ "$VELMORA_WINE_ARCH" = i686 ]; then
    echo "wine: the shipped 32-bit build (i686), run natively"
  else
    echo "wine: the 64-bit build (x86_64) of the same sources, run natively: this machine runs no 32-bit code itself"
  fi
  case "$VELMORA_WINE_ARCH" in
    x86_64)
      WIN_PROGRAM_FILES="Program Files" WIN_SYSTEM_DIR=system32 WIN_REG_VIEW=/reg:64
      mkdir -p "$work/bin"
      printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$work/bin/wine"
      printf '#!/bin/sh\nexec "%s/bin/wine" %s.exe "$@"\n' "$work" winepath >"$work/bin/winepath"
      printf '#!/bin/sh\nexec "%s/bin/wine" %s.exe "$@"\n' "$work" wineboot >"$work/bin/wineboot"
      chmod +x "$work/bin/wine" "$work/bin/winepath" "$work/bin/wineboot"
      export PATH="$work/bin:$PATH"
      ;;
    *)
      WIN_PROGRAM_FILES="Program Files (x86)" WIN_SYSTEM_DIR=syswow64 WIN_REG_VIEW=/reg:32
      ;;
  esac
  export WIN_PROGRAM_FILES WIN_SYSTEM_DIR WIN_REG_VIEW

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
  wine_map_window_font
}

# The wizard's font is "宋体" (SimSun) of 12 pixels: full-width Chinese characters 12 pixels wide,
# half-width Latin ones 6, lines 12 high. Of Debian's fonts, AR PL SungtiL GB (fonts-arphic-gbsn00lp)
# measures exactly so under Wine; the others measured (WenQuanYi Zen Hei and Micro Hei and their
# Mono forms, AR PL UMing CN) have lines of 13 to 16 pixels or 7-pixel Latin letters, which wrap
# or cut the window's fixed-size labels. Wine lays the programs' requests for either name on it.
wine_map_window_font() {
  local face="AR PL SungtiL GB" key='HKCU\Software\Wine\Fonts\Replacements'
  grep -q "\"SimSun\"=\"$face\"" "$WINEPREFIX/user.reg" 2>/dev/null && return 0
  wine reg add "$key" /v 宋体 /d "$face" /f >/dev/null 2>&1
  wine reg add "$key" /v SimSun /d "$face" /f >/dev/null 2>&1
  wineserver -w
}

# run_check_program EXE LOG: runs a Windows check program (PASS and FAIL lines in code page 936),
# keeps its output in LOG as UTF-8 and shows it; fails unless it exited 0 with no FAIL line.
run_check_program() {
  local status=0
  wine "$1" | tr -d '\r' | iconv -f GBK -t UTF-8 >"$2" || status=$?
  cat "$2"
  [ "$status" = 0 ] || { echo "$(basename "$1"): exit status $status" >&2; return 1; }
  ! grep -q '^FAIL' "$2" || { echo "$(basename "$1"): a check failed" >&2; return 1; }
}

wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${WINE_XVFB_PID:-}" ]; then
    kill "$WINE_XVFB_PID" 2>/dev/null || true
    wait "$WINE_XVFB_PID" 2>/dev/null || true
  fi
}
