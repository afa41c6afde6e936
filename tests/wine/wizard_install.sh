#!/usr/bin/env bash
# A person's installation under Wine: the demo setup is started, its pages are clicked through
# (Next, Next, agree, Next, Install, Finish) at the buttons' places, and the installed files,
# registry values, shortcuts and registrations are read back from the prefix.
#   wizard_install.sh VELMORA_PACK WIN_BUILD WORKDIR
set -euo pipefail
pack=$1 win=$2 work=$3
. "$(dirname "$0")/wine-env.sh"
wine_start "$work"

run="$work/wizard-install"
rm -rf "$run" && mkdir -p "$run"
"$pack" build --stub "$win/VelmoraSetup-stub.exe" --from "$win/demo/product" --out "$run/VelmoraSetup.exe" >/dev/null
drive_c="$WINEPREFIX/drive_c"
rm -rf "$drive_c/Program Files/Velmora"
wine reg delete 'HKCU\Software\Velmora' /f >/dev/null 2>&1 || true
wine reg delete 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velmora' /f >/dev/null 2>&1 || true

wine "$run/VelmoraSetup.exe" &
setup_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name "Velmora安装向导" 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the wizard window did not appear" >&2; exit 1; }
sleep 1  # let it settle where it was centred
eval "$(xdotool getwindowgeometry --shell "$window")"

# Clicks at the middle of a control given by its place and size on the page.
click() { xdotool mousemove $((X + $1 + $3 / 2)) $((Y + $2 + $4 / 2)) click 1; sleep "${5:-1}"; }
shot() { import -window root "$run/$1.png"; }

shot welcome
click 306 355 89 23 2     # welcome: Next; the environment check runs 500 ms later
shot features
click 307 355 89 23       # features: Next
click 49 316 353 22       # licence: I agree
click 307 355 89 23       # licence: Next
shot location
click 306 355 89 23 8     # location: Install; extraction and the post-install steps
shot finish
click 308 353 89 23 3     # finish: Finish
for _ in $(seq 50); do
  kill -0 "$setup_pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$setup_pid" 2>/dev/null && { echo "the wizard did not end after Finish" >&2; exit 1; }

installed="$drive_c/Program Files/Velmora"
for file in DeskClient.exe Remover.exe LiveUpdater.exe midas.dll Station.ini install.log "文档/用户手册.txt"; do
  [ -f "$installed/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
diff <(cd "$win/demo/product" && find . -type f | sort) <(cd "$installed" && find . -type f ! -name install.log ! -name '*.done' | sort)
grep -q 'path=C:\\Program Files\\Velmora\\' "$installed/Station.ini"
[ -f "$drive_c/windows/system32/midas.dll" ]
query() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -F "$2" ; }
query 'HKCU\Software\Velmora' AppPath | grep -qF 'C:\Program Files\Velmora\'
query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velmora' UninstallString | grep -qF 'C:\Program Files\Velmora\Remover.exe'
query 'HKCU\Software\VelmoraDemo\midas' Registered | grep -q 1
log=$(iconv -f GBK -t UTF-8 "$installed/install.log" | tr -d '\r')
echo "$log" | grep -qF 'File=C:\Program Files\Velmora\DeskClient.exe'
echo "$log" | tail -1 | grep -q '^Dir=.*Velmora\\$'
[ "$(echo "$log" | grep -c '\.lnk$')" = 5 ]
echo "installed through all seven pages: $(echo "$log" | grep -c '^File=') files and links logged"
