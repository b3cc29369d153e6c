#!/usr/bin/env bash
# ROI statistics of realistic CT slices side by side with what a physicist would script instead:
# `ctiq-cli stats` against pydicom + numpy (bench/peers/stats_pydicom.py), both pinned to one core,
# on N generated 512 × 512 slices (implicit VR, with the usual sequences; --explicit for explicit
# VR), 1 file and N files each in one hyperfine run. Prints the cost per file, (T(N) - T(1)) /
# (N - 1) from median times, of each and their ratio.
#   bench/stats_peers.sh [BUILD_DIR] [N] [--explicit]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
count=${2:-20}
encoding=${3:-}
source tools/deps/install.sh
ctiq_install_missing hyperfine python3-numpy python3-pydicom
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 bench/peers/make_ct_slices.py "$tmp" "$count" $encoding
one="$tmp/slice001.dcm"
all=$(ls "$tmp"/slice*.dcm | tr '\n' ' ')
pin="taskset -c 0"
hyperfine -N --warmup 3 --runs 30 --export-json "$tmp/times.json" \
  -n "ctiq 1" "$pin $build/cli/ctiq-cli stats $one" \
  -n "ctiq N" "$pin $build/cli/ctiq-cli stats $all" \
  -n "pydicom 1" "$pin /usr/bin/python3 bench/peers/stats_pydicom.py $one" \
  -n "pydicom N" "$pin /usr/bin/python3 bench/peers/stats_pydicom.py $all" >/dev/null
/usr/bin/python3 - "$tmp/times.json" "$count" <<'PY'
import json, sys
t = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
n = int(sys.argv[2])
ctiq = (t["ctiq N"] - t["ctiq 1"]) / (n - 1) * 1000
peer = (t["pydicom N"] - t["pydicom 1"]) / (n - 1) * 1000
print(f"whole command, 1 file: ctiq-cli stats {t['ctiq 1'] * 1000:.2f} ms, "
      f"pydicom + numpy {t['pydicom 1'] * 1000:.1f} ms; ratio {t['pydicom 1'] / t['ctiq 1']:.1f}")
print(f"whole command, {n} files: ctiq-cli stats {t['ctiq N'] * 1000:.2f} ms, "
      f"pydicom + numpy {t['pydicom N'] * 1000:.1f} ms; ratio {t['pydicom N'] / t['ctiq N']:.1f}")
print(f"per file: ctiq-cli stats {ctiq:.3f} ms, pydicom + numpy {peer:.3f} ms; "
      f"pydicom / ctiq = {peer / ctiq:.1f}")
PY
