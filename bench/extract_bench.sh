#!/usr/bin/env bash
# Extracting an archive shaped like the shipped payload (336 files, about 55 MB; the unpack
# benchmark's generator) with `velmora-pack extract` and with Info-ZIP unzip, bsdtar and 7-Zip, in
# one run on the same input: once stored (as the setup ships it) and once deflated by Info-ZIP.
# Prints median wall time, median CPU time and peak memory side by side with ratios to unzip.
# Goal: velmora-pack at most 1.0 x unzip's wall time on both archives.
#   bench/extract_bench.sh [RUNS]
set -euo pipefail
runs=${1:-7}
. "$(dirname "$0")/prepare.sh"

[ -f "$work/stored.zip" ] && [ "$work/stored.zip" -nt "$setup" ] ||
  "$pack" unpack "$setup" "$work/stored.zip" >/dev/null
# The deflated archive carries the same code page 936 names: Info-ZIP zips a copy of the product
# whose names on disk are GBK bytes, under the C locale, which stores them as they are.
if [ ! -f "$work/deflated.zip" ] || [ "$work/product" -nt "$work/deflated.zip" ]; then
  rm -rf "$work/gbk-names" "$work/deflated.zip"
  python3 - "$work/product" "$work/gbk-names" <<'PY'
import os, shutil, sys
src, dst = sys.argv[1], sys.argv[2].encode()
for root, _, files in os.walk(src):
    for name in files:
        rel = os.path.relpath(os.path.join(root, name), src)
        target = os.path.join(dst, rel.encode("gbk"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(root, name), target)
PY
  (cd "$work/gbk-names" && LC_ALL=C zip -q -r "$work/deflated.zip" .)
  rm -rf "$work/gbk-names"
fi

measure() { # label archive-kind command... (the command extracts into $work/x)
  local label=$1 kind=$2; shift 2
  rm -rf "$work/x" && mkdir -p "$work/x"
  sync
  /usr/bin/time -f '%e %U %S %M' -o "$work/time.tmp" "$@" >/dev/null 2>&1 || true
  echo "$(cat "$work/time.tmp") $label $kind $(find "$work/x" -type f | wc -l)" >>"$work/extract.times"
}

rm -f "$work/extract.times"
for kind in stored deflated; do
  archive="$work/$kind.zip"
  for _ in $(seq "$runs"); do
    measure velmora-pack "$kind" "$pack" extract "$archive" "$work/x"
    measure unzip "$kind" unzip -o -q "$archive" -d "$work/x"
    measure bsdtar "$kind" bsdtar -xf "$archive" -C "$work/x"
    measure 7zz "$kind" 7zz x -y "-o$work/x" "$archive"
  done
done
rm -rf "$work/x"

python3 - "$work/extract.times" "$runs" "$work/stored.zip" "$work/deflated.zip" <<'PY'
import os, statistics, sys
rows = [l.split() for l in open(sys.argv[1])]
runs = int(sys.argv[2])
tools = ["velmora-pack", "unzip", "bsdtar", "7zz"]
for kind, path in (("stored", sys.argv[3]), ("deflated", sys.argv[4])):
    print(f"\n{kind} archive: {os.path.getsize(path):,} bytes, 336 files; median of {runs} runs")
    print(f"{'':16}{'wall s':>10}{'cpu s':>10}{'peak MiB':>10}{'wall/unzip':>12}{'files':>8}")
    figures = {}
    for tool in tools:
        r = [x for x in rows if x[4] == tool and x[5] == kind]
        figures[tool] = (statistics.median(float(x[0]) for x in r),
                         statistics.median(float(x[1]) + float(x[2]) for x in r),
                         max(float(x[3]) for x in r) / 1024, min(int(x[6]) for x in r))
    base = figures["unzip"][0]
    for tool in tools:
        wall, cpu, mem, files = figures[tool]
        print(f"{tool:16}{wall:>10.3f}{cpu:>10.3f}{mem:>10.1f}{wall / base:>12.2f}{files:>8}")
    ratio = figures["velmora-pack"][0] / base
    print(f"goal velmora-pack <= 1.0 x unzip: {'met' if ratio <= 1.0 else 'NOT met'} ({ratio:.2f})")
PY
