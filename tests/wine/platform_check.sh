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
status=0
wine "$checker" | tr -d '\r' | iconv -f GBK -t UTF-8 >"$log" || status=$?
cat "$log"
[ "$status" = 0 ] || { echo "platform-check: exit status $status" >&2; exit 1; }
if grep -q '^FAIL' "$log" || ! grep -q '^PASS: 0 check(s) failed' "$log"; then
  echo "platform-check: a check failed" >&2
  exit 1
fi
