#!/usr/bin/env bash
# Runs the label check program under Wine with the prefix's font mapping: every label of the wizard
# window, with every text it shows, must fit its box in the window's font. Fails unless all fit.
#   label_check.sh LABEL_CHECK_EXE WORKDIR
set -euo pipefail
checker=$1 work=$2
. "$(dirname "$0")/wine-env.sh"
wine_start "$work"

log="$work/label-check.log"
run_check_program "$checker" "$log"
grep -q '^font regular: .* line height 12 .* 中 12 px, A 6 px$' "$log" ||
  { echo "label-check: the window's font is not mapped to one of its metrics" >&2; exit 1; }
