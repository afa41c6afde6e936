#!/usr/bin/env bash
# Builds the engines' libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in their own tree and runs them one after the other.
set -euo pipefail
. "$(dirname "$0")/env.sh"

targets_all=(fuzz_install_log fuzz_lzma_stream fuzz_payload_chain fuzz_zip_extract)

usage() {
  cat <<EOF
Usage: bash scripts/fuzz.sh [TARGET|all] [SECONDS]

Builds the fuzz targets in \$VELMORA_BUILD/fuzz (clang-14, -fsanitize=fuzzer,address,undefined)
and runs TARGET, or every target one after the other, for SECONDS each (default 300).

Targets: ${targets_all[*]}

Each target keeps its corpus in \$VELMORA_BUILD/fuzz/corpus/TARGET and writes crash, leak,
timeout and out-of-memory inputs to \$VELMORA_BUILD/fuzz/findings/TARGET; both outlive runs.
Starting inputs come from the unit tests' fixtures (built in \$VELMORA_BUILD/host when that tree
exists), ../shared/testdata/zip and tests/fuzz/make_seeds.py. The full libFuzzer output is in
\$VELMORA_BUILD/fuzz/logs/TARGET.log.

Extra libFuzzer options can be given in FUZZ_OPTIONS, e.g. FUZZ_OPTIONS=-dict=FILE.
Exit status: 0 nothing found, 1 a target found something, 2 wrong usage, 3 build or run failure.
EOF
}

target=all
seconds=300
case "${1:-}" in
  -h | --help) usage; exit 0 ;;
esac
[[ $# -ge 1 ]] && target=$1
[[ $# -ge 2 ]] && seconds=$2
if [[ $# -gt 2 || ! $seconds =~ ^[1-9][0-9]*$ ]]; then
  usage >&2
  exit 2
fi
if [[ $target == all ]]; then
  targets=("${targets_all[@]}")
elif [[ " ${targets_all[*]} " == *" $target "* ]]; then
  targets=("$target")
else
  echo "fuzz.sh: unknown target '$target'" >&2
  usage >&2
  exit 2
fi

fuzz_tree=$VELMORA_BUILD/fuzz
# Corpus and findings must never end up in the repository's history.
mkdir -p "$fuzz_tree"
fuzz_tree=$(cd "$fuzz_tree" && pwd)
if [[ $fuzz_tree == "$VELMORA_ROOT"/* ]] && ! git -C "$VELMORA_ROOT" check-ignore -q "$fuzz_tree"; then
  echo "fuzz.sh: $fuzz_tree is inside the repository and not ignored by git" >&2
  exit 3
fi

cmake -S "$VELMORA_ROOT" -B "$fuzz_tree" -G Ninja -DVELMORA_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null || exit 3
cmake --build "$fuzz_tree" --target "${targets[@]}" || exit 3

# The unit tests' fixtures, when a host tree is there to make them.
fixtures=$VELMORA_BUILD/host/tests
if [[ -f $VELMORA_BUILD/host/build.ninja ]]; then
  cmake --build "$VELMORA_BUILD/host" --target lzma_fixtures zip_fixtures crypto_fixtures >/dev/null ||
    echo "fuzz.sh: could not make the unit-test fixtures; seeding without them" >&2
fi
shared=$VELMORA_ROOT/../shared/testdata/zip

# Copies the files no larger than the target's input limit into the seed folder.
copy_seeds() {
  local limit=$1 folder=$2 file
  shift 2
  for file in "$@"; do
    [[ -f $file && $(stat -c %s "$file") -le $limit ]] && cp "$file" "$folder/"
  done
  return 0
}

# Inputs beyond these sizes only slow a target down; the seeds of each fit.
max_len() {
  case $1 in
    fuzz_install_log) echo 4096 ;;
    fuzz_lzma_stream) echo 8192 ;;
    *) echo 16384 ;;
  esac
}

seed() {
  local name=$1 folder=$2 limit
  limit=$(max_len "$name")
  rm -rf "$folder"
  mkdir -p "$folder"
  python3 "$VELMORA_ROOT/tests/fuzz/make_seeds.py" "$name" "$folder"
  shopt -s nullglob nocaseglob
  case $name in
    fuzz_zip_extract)
      copy_seeds "$limit" "$folder" "$fixtures"/zip-fixtures/* "$fixtures"/crypto-fixtures/*.zip "$shared"/*.zip ;;
    fuzz_lzma_stream)
      copy_seeds "$limit" "$folder" "$fixtures"/fixtures/*.lzma ;;
    fuzz_payload_chain)
      copy_seeds "$limit" "$folder" "$fixtures"/fixtures/*.exe ;;
  esac
  rm -f "$folder/manifest.json"
  shopt -u nullglob nocaseglob
}

# libFuzzer's exit status when it was stopped by a signal (its -interrupted_exitcode).
interrupted=72
status=0
summary=()
for name in "${targets[@]}"; do
  corpus=$fuzz_tree/corpus/$name
  findings=$fuzz_tree/findings/$name
  seeds=$fuzz_tree/seeds/$name
  log=$fuzz_tree/logs/$name.log
  mkdir -p "$corpus" "$findings" "$fuzz_tree/logs"
  seed "$name" "$seeds"
  before=$(find "$findings" -type f | wc -l)
  echo "== $name: ${seconds}s, corpus $corpus"
  rc=0
  # A corrupt length field makes the payload decoder ask for up to 2 GiB, which the sanitizer's
  # allocator would map and poison for every such input. Above 64 MiB an allocation fails instead
  # (malloc gives null, as on the setup's 32-bit process), so those inputs stay cheap; a failing
  # operator new is still reported. The targets' scratch files go to memory when /dev/shm is there,
  # into a folder removed afterwards even when the target ended on a finding.
  scratch=${TMPDIR:-/tmp}
  [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]] && scratch=/dev/shm
  scratch=$(mktemp -d "$scratch/velmora-fuzz.XXXXXX")
  # shellcheck disable=SC2086
  TMPDIR=$scratch ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:max_allocation_size_mb=64 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$fuzz_tree/bin/$name" "$corpus" "$seeds" -max_total_time="$seconds" -max_len="$(max_len "$name")" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
    ${FUZZ_OPTIONS:-} >"$log" 2>&1 || rc=$?
  rm -rf "$scratch"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  after=$(find "$findings" -type f | wc -l)
  if [[ $after -gt $before || ($rc -ne 0 && $rc -ne $interrupted) ]]; then
    result="FOUND SOMETHING (exit $rc), see $log and $findings"
    status=1
  elif [[ $rc -eq $interrupted ]]; then
    result="interrupted, nothing found"
  elif [[ -z $execs ]]; then
    result="no final statistics, see $log"
    [[ $status -eq 0 ]] && status=3
  else
    result="nothing found"
  fi
  line="$name: ${execs:-?} executions (of up to ${seconds}s), $result"
  echo "$line"
  summary+=("$line")
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit "$status"
