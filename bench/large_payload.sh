#!/usr/bin/env bash
# A whole installation of a payload of about 1.5 GB under Wine, through the wizard as a person
# installs it: the size at which the installation needs more than the 2 GB of address space a
# 32-bit process has without the large-address-aware flag, since it holds the LZMA block and the
# whole archive in memory at once.
# The product: bench/make_payload.py --large (media packs that do not compress, program files,
# documents, sparse tables and small pictures; 364 files) and the demo product, whose files the
# post-install steps need. It is packed once with velmora-pack (LZMA with a 32 MiB dictionary:
# a quarter of an hour or more on one core) and kept in build/bench-large with the Wine prefix.
# The setup is clicked through to the location page on a private X server; install_probe.py
# times the installation from the Install click to the finish page (pixel polling, as in
# install_bench.sh) and reads the setup process's peak resident size. The installed files are
# compared with the product folder.
# Where this machine cannot execute 32-bit code, Wine runs the 64-bit build of the same sources
# (build/win64) and the figures are that build's: its address space is not the 32-bit one, so the
# run shows the time and the memory of such an installation, while the limits it is held against
# are worked out from the block and archive sizes.
#   bench/large_payload.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
bash "$VELMORA_ROOT/scripts/build.sh" --native >/dev/null
pack="$VELMORA_BUILD/host/tools/velmora-pack/velmora-pack"
lw="$VELMORA_BUILD/bench-large"
mkdir -p "$lw"
if [ "$(velmora_wine_arch)" = x86_64 ]; then
  win="$VELMORA_BUILD/win64"
  build="64-bit build of the same sources (this machine cannot execute 32-bit code)"
else
  win="$VELMORA_BUILD/win"
  build="the shipped 32-bit setup, large-address-aware"
fi

if [ ! -d "$lw/generated" ]; then
  echo "generating the product (about 1.5 GB)..."
  rm -rf "$lw/generated.tmp"
  python3 "$here/make_payload.py" --large "$lw/generated.tmp"
  mv "$lw/generated.tmp" "$lw/generated"
fi
# The generated files (hard links) and the demo product of the build that runs.
if [ ! -f "$lw/product.stamp" ] || [ "$(cat "$lw/product.stamp")" != "$win" ] ||
   [ -n "$(find "$win/demo/product" -newer "$lw/product.stamp" -print -quit)" ]; then
  rm -rf "$lw/product"
  cp -al "$lw/generated" "$lw/product"
  cp -r "$win/demo/product/." "$lw/product/"
  echo "$win" >"$lw/product.stamp"
fi
setup="$lw/VelmoraSetup.exe"
if [ ! -f "$setup" ] || [ "$lw/product.stamp" -nt "$setup" ] || [ "$pack" -nt "$setup" ] ||
   [ "$win/VelmoraSetup-stub.exe" -nt "$setup" ]; then
  echo "packing (LZMA with a 32 MiB dictionary; this takes a while)..."
  start=$(date +%s)
  SOURCE_DATE_EPOCH=1700000000 "$pack" build --stub "$win/VelmoraSetup-stub.exe" --from "$lw/product" \
    --out "$setup" >/dev/null
  echo "packed in $(( $(date +%s) - start )) s"
  "$pack" inspect "$setup" >"$lw/layout.txt"
fi
field() { sed -n "s/^$1: *\([0-9]*\).*/\1/p" "$lw/layout.txt"; }
region=$(field 'region size (N)') archive=$(field 'archive length') dict=$(field 'dictionary size')
files=$(find "$lw/product" -type f | wc -l)
product=$(du -sb --apparent-size "$lw/product" | cut -f1)

echo "== Wine (a prefix of its own in build/bench-large, on a private X server)"
. "$VELMORA_ROOT/tests/wine/wine-env.sh"
. "$VELMORA_ROOT/tests/wine/wizard-driver.sh"
wine_start "$lw"
wineserver -p
temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')")
installed=$(installed_folder)
clear_installation
rm -f "$temp/kestrin.setupfile.~tmp" "$temp/kestrin.setupfile.~tmp~"
sync

to_location_page "$setup"
line=$(python3 "$here/install_probe.py" click $((X + 306 + 44)) $((Y + 355 + 11)) "$X" "$Y" "$temp" "$installed" 3600)
entries=$(iconv -f GBK -t UTF-8 "$installed/install.log" | grep -c '^File=')
kill "$(echo "$line" | sed 's/.* pid=\([0-9]*\).*/\1/')" 2>/dev/null || true
wait "$SETUP_PID" 2>/dev/null || true

echo "comparing the installed files with the product folder..."
[ "$(find "$installed" -type f ! -name install.log ! -name '*.done' | wc -l)" = "$files" ] ||
  { echo "the setup installed another number of files" >&2; exit 1; }
diff -r -q -x install.log -x '*.done' -x Station.ini "$lw/product" "$installed" >/dev/null ||
  { echo "the setup installed other files" >&2; exit 1; }
rm -rf "$installed"

python3 - "$line" "$entries" "$files" "$product" "$archive" "$region" "$dict" "$build" <<'PY'
import sys
line, entries, files, product, archive, region, dict_size, build = sys.argv[1], *map(int, sys.argv[2:8]), sys.argv[8]
r = {k: float(v) for k, v in (f.split("=") for f in line.split())}
mib, gib = 1 << 20, 1 << 30
block = region - 4
wall = r["finish.t"] - r["click.t"]
pauses = entries * 0.010 + 4 * 0.500
print(f"\nlarge payload: {files} files, {product:,} bytes; archive {archive:,} bytes ({archive / gib:.2f} GiB); "
      f"LZMA block {block:,} bytes ({block / gib:.2f} GiB); dictionary {dict_size / mib:.0f} MiB")
print(f"setup: {build}")
print(f"\ntime, Install click to finish page: {wall:.1f} s ({pauses:.1f} s of it the setup's own pauses: "
      f"{entries} x 10 ms per entry and 4 x 500 ms)")
phases = [("copy-out, load and LZMA decode", "copy", "decoded"), ("saving the archive", "decoded", "saved"),
          ("extraction", "saved", "extracted"), ("post-install steps", "extracted", "finish")]
for name, a, b in phases:
    if f"{a}.t" in r and f"{b}.t" in r:
        print(f"  {name:32}{r[f'{b}.t'] - r[f'{a}.t']:8.1f} s")
peak, base, anon = r["hwm"] / 1024, r["base"] / 1024, r["anon"] / 1024
print(f"\npeak memory: {peak:,.0f} MiB resident (VmHWM of the setup's process, with Wine's own), "
      f"{peak - base:,.0f} MiB more than on the location page; anonymous memory at most {anon:,.0f} MiB")
held = (block + archive + dict_size) / mib
print(f"held at once by design: block + archive + dictionary = {held:,.0f} MiB ({held * mib / gib:.2f} GiB): "
      f"{'more' if held * mib > 2 * gib else 'less'} than the 2 GB of a 32-bit process, "
      f"{'within' if held * mib < 4 * gib else 'beyond'} the 4 GB of a large-address-aware one on 64-bit Windows")
PY
