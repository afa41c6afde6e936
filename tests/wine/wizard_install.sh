#!/usr/bin/env bash
# A person's installation under Wine of the demo setup as a maker ships it: packed and signed
# (osslsigncode, with a throwaway certificate made by openssl for the run), so that the setup finds
# its payload in front of the certificate table. The setup is started, its pages are clicked
# through (Next, Next, agree, Next, Install, Finish) at the buttons' places, and the installed
# files, registry values, shortcuts and registrations are read back from the prefix.
#   wizard_install.sh VELMORA_PACK WIN_BUILD WORKDIR
set -euo pipefail
pack=$1 win=$2 work=$3
. "$(dirname "$0")/wine-env.sh"
wine_start "$work"

run="$work/wizard-install"
drive_c="$WINEPREFIX/drive_c"
. "$(dirname "$0")/wizard-driver.sh"
keys="$work/maker-keys"
rm -rf "$keys" && mkdir -p "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velmora test maker" \
  -keyout "$keys/maker.key" -out "$keys/maker.pem" 2>/dev/null
fresh_setup "$run" --sign-command \
  "osslsigncode sign -certs '$keys/maker.pem' -key '$keys/maker.key' -n Velmora -in %1 -out %1.signed && mv %1.signed %1"
osslsigncode verify -CAfile "$keys/maker.pem" -in "$run/VelmoraSetup.exe" >/dev/null
start_setup "$run/VelmoraSetup.exe"
shot() { import -window root "$run/$1.png"; }

shot welcome
next_on_welcome        # the environment check runs 500 ms later
shot features
next_on_features
agree_and_next
shot location
install_on_location
wait_page finish       # after the extraction and the post-install steps
shot finish
finish_on_finish
setup_ended 10 || { echo "the wizard did not end after Finish" >&2; exit 1; }

installed=$(installed_folder)
fail() { echo "$1" >&2; exit 1; }
for file in DeskClient.exe Remover.exe LiveUpdater.exe midas.dll Station.ini install.log "文档/用户手册.txt"; do
  [ -f "$installed/$file" ] || fail "not installed: $file"
done
diff <(cd "$win/demo/product" && find . -type f | sort) <(cd "$installed" && find . -type f ! -name install.log ! -name '*.done' | sort)
# A 32-bit program on a 64-bit system: its system folder is the 32-bit one, its Program Files
# folder "Program Files (x86)", its HKLM\SOFTWARE the 32-bit registry view; a 64-bit build sees the
# native ones.
folder=$(installed_windows)
grep -qF "path=$folder" "$installed/Station.ini" || fail "Station.ini does not name $folder"
[ -f "$drive_c/windows/$WIN_SYSTEM_DIR/midas.dll" ] || fail "midas.dll is not in windows/$WIN_SYSTEM_DIR"
reg_value "$app_key" AppPath | grep -qF "$folder" || fail "no AppPath $folder"
reg_value "$uninstall_key" UninstallString | grep -qF "${folder}Remover.exe" ||
  fail "no uninstall entry naming ${folder}Remover.exe in the registry view $WIN_REG_VIEW"
reg_value 'HKCU\Software\VelmoraDemo\midas' Registered | grep -q 1 || fail "midas.dll was not registered"
log=$(iconv -f GBK -t UTF-8 "$installed/install.log" | tr -d '\r')
echo "$log" | grep -qF "File=${folder}DeskClient.exe" || fail "install.log does not list ${folder}DeskClient.exe"
echo "$log" | tail -1 | grep -q '^Dir=.*Velmora\\$' || fail "install.log does not end with the folder"
[ "$(echo "$log" | grep -c '\.lnk$')" = 5 ] || fail "install.log does not list five shortcuts"
echo "signed setup installed through all seven pages: $(echo "$log" | grep -c '^File=') files and links logged"
