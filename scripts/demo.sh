#!/usr/bin/env bash
# The main job: installs what is missing, builds everything, packs the demo product behind the
# wizard into build/win/VelmoraSetup.exe, shows what is inside it, and starts the setup wizard under
# Wine: on your display when DISPLAY is set (the script waits until the wizard ends), otherwise on
# a private X server, saving a screenshot of the first page as build/demo/first-page.png. On a
# machine that cannot execute 32-bit code, Wine starts the same product packed behind the 64-bit
# build of the wizard (build/win64/VelmoraSetup.exe) instead.
set -euo pipefail
. "$(dirname "$0")/env.sh"

bash "$VELMORA_ROOT/scripts/install-deps.sh"
bash "$VELMORA_ROOT/scripts/build.sh"

pack="$VELMORA_BUILD/host/tools/velmora-pack/velmora-pack"
setup="$VELMORA_BUILD/win/VelmoraSetup.exe"
out="$VELMORA_BUILD/demo"
mkdir -p "$out"

echo "== velmora-pack build"
"$pack" build --stub "$VELMORA_BUILD/win/VelmoraSetup-stub.exe" --from "$VELMORA_BUILD/win/demo/product" --out "$setup"
echo "== velmora-pack inspect"
"$pack" inspect "$setup"
echo "== velmora-pack unpack and list"
"$pack" unpack "$setup" "$out/VelmoraSetup.zip"
"$pack" list "$setup"

echo "== the setup wizard under Wine"
if [ "$(velmora_wine_arch)" = x86_64 ]; then
  echo "this machine cannot execute 32-bit code: Wine runs the 64-bit build of the wizard"
  setup="$VELMORA_BUILD/win64/VelmoraSetup.exe"
  "$pack" build --stub "$VELMORA_BUILD/win64/VelmoraSetup-stub.exe" --from "$VELMORA_BUILD/win64/demo/product" --out "$setup"
fi
. "$VELMORA_ROOT/tests/wine/wine-env.sh"
export WINE_USE_DISPLAY=1
wine_start "$VELMORA_BUILD/wine"
if [ -z "${WINE_XVFB_PID:-}" ]; then
  wine "$setup"
else
  wine "$setup" &
  sleep 8
  import -window root "$out/first-page.png"
  echo "the wizard is running on a private display; its first page: $out/first-page.png"
fi
