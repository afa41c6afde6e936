#!/usr/bin/env bash
# Decoding a payload shaped like the shipped one: `velmora-pack unpack` (copy-out, load, decode into
# one archive-sized buffer, save) against `xz` decoding the same raw LZMA1 stream to a file, in one
# run on the same input. Prints wall time and peak memory side by side, their ratio, and whether the
# goals hold: time ratio <= 1.05; peak memory <= (compressed block + archive + dictionary) * 1.1.
#   bench/unpack_bench.sh [RUNS]
set -euo pipefail
runs=${1:-11}
. "$(dirname "$0")/prepare.sh"

# The raw stream for xz: the block without its 5-byte header and without the trailer.
read -r props dict block < <(python3 - "$setup" "$work/stream.raw" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
n = struct.unpack("<I", data[-4:])[0]
block = data[len(data) - n:len(data) - 4]
open(sys.argv[2], "wb").write(block[5:])
props, dict_size = block[0], struct.unpack("<I", block[1:5])[0]
print(props, dict_size, len(block))
PY
)
pb=$((props / 45)); lp=$((props % 45 / 9)); lc=$((props % 9))
xzopts="lc=$lc,lp=$lp,pb=$pb,dict=$dict"

measure() { # label, output file, command... -> appends "wall KiB user sys" lines to $work/$label.times
  local label=$1 output=$2; shift 2
  # Each run writes a new file: replacing an existing one makes some file systems flush it at
  # close, which would measure the disk rather than the decoder.
  rm -f "$output"
  /usr/bin/time -f '%e %M %U %S' -o "$work/time.tmp" "$@" >/dev/null
  cat "$work/time.tmp" >>"$work/$label.times"
}

rm -f "$work"/*.times
for _ in $(seq "$runs"); do
  measure pack "$work/unpacked.zip" "$pack" unpack "$setup" "$work/unpacked.zip"
  measure xz "$work/xz.out" sh -c "xz --format=raw --lzma1=$xzopts -dc '$work/stream.raw' > '$work/xz.out'"
done
archive=$(stat -c %s "$work/unpacked.zip")
cmp -s <(tail -c +5 "$work/xz.out") "$work/unpacked.zip" || { echo "outputs differ" >&2; exit 1; }

python3 - "$work" "$runs" "$block" "$archive" "$dict" <<'PY'
import statistics, sys
work, runs, block, archive, dict_size = sys.argv[1], int(sys.argv[2]), *map(int, sys.argv[3:])
def load(label):
    rows = [tuple(map(float, l.split())) for l in open(f"{work}/{label}.times")]
    return (statistics.median(r[0] for r in rows), max(r[1] for r in rows) / 1024,
            statistics.median(r[2] + r[3] for r in rows))
pack_t, pack_m, pack_c = load("pack")
xz_t, xz_m, xz_c = load("xz")
# Each pair of runs ran back to back; the median of their ratios is steadier on a busy machine
# than the ratio of the medians.
pairs = zip(open(f"{work}/pack.times"), open(f"{work}/xz.times"))
pair_ratio = statistics.median(float(a.split()[0]) / float(b.split()[0]) for a, b in pairs)
mib = 1 << 20
budget = (block + archive + dict_size) * 1.10 / mib
print(f"payload: archive {archive:,} bytes, compressed block {block:,} bytes, dictionary {dict_size:,} bytes; {runs} runs each\n")
print(f"{'':24}{'wall s (median)':>18}{'cpu s (median)':>16}{'peak RSS MiB':>16}")
print(f"{'velmora-pack unpack':24}{pack_t:>18.3f}{pack_c:>16.3f}{pack_m:>16.1f}")
print(f"{'xz raw LZMA1 decode':24}{xz_t:>18.3f}{xz_c:>16.3f}{xz_m:>16.1f}")
print(f"{'ratio':24}{pack_t / xz_t:>18.3f}{pack_c / xz_c:>16.3f}{pack_m / xz_m:>16.2f}")
print()
print(f"median of the paired wall-time ratios: {pair_ratio:.3f}")
print(f"time goal   ratio <= 1.05: {'met' if pair_ratio <= 1.05 else 'NOT met'}")
print(f"memory goal peak <= (block + archive + dictionary) x 1.1 = {budget:.1f} MiB: {'met' if pack_m <= budget else 'NOT met'}")
PY
