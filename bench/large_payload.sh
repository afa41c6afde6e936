#!/usr/bin/env bash
# A whole installation of a payload of about 1.5 GB under Wine, through the wizard as a person
# installs it: a product whose block and archive together are far beyond what a 32-bit process
# could hold at once, which the setup streams from its image to the installed files.
# The product: bench/make_payload.py --large (media packs that do not compress, program files,
# documents, sparse tables and small pictures; 364 files) and the demo product, whose files the
# post-install steps need. It is packed once with velmora-pack (LZMA with a 32 MiB dictionary:
# a quarter of an hour or more on one core) and kept in build/bench-large with the Wine prefix.
# The setup is clicked through to the location page on a private X server; install_probe.py
# times the installation from the Install click to the finish page (pixel polling, as in
# install_bench.sh) and reads the setup process's peak resident size. The installed files are
# compared with the product folder. In the same run `xz` decodes the setup's own LZMA stream to a
# file, the floor for the decompression step.
# Goal: the setup's memory growth after the click at most the dictionary + 64 MiB.
# Where this machine cannot execute 32-bit code, Wine runs the 64-bit build of the same sources
# (build/win64) and the figures are that build's.
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
# The raw LZMA stream for xz: the block without its 5-byte header, which ends 4 bytes before the
# file (the region's size).
size=$(stat -c %s "$setup")
props=$(od -An -tu1 -j $((size - region)) -N1 "$setup" | tr -d ' ')
if [ ! -f "$lw/stream.raw" ] || [ "$setup" -nt "$lw/stream.raw" ]; then
  tail -c "$region" "$setup" | head -c $((region - 4)) | tail -c +6 >"$lw/stream.raw"
fi
xzopts="lc=$((props % 9)),lp=$((props % 45 / 9)),pb=$((props / 45)),dict=$dict"
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

echo "decoding the same stream with xz..."
rm -f "$lw/xz.out"
sync
xz_line=$(python3 "$here/install_probe.py" run sh -c "xz --format=raw --lzma1=$xzopts -dc '$lw/stream.raw' >'$lw/xz.out'")
[ "$(stat -c %s "$lw/xz.out")" = $((archive + 4)) ] || { echo "xz decoded a stream of another length" >&2; exit 1; }
rm -f "$lw/xz.out"

echo "comparing the installed files with the product folder..."
[ "$(find "$installed" -type f ! -name install.log ! -name '*.done' | wc -l)" = "$files" ] ||
  { echo "the setup installed another number of files" >&2; exit 1; }
diff -r -q -x install.log -x '*.done' -x Station.ini "$lw/product" "$installed" >/dev/null ||
  { echo "the setup installed other files" >&2; exit 1; }
rm -rf "$installed"

python3 - "$line" "$xz_line" "$entries" "$files" "$product" "$archive" "$region" "$dict" "$build" <<'PY'
import sys
line, xz_line, entries, files, product, archive, region, dict_size, build = \
    sys.argv[1], sys.argv[2], *map(int, sys.argv[3:9]), sys.argv[9]
fields = lambda text: {k: float(v) for k, v in (f.split("=") for f in text.split())}
r, xz = fields(line), fields(xz_line)
mib, gib = 1 << 20, 1 << 30
block = region - 4
wall = r["finish.t"] - r["click.t"]
pauses = entries * 0.010 + 4 * 0.500
print(f"\nlarge payload: {files} files, {product:,} bytes; archive {archive:,} bytes ({archive / gib:.2f} GiB); "
      f"LZMA block {block:,} bytes ({block / gib:.2f} GiB); dictionary {dict_size / mib:.0f} MiB")
print(f"setup: {build}")
print(f"\n{'':44}{'wall s':>8}{'peak MiB':>10}")
print(f"{'ours: Install click to finish page':44}{wall:>8.1f}{r['hwm'] / 1024:>10.0f}")
print(f"{'  of it the pauses (' + str(entries) + ' x 10 ms + 4 x 500 ms)':44}{pauses:>8.1f}")
print(f"{'  minus the pauses':44}{wall - pauses:>8.1f}")
phases = [("click to the payload copy's start", "click", "copy"), ("copy-out of the block", "copy", "decoding"),
          ("LZMA decode into the archive file", "decoding", "saved"), ("extraction", "saved", "extracted"),
          ("post-install steps", "extracted", "finish")]
for name, a, b in phases:
    if f"{a}.t" in r and f"{b}.t" in r:
        print(f"{'    ' + name:44}{r[f'{b}.t'] - r[f'{a}.t']:>8.1f}")
print(f"{'xz floor: raw LZMA1 decode of our stream':44}{xz['wall']:>8.1f}{xz['hwm'] / 1024:>10.0f}")
peak, base, anon = r["hwm"] / 1024, r["base"] / 1024, r["anon"] / 1024
bound = dict_size / mib + 64
print(f"\nour setup's memory: {base:,.0f} MiB resident on the location page, peak {peak:,.0f} MiB (VmHWM of its "
      f"process, with Wine's own), so {peak - base:,.0f} MiB more after the click; anonymous memory at most "
      f"{anon:,.0f} MiB")
print(f"goal: growth after the click <= dictionary {dict_size / mib:.0f} + 64 MiB = {bound:.0f} MiB: "
      f"{'met' if peak - base <= bound else 'NOT met'} ({peak - base:,.0f} MiB)")
PY
