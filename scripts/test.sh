#!/usr/bin/env bash
# The whole test run: installs what is missing, builds both trees, then runs the native tests
# (label unit) and the Wine tests (label wine).
set -euo pipefail
. "$(dirname "$0")/env.sh"

bash "$VELMORA_ROOT/scripts/install-deps.sh"
bash "$VELMORA_ROOT/scripts/build.sh"
ctest --test-dir "$VELMORA_BUILD/host" -L unit --output-on-failure -j "$(nproc)"
ctest --test-dir "$VELMORA_BUILD/host" -L wine --output-on-failure
