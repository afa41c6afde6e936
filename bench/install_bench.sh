#!/usr/bin/env bash
# A whole installation of a payload shaped like the shipped one, under Wine, in one run on the same
# files: the unpack benchmark's generated product (336 files, about 55 MB) next to a copy of the
# demo product, whose files the setup's post-install steps need (midas.dll to register, the two
# batch files to run, Station.ini to write). Three ways to get those files out of a compressed
# single-file installer are timed, each repeated, medians printed:
#   ours   VelmoraSetup.exe, clicked through to the location page on a private X server; the time
#          runs from the Install click to the finish page showing, minus the pauses the install
#          sequence makes by design (10 ms per archive entry, four 500 ms pauses after the copy).
#   NSIS   the same files in a makensis installer (solid LZMA, 32 MiB dictionary) installed
#          silently into a folder of the same Wine prefix: `wine velmora-nsis.exe /S /D=...` to its
#          end. An installer made from the same script without files is timed as well: Wine's
#          process start and the installer's own start-up, which the time of ours never contains.
#   xz     decoding the setup's own payload stream (the raw LZMA stream, length prefix and archive
#          out) to a file: the floor for what both installers must do at least.
# For reference the table also times `velmora-pack extract` of the decoded archive natively: the
# setup's ZIP engine without a window.
# How ours is timed, from outside and without changing the setup: a probe (install_probe.py, with libX11
# through ctypes) moves the pointer over Install, notes a monotonic clock and clicks, then polls
# every 5 ms two pixels of the window until both show the blue of the finish picture's logo, where
# the progress page shows its light grey background. So the end is the moment the finish page is
# on the screen, to within the 5 ms step; the poll costs a few microseconds of X round trip. The
# same loop notes when the setup's temporary payload copy and its decoded archive appear and go
# and when install.log is written, which splits each run into phases, and reads the CPU time of
# the setup's process and of the prefix's wineserver, and the CPU time, run-queue wait and
# voluntary switches of the setup's main thread (from /proc), so each phase's wall time splits
# into work, waiting for a core, the setup's own pauses and other waits. The archive entries that
# paused are counted from install.log (one line per entry). Each measurement also notes how many
# cores the rest of the machine kept busy in the second before it.
# Peak memory: VmHWM of the Linux process Wine runs the setup in (found by its image name and this
# benchmark's prefix), read on the finish page, and the peak resident size wait4() reports for
# the NSIS installer's process. Both contain Wine's own resident size; the setup's resident size
# on the location page, just before the click, is printed as its baseline.
# Goals: ours (net of the pauses) <= 1.0 x NSIS net of its start-up; ours <= 1.5 x the xz floor;
# the setup's memory growth after the click <= the dictionary + 32 MiB, whatever the payload's size.
#   bench/install_bench.sh [RUNS]      RUNS: 3 unless given
# Everything lives in build/bench-install/32 (or /64, below): the product folder, both installers,
# the Wine prefix.
# Where this machine cannot execute 32-bit code, Wine runs the 64-bit build of the same sources
# (build/win64) and makensis makes the NSIS installer for 64-bit Windows too, so both installers
# are still the same kind of program.
set -euo pipefail
runs=${1:-3}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/prepare.sh"  # builds, generates the product in $work/product; sets pack and work
if [ "$(velmora_wine_arch)" = x86_64 ]; then
  win="$VELMORA_BUILD/win64" nsis_target=amd64-unicode bits=64
else
  win="$VELMORA_BUILD/win" nsis_target=x86-unicode bits=32
fi
iw="$VELMORA_BUILD/bench-install/$bits"
mkdir -p "$iw"

# The product folder: the demo product and the generated files (their names do not meet).
if [ ! -f "$iw/product.stamp" ] ||
   [ -n "$(find "$work/product" "$win/demo/product" -newer "$iw/product.stamp" -print -quit)" ]; then
  echo "assembling the product folder..."
  rm -rf "$iw/product"
  cp -r "$win/demo/product" "$iw/product"
  cp -r "$work/product/." "$iw/product/"
  touch "$iw/product.stamp"
fi
ours="$iw/VelmoraSetup.exe"
if [ ! -f "$ours" ] || [ "$iw/product.stamp" -nt "$ours" ] || [ "$pack" -nt "$ours" ] ||
   [ "$win/VelmoraSetup-stub.exe" -nt "$ours" ]; then
  echo "packing our setup (LZMA with a 32 MiB dictionary takes a while)..."
  SOURCE_DATE_EPOCH=1700000000 "$pack" build --stub "$win/VelmoraSetup-stub.exe" --from "$iw/product" \
    --out "$ours" >/dev/null
