#!/usr/bin/env bash
# Starts a setup under Wine for a person to see, in the demo's prefix (build/wine): on the display
# of DISPLAY when it is set, waiting until the wizard ends, otherwise on a private X server, saving
# a screenshot of its first page as OUTDIR/first-page.png once the window shows. Run by scripts/demo.sh through
# scripts/wine32.sh.
#   show-wizard.sh SETUP.exe OUTDIR
set -euo pipefail
setup=$1 out=$2
. "$(dirname "$0")/../tests/wine/wine-env.sh"
export WINE_USE_DISPLAY=1
wine_start "$VELMORA_BUILD/wine"
if [ -z "${WINE_XVFB_PID:-}" ]; then
  wine "$setup"
else
  . "$VELMORA_ROOT/tests/wine/wizard-driver.sh"
  start_setup "$setup"  # waits for the window, however slowly Wine starts here
  import -window root "$out/first-page.png"
  echo "the wizard ran on a private display, which closes now; its first page: $out/first-page.png"
fi
