# Sourced by the benchmarks: builds everything and prepares, once, the product folder shaped like the
# shipped payload and its setup. Sets pack (the tool), work (the benchmark folder) and setup.
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"

bash "$VELMORA_ROOT/scripts/build.sh" --native >/dev/null
pack="$VELMORA_BUILD/host/tools/velmora-pack/velmora-pack"
work="$VELMORA_BUILD/bench"
setup="$work/BenchSetup.exe"
mkdir -p "$work"

if [ ! -d "$work/product" ]; then
  echo "generating the product folder (336 files, about 55 MB)..."
  python3 "$VELMORA_ROOT/bench/make_payload.py" "$work/product.tmp" && mv "$work/product.tmp" "$work/product"
fi
if [ ! -f "$setup" ] || [ "$pack" -nt "$setup" ]; then
  echo "packing it (LZMA with a 32 MiB dictionary takes a while)..."
  SOURCE_DATE_EPOCH=1700000000 "$pack" build --stub "$VELMORA_BUILD/win/tests/win/payload-check.exe" \
    --from "$work/product" --out "$setup"
fi
