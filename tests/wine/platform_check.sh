#!/usr/bin/env bash
# Runs the check program of the wizard core's system interface under Wine, in a private prefix and
# X server: folders, registry, profile file, files, free space, shell link, window scan, message
# boxes closed by the program itself, and a started command. Fails unless every check passed.
#   platform_check.sh PLATFORM_CHECK_EXE WORKDIR
set -euo pipefail
checker=$1 work=$2
. "$(dirname "$0")/wine-env.sh"
wine_start "$work"

log="$work/platform-check.log"
run_check_program "$checker" "$log"
grep -q '^PASS: 0 check(s) failed' "$log" || { echo "platform-check: no summary line" >&2; exit 1; }
