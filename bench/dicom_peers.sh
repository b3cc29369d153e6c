#!/usr/bin/env bash
# The DICOM toolkit path side by side with GDCM's own converter, on the same 512 × 512 JPEG
# lossless slice, in one hyperfine run: `ctiq-cli window` (read, decode, automatic window) against
# `gdcmconv --raw` (read, decode, write). Prints the ratio of their mean times.
#   bench/dicom_peers.sh [BUILD_DIR]      (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
source tools/deps/install.sh
ctiq_install_missing hyperfine libgdcm-tools
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/cli/ctiq-cli" phantom noise --dicom --size 512,512 "$tmp/slice" >/dev/null
gdcmconv --jpeg "$tmp/slice.dcm" "$tmp/jpeg.dcm"
hyperfine -N --warmup 5 --runs 60 --export-json "$tmp/times.json" \
  -n ctiq "$build/cli/ctiq-cli window $tmp/jpeg.dcm" \
  -n gdcmconv "gdcmconv --raw $tmp/jpeg.dcm $tmp/raw.dcm"
python3 - "$tmp/times.json" <<'PY'
import json, sys
r = {x["command"]: x["mean"] for x in json.load(open(sys.argv[1]))["results"]}
print(f"ctiq-cli window / gdcmconv --raw: {r['ctiq'] / r['gdcmconv']:.2f}")
PY
