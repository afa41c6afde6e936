#!/usr/bin/env bash
# The main job: installs what is missing, builds everything and packs the demo product into
# build/demo/VelmoraSetup.exe, then shows what is inside it and unpacks its archive.
# Until the wizard window exists, the setup's stub is the Windows payload check program, and the
# setup is run once under Wine, where it decodes its own payload and extracts it as the installer
# will, into C:\Program Files\Velmora of the Wine prefix.
set -euo pipefail
. "$(dirname "$0")/env.sh"

bash "$VELMORA_ROOT/scripts/install-deps.sh"
bash "$VELMORA_ROOT/scripts/build.sh"

pack="$VELMORA_BUILD/host/tools/velmora-pack/velmora-pack"
stub="$VELMORA_BUILD/win/tests/win/payload-check.exe"
out="$VELMORA_BUILD/demo"
mkdir -p "$out"

echo "== velmora-pack build"
"$pack" build --stub "$stub" --from "$VELMORA_BUILD/win/demo/product" --out "$out/VelmoraSetup.exe"
echo "== velmora-pack inspect"
"$pack" inspect "$out/VelmoraSetup.exe"
echo "== velmora-pack unpack"
"$pack" unpack "$out/VelmoraSetup.exe" "$out/VelmoraSetup.zip"
python3 - "$out/VelmoraSetup.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], metadata_encoding="gbk") as z:
    for i in z.infolist():
        print(f"{i.file_size:>10}  {'%04d-%02d-%02d %02d:%02d' % i.date_time[:5]}  {i.filename}")
PY

echo "== velmora-pack list"
"$pack" list "$out/VelmoraSetup.exe"

echo "== the setup under Wine"
. "$VELMORA_ROOT/tests/wine/wine-env.sh"
wine_start "$VELMORA_BUILD/wine"
wine "$out/VelmoraSetup.exe" --extract 'C:\Program Files\Velmora' | tr -d '\r'
find "$WINEPREFIX/drive_c/Program Files/Velmora" -type f | sed "s|^$WINEPREFIX/||" | sort
