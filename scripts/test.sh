#!/usr/bin/env bash
# The whole test run: installs what is missing, builds both trees, then runs the native tests
# (label unit), the native tests once more in a host tree built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Wine tests (label wine).
set -euo pipefail
. "$(dirname "$0")/env.sh"

bash "$VELMORA_ROOT/scripts/install-deps.sh"
bash "$VELMORA_ROOT/scripts/build.sh"
ctest --test-dir "$VELMORA_BUILD/host" -L unit --output-on-failure -j "$(nproc)"

# Any sanitizer report fails the test that caused it.
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$VELMORA_ROOT" -B "$VELMORA_BUILD/host-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_C_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$VELMORA_BUILD/host-sanitize"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$VELMORA_BUILD/host-sanitize" -L unit --output-on-failure -j "$(nproc)"

status=0
ctest --test-dir "$VELMORA_BUILD/host" -L wine --output-on-failure || status=$?
# The last lines say which build of the Windows programs the Wine tests ran, and how.
route=$(sed -n 's/^VELMORA_WINE32:[A-Z]*=//p' "$VELMORA_BUILD/host/CMakeCache.txt")
echo "The Wine tests ran $(velmora_wine32_says "$route")."
[ "$route" != none ] || echo "WARNING: the shipped 32-bit setup was not executed by any test on this machine."
exit "$status"
