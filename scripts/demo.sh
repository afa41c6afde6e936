#!/usr/bin/env bash
# The main job: installs what is missing, builds everything, packs the demo product behind the
# wizard into build/win/VelmoraSetup.exe, shows what is inside it, and starts the setup wizard under
# Wine (scripts/show-wizard.sh): on your display when DISPLAY is set (the script waits until the
# wizard ends), otherwise on a private X server, saving a screenshot of the first page as
# build/demo/first-page.png. Wine runs the shipped 32-bit setup natively or, where this machine runs
# no 32-bit code, through qemu-i386 (scripts/wine32.sh); only where neither works does it start the
# same product packed behind the 64-bit build of the wizard (build/win64/VelmoraSetup.exe).
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
VELMORA_WINE32=$(velmora_wine32)
export VELMORA_WINE32
if [ "$VELMORA_WINE32" = none ]; then
  setup="$VELMORA_BUILD/win64/VelmoraSetup.exe"
  "$pack" build --stub "$VELMORA_BUILD/win64/VelmoraSetup-stub.exe" --from "$VELMORA_BUILD/win64/demo/product" --out "$setup"
fi
bash "$VELMORA_ROOT/scripts/wine32.sh" bash "$VELMORA_ROOT/scripts/show-wizard.sh" "$setup" "$out"
