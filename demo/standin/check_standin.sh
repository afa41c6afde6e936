#!/usr/bin/env bash
# Runs the stand-in product's programs under Wine in a private prefix and X server:
#   - regsvr32 of midas.dll leaves its registry mark, and /u removes it;
#   - the two batch files leave their marks beside themselves;
#   - Remover.exe removes what install.log lists and the product's registry keys, then notifies
#     the window whose handle it was given;
#   - DeskClient.exe shows the main, login and welcome forms, each closed with WM_CLOSE;
#   - LiveUpdater.exe shows its message box.
#   check_standin.sh BUILD_WIN_DIR      (the cross build's binary directory)
set -euo pipefail
build=$(cd "$1" && pwd)
standin="$build/demo/standin"
product="$build/demo/product"
here=$(cd "$(dirname "$0")" && pwd)

tmp=$(mktemp -d)
. "$here/../../tests/wine/wine-env.sh"
wine_start "$tmp"
trap 'wine_stop; rm -rf "$tmp"' EXIT

fail() { echo "FAIL $*" >&2; exit 1; }
win() { winepath -w "$1" 2>/dev/null; }
# Output of the Windows programs is GBK with CR LF.
run() { wine "$@" | tr -d '\r' | iconv -f GBK -t UTF-8; }
reg_has() { wine reg query "$@" >/dev/null 2>&1; }

echo "== midas.dll"
reg_has 'HKCU\Software\VelmoraDemo\midas' /v Registered && fail "mark present before registration"
wine regsvr32 /s "$(win "$product/midas.dll")"
wine reg query 'HKCU\Software\VelmoraDemo\midas' /v Registered | tr -d '\r' |
  grep -Eq '^ +Registered +REG_SZ +1$' || fail "regsvr32 left no mark"
wine regsvr32 /s /u "$(win "$product/midas.dll")"
reg_has 'HKCU\Software\VelmoraDemo\midas' /v Registered && fail "mark left after /u"
echo "registered and unregistered"

echo "== batch files"
bat="$tmp/bat"
mkdir -p "$bat"
cp "$product/regpaydll.bat" "$product/regmods.bat" "$bat/"
for name in regpaydll regmods; do
  wine cmd /c "$(win "$bat/$name.bat")"
  [ "$(cat "$bat/$name.done")" = $'done\r' ] || fail "$name.bat left no mark"
done
echo "both left their marks"

echo "== Remover.exe"
app="$tmp/drive/应用"
mkdir -p "$app/数据/子目录" "$app/keep"
cp "$product/Remover.exe" "$app/"
echo a >"$app/说明.txt"
echo b >"$app/数据/子目录/设置.cfg"
echo c >"$app/数据/readonly.dat"
echo d >"$app/keep/user.txt"
# install.log in code page 936, CR LF, with stray spaces and tabs and lines of other kinds.
{
  printf 'Velmora install log\r\n'
  printf '  File=%s  \r\n' "$(win "$app/说明.txt")"
  printf 'File= %s\t\r\n' "$(win "$app/数据/子目录/设置.cfg")"
  printf 'File=%s\r\n' "$(win "$app/数据/readonly.dat")"
  printf 'File=%s\r\n' "$(win "$app/Remover.exe")"
  printf 'file=%s\r\n' "$(win "$app/keep/user.txt")"
  printf 'Dir=%s\r\n' "$(win "$app")"
  printf 'Dir=%s\r\n' "$(win "$app/数据")"
  printf 'Dir=%s\r\n' "$(win "$app/keep")"
  printf 'Dir=%s\r\n' "$(win "$app/数据/子目录")"
  printf 'Reg=HKCU\\Software\\Velmora\r\n'
} | iconv -f UTF-8 -t GBK >"$app/install.log"
wine attrib +r "$(win "$app/数据/readonly.dat")"
wine reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velmora' /v DisplayName /d Velmora /f >/dev/null
wine reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velmora\Sub' /v X /d 1 /f >/dev/null
wine reg add 'HKCU\Software\Velmora\Settings\Deep' /v Path /d 'C:\x' /f >/dev/null
wine reg add 'HKCU\Software\VelmoraOther' /v Keep /d 1 /f >/dev/null

run "$standin/ReceiverCheck.exe" "$(win "$app/Remover.exe")"
left=$(cd "$app" && find . | LC_ALL=C sort | tr '\n' ' ')
# Its own program, the unlisted user file and the folders holding them stay.
[ "$left" = ". ./Remover.exe ./keep ./keep/user.txt " ] || fail "left behind: $left"
reg_has 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velmora' && fail "uninstall key left"
reg_has 'HKCU\Software\Velmora' && fail "user key left"
reg_has 'HKCU\Software\VelmoraOther' || fail "unrelated key removed"
echo "files, folders and keys removed"

echo "== DeskClient.exe"
run "$standin/WindowCheck.exe" TDeskMainForm Velmora "$(win "$product/DeskClient.exe")"
run "$standin/WindowCheck.exe" TDeskLoginForm "Velmora 登录" "$(win "$product/DeskClient.exe")" --login
run "$standin/WindowCheck.exe" TDeskWelcomeForm DeskWelcome "$(win "$product/DeskClient.exe")" --welcome

echo "== LiveUpdater.exe"
run "$standin/WindowCheck.exe" '#32770' Velmora "$(win "$product/LiveUpdater.exe")" | tee "$tmp/updater.log"
grep -q '^  child: "Velmora 自动更新程序：已是最新版本。"$' "$tmp/updater.log" || fail "message box text"

echo "stand-in product checked under Wine"