fi
cat >"$iw/installer.nsi" <<'NSI'
; The same product folder as our setup, solid LZMA with a 32 MiB dictionary; without EMPTY defined
; the installer carries every file, with it none (its time is Wine's and the installer's start-up).
Target ${TARGET}
SetCompressor /SOLID lzma
SetCompressorDictSize 32
Name "Velmora"
OutFile "${OUT}"
InstallDir "C:\bench\nsis"
RequestExecutionLevel user
Section
  SetOutPath "$INSTDIR"
  !ifndef EMPTY
  File /r "product/*"
  !endif
SectionEnd
NSI
if [ ! -f "$iw/velmora-nsis.exe" ] || [ "$iw/product.stamp" -nt "$iw/velmora-nsis.exe" ]; then
  echo "making the NSIS installer (makensis, solid LZMA)..."
  (cd "$iw" && makensis -V1 -DTARGET=$nsis_target -DOUT=velmora-nsis.exe installer.nsi)
fi
[ -f "$iw/velmora-nsis-empty.exe" ] ||
  (cd "$iw" && makensis -V1 -DTARGET=$nsis_target -DEMPTY -DOUT=velmora-nsis-empty.exe installer.nsi)

# Our payload region: [LZMA block: properties, dictionary size, raw stream][region size: u32].
# xz gets the raw stream; the archive's length is the decoded stream's first four bytes.
read -r props dict block archive < <(python3 - "$ours" "$iw/stream.raw" <<'PY'
import lzma, struct, sys
data = open(sys.argv[1], "rb").read()
n = struct.unpack("<I", data[-4:])[0]
block = data[len(data) - n:len(data) - 4]
open(sys.argv[2], "wb").write(block[5:])
head = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=[{"id": lzma.FILTER_LZMA1,
    "dict_size": struct.unpack("<I", block[1:5])[0], "lc": block[0] % 9, "lp": block[0] % 45 // 9,
    "pb": block[0] // 45}]).decompress(block[5:5 + 4096], max_length=4)
print(block[0], struct.unpack("<I", block[1:5])[0], len(block), struct.unpack("<I", head)[0])
PY
)
pb=$((props / 45)); lp=$((props % 45 / 9)); lc=$((props % 9))
xzopts="lc=$lc,lp=$lp,pb=$pb,dict=$dict"

echo "== Wine ($bits-bit programs; a prefix of its own in $iw, on a private X server)"
. "$VELMORA_ROOT/tests/wine/wine-env.sh"
. "$VELMORA_ROOT/tests/wine/wizard-driver.sh"
wine_start "$iw"
# The server stays up between runs, so no run pays for starting it and the prefix's services.
wineserver -p
drive_c="$WINEPREFIX/drive_c"
temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')")
ours_dir=$(installed_folder)
nsis_dir="$drive_c/bench/nsis"
wine "$iw/velmora-nsis-empty.exe" /S '/D=C:\bench\empty'  # first start of such a program: untimed

files=$(find "$iw/product" -type f | wc -l)
count() { find "$1" -type f ! -name install.log ! -name '*.done' | wc -l; }

# others: the cores the rest of the machine keeps busy in the second before a measurement.
others() { python3 "$here/install_probe.py" busy; }

ours_run() {
  clear_installation
  sync
  to_location_page "$ours"
  local line entries pid busy
  busy=$(others)
  line=$(python3 "$here/install_probe.py" click $((X + 306 + 44)) $((Y + 355 + 11)) "$X" "$Y" "$temp" "$ours_dir")
  entries=$(iconv -f GBK -t UTF-8 "$ours_dir/install.log" | grep -c '^File=')
  pid=$(echo "$line" | sed 's/.* pid=\([0-9]*\).*/\1/')
  kill "$pid" 2>/dev/null || true
  wait "$SETUP_PID" 2>/dev/null || true
  [ "$(count "$ours_dir")" = "$files" ] || { echo "our setup installed $(count "$ours_dir") of $files files" >&2; exit 1; }
  echo "$line entries=$entries others=$busy" >>"$iw/ours.runs"
}

nsis_run() { # label installer folder
  rm -rf "$drive_c/bench/$3"
  sync
  local busy
  busy=$(others)
  echo "$(python3 "$here/install_probe.py" run wine "$iw/$2" /S "/D=C:\\bench\\$3") others=$busy" >>"$iw/$1.runs"
}

xz_run() {
  rm -f "$iw/xz.out"
  sync
  local busy
  busy=$(others)
  echo "$(python3 "$here/install_probe.py" run sh -c "xz --format=raw --lzma1=$xzopts -dc '$iw/stream.raw' >'$iw/xz.out'") others=$busy" \
    >>"$iw/xz.runs"
}

# For reference: the setup's ZIP engine natively on the same archive, without a window.
[ -f "$iw/archive.zip" ] && [ "$iw/archive.zip" -nt "$ours" ] || "$pack" unpack "$ours" "$iw/archive.zip" >/dev/null
native_run() {
  rm -rf "$iw/native"
  sync
  local busy
  busy=$(others)
  echo "$(python3 "$here/install_probe.py" run "$pack" extract "$iw/archive.zip" "$iw/native") others=$busy" >>"$iw/native.runs"
}

rm -f "$iw"/*.runs
for run in $(seq "$runs"); do
  echo "== run $run of $runs ($(date +%H:%M), load average $(cut -d' ' -f1-3 /proc/loadavg))"
  ours_run
  nsis_run nsis velmora-nsis.exe nsis
  [ "$(count "$nsis_dir")" = "$files" ] || { echo "NSIS installed $(count "$nsis_dir") of $files files" >&2; exit 1; }
  nsis_run empty velmora-nsis-empty.exe empty
  xz_run
  native_run
done
[ "$(stat -c %s "$iw/xz.out")" = $((archive + 4)) ] || { echo "xz decoded a stream of another length" >&2; exit 1; }
diff -r "$iw/product" "$nsis_dir" >/dev/null || { echo "NSIS installed other files" >&2; exit 1; }
diff -r -x install.log -x '*.done' -x Station.ini "$iw/product" "$ours_dir" >/dev/null ||
  { echo "our setup installed other files" >&2; exit 1; }
rm -rf "$iw/native" "$iw/xz.out"

python3 - "$iw" "$block" "$archive" "$dict" "$files" "$(nproc)" <<'PY'
import statistics, sys
iw, block, archive, dict_size, files, cores = sys.argv[1], *map(int, sys.argv[2:])
def load(label):
    return [{k: float(v) for k, v in (f.split("=") for f in line.split())} for line in open(f"{iw}/{label}.runs")]
ours, nsis, empty, xz, native = load("ours"), load("nsis"), load("empty"), load("xz"), load("native")
nan = float("nan")
med = lambda values: statistics.median(values) if values else nan
mib = 1 << 20
entries = int(ours[0]["entries"])
pauses = entries * 0.010 + 4 * 0.500
span = lambda r, a, b, key: r[f"{b}.{key}"] - r[f"{a}.{key}"]
for r in ours:
    r["wall"], r["cpu"], r["server"] = (span(r, "click", "finish", k) for k in ("t", "cpu", "server"))
    r["queued"], r["switches"] = span(r, "click", "finish", "queued"), span(r, "click", "finish", "switches")
    r["net"] = r["wall"] - r["entries"] * 0.010 - 2.0
for r, e in zip(nsis, empty):
    r["own"] = r["wall"] - e["wall"]
others = sorted(r["others"] for r in ours + nsis + empty + xz)
print(f"\npayload: {files} files, archive {archive:,} bytes, LZMA block {block:,} bytes, dictionary "
      f"{dict_size:,} bytes; {len(ours)} runs each, medians")
print(f"machine: {cores} cores shared with others, who kept {others[0]:.2f} to {others[-1]:.2f} cores busy "
      f"in the second before each measurement{'  (FIGURES TAKEN UNDER LOAD)' if others[-1] >= 0.3 else ''}\n")
print(f"{'':50}{'wall s':>8}{'cpu s':>8}{'queued s':>10}{'server s':>10}{'peak MiB':>10}")
def row(name, rows, key="wall", peak=True):
    cell = lambda k, width: f"{med([r[k] for r in rows]):>{width}.3f}" if all(k in r for r in rows) else " " * width
    print(f"{name:50}{cell(key, 8)}{cell('cpu', 8) if key == 'wall' else ' ' * 8}"
          f"{cell('queued', 10) if key == 'wall' else ' ' * 10}{cell('server', 10) if key == 'wall' else ' ' * 10}"
          + (f"{max(r['hwm'] for r in rows) / 1024:>10.1f}" if peak else ""))
row("ours: Install click to finish page", ours)
row(f"  minus pauses ({entries} x 10 ms + 4 x 500 ms = {pauses:.2f} s)", ours, "net", False)
row("NSIS: wine velmora-nsis.exe /S /D=...", nsis)
row("  the same without files (Wine and NSIS start-up)", empty)
row("  NSIS minus its start-up", nsis, "own", False)
row("xz floor: raw LZMA1 decode of our stream to a file", xz)
row("for reference: velmora-pack extract, natively", native)
print("(cpu: the installer's process; queued: its main thread's time runnable but waiting for a core;"
      "\n server: the wineserver's CPU; peak: the process's peak resident size, the largest of the runs)")
print("\nper run, in order (s): ours minus pauses " + ", ".join(f"{r['net']:.3f}" for r in ours)
      + "; NSIS " + ", ".join(f"{r['wall']:.3f}" for r in nsis) + "; xz " + ", ".join(f"{r['wall']:.3f}" for r in xz)
      + "\n  others' busy cores before ours: " + ", ".join(f"{r['others']:.2f}" for r in ours))
pair = lambda a, b, ka, kb: statistics.median(x[ka] / y[kb] for x, y in zip(a, b))
# A start-up measured as long as the installation leaves nothing to compare with.
own_ok = all(r["own"] > 0 for r in nsis)
r_nsis, r_xz = pair(ours, nsis, "net", "wall"), pair(ours, xz, "net", "wall")
r_nsis_own = pair(ours, nsis, "net", "own") if own_ok else nan
print("\nratios (median of the per-run ratios; each run's installers ran back to back):")
print(f"  ours / NSIS                    {r_nsis:.2f}")
print(f"  ours / (NSIS minus start-up)   {r_nsis_own:.2f}")
print(f"  ours / xz floor                {r_xz:.2f}")
peak = max(r["hwm"] for r in ours) / 1024
growth = max(r["hwm"] - r["base"] for r in ours) / 1024  # the largest of the runs' own growths
bound = dict_size / mib + 32
base, base_anon = med([r["base"] for r in ours]) / 1024, med([r["base_anon"] for r in ours]) / 1024
print(f"\nour setup's memory: resident {base:.1f} MiB on the location page before the click ({base_anon:.1f} MiB "
      f"of it anonymous), peak {peak:.1f} MiB; at most {growth:.1f} MiB more than before the click in a run; "
      f"anonymous memory at most {max(r['anon'] for r in ours) / 1024:.1f} MiB (sampled every 5 ms)")
print(f"bound on the growth: dictionary {dict_size / mib:.1f} + 32 MiB = {bound:.1f} MiB "
      f"(the block is {block / mib:.1f} MiB, the archive {archive / mib:.1f} MiB)")
print("\ngoals:")
print(f"  ours <= 1.0 x (NSIS minus start-up) {'met' if own_ok and r_nsis_own <= 1.0 else 'NOT met'} ({r_nsis_own:.2f}; "
      f"{r_nsis:.2f} against NSIS with it)")
print(f"  ours <= 1.5 x xz floor         {'met' if r_xz <= 1.5 else 'NOT met'} ({r_xz:.2f})")
# Wine's own resident size, held before the click, is not the setup's doing: the growth is what counts.
print(f"  growth after the click <= bound {'met' if growth <= bound else 'NOT met'} ({growth:.1f} MiB "
      f"against {bound:.1f} MiB)")
# Where our time goes: the phases the probe saw, ended by the setup's files in the temporary
# folder and by install.log; the pauses are the setup's own Sleep calls.
phases = [("click to the payload copy's start", "click", "copy", 0),
          ("copy-out of the block", "copy", "decoding", 0),
          ("LZMA decode into the archive file", "decoding", "saved", 0),
          ("extraction", "saved", "extracted", entries * 0.010),
          ("post-install steps", "extracted", "finish", 2.0)]
print(f"\nour installation's phases (medians):\n  {'':36}{'wall s':>8}{'pauses':>8}{'main cpu':>10}"
      f"{'queued':>8}{'other waits':>12}{'switches':>10}{'server cpu':>11}")
for name, a, b, paused in phases:
    rows = [r for r in ours if f"{a}.t" in r and f"{b}.t" in r]
    m = lambda key: med([span(r, a, b, key) for r in rows])
    rest = med([span(r, a, b, "t") - span(r, a, b, "main") - span(r, a, b, "queued") - paused for r in rows])
    print(f"  {name:36}{m('t'):>8.3f}{paused:>8.2f}{m('main'):>10.3f}{m('queued'):>8.3f}{rest:>12.3f}"
          f"{m('switches'):>10.0f}{m('server'):>11.3f}")
print("  (other waits: the main thread neither running nor queued nor in a pause: waiting for the"
      "\n   wineserver's replies, the X server, the disk, or sleeping longer than asked)")
PY
