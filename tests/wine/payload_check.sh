#!/usr/bin/env bash
# Packs the demo product behind the Windows check program and runs the result under Wine: the
# running setup copies its own payload out, decodes it and saves the archive, which must equal the
# host tool's. A damaged copy must fail with the decoder's error.
#   payload_check.sh VELMORA_PACK PAYLOAD_CHECK_EXE PRODUCT_DIR WORKDIR CRYPTO_FIXTURES SHARED_ZIPS
set -euo pipefail
pack=$1 checker=$2 product=$3 work=$4
. "$(dirname "$0")/wine-env.sh"
wine_start "$work"

run="$work/payload-check"
rm -rf "$run" && mkdir -p "$run"
"$pack" build --stub "$checker" --from "$product" --out "$run/VelmoraSetup.exe"
"$pack" unpack "$run/VelmoraSetup.exe" "$run/host.zip"

wine "$run/VelmoraSetup.exe" --out "$(winepath -w "$run/win.zip")" --extract "$(winepath -w "$run/installed")" |
  tr -d '\r' | tee "$run/ok.log"
cmp "$run/host.zip" "$run/win.zip"
echo "archive decoded under Wine equals the host's ($(stat -c %s "$run/win.zip") bytes)"
# Extracted through the Win32 ANSI API with code page 936 names: the product folder again.
diff -r "$product" "$run/installed"
echo "archive extracted under Wine equals the product folder"

# A payload of several 64 KiB input refills, mostly incompressible.
python3 - "$run/large" <<'PY'
import os, random, sys
rng = random.Random(7)
os.makedirs(os.path.join(sys.argv[1], "数据"))
with open(os.path.join(sys.argv[1], "数据", "random.bin"), "wb") as f:
    f.write(rng.randbytes(400_000))
with open(os.path.join(sys.argv[1], "text.txt"), "w") as f:
    f.write("".join(f"line {i}\n" for i in range(50_000)))
PY
"$pack" build --stub "$checker" --from "$run/large" --out "$run/Large.exe"
"$pack" unpack "$run/Large.exe" "$run/large-host.zip"
wine "$run/Large.exe" --out "$(winepath -w "$run/large-win.zip")" | tr -d '\r'
cmp "$run/large-host.zip" "$run/large-win.zip"

# Flip the range coder's first byte: the check program must report the decoder's data error.
python3 - "$run/VelmoraSetup.exe" "$run/Damaged.exe" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
region = len(data) - struct.unpack("<I", data[-4:])[0]  # behind the image and its padding
data[region + 5] ^= 0xFF
open(sys.argv[2], "wb").write(data)
PY
status=0
wine "$run/Damaged.exe" | tr -d '\r' >"$run/damaged.log" || status=$?
cat "$run/damaged.log"
[ "$status" = 1 ] || { echo "damaged setup: exit status $status, expected 1" >&2; exit 1; }
grep -aq '^FAIL decode: ECompressDataError: lzma: ' "$run/damaged.log"

# The engine's other decoders and both ciphers (CNG on Windows) on archives of other writers.
crypto=$5 shared=$6
for archive in 7zz-aes256-deflate.zip 7zz-aes128-stored.zip infozip-deflate.zip 7zz-zipcrypto.zip; do
  rm -rf "$run/crypto"
  wine "$checker" --zip "$(winepath -w "$crypto/$archive")" \
    --extract "$(winepath -w "$run/crypto")" --password secret | tr -d '\r'
  diff -r "$crypto/plain" "$run/crypto"
done
if [ -d "$shared" ]; then
  for archive in sc-Zip.shrink.zip cc-imploding-8Kdict-3trees.zip sc-Zip.reduce2.zip; do
    rm -rf "$run/legacy"
    wine "$checker" --zip "$(winepath -w "$shared/$archive")" --extract "$(winepath -w "$run/legacy")" | tr -d '\r'
  done
fi
echo "encrypted and older-method archives extracted under Wine"
