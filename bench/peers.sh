#!/usr/bin/env bash
# The noise power spectrum side by side with what a physicist would script instead: ctiq-cli nps
# and a numpy script of the same method (same strips, segments, window and scaling) on the same
# generated 512 × 512 images, in one hyperfine run, 1 image and 50 images each. Prints the cost
# per image, (T(50) - T(1)) / 49 from median times, of each and their ratio.
#   bench/peers.sh BUILD_DIR NUMPY_SCRIPT   (the script is given: the repo reads nothing outside itself)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
script=${2:?usage: bench/peers.sh BUILD_DIR NUMPY_SCRIPT (the script is given: the repo reads nothing outside itself)}
source tools/deps/install.sh
ctiq_install_missing hyperfine python3-numpy
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for i in $(seq 1 50); do
  "$build/cli/ctiq-cli" phantom noise --size 512,512 --seed "$i" "$tmp/n$i" >/dev/null
  mv "$tmp/n$i 512 512 0p5.raw" "$tmp/n$i.raw"  # the numpy script takes plain names
done
one="$tmp/n1.raw"
all=$(printf "$tmp/n%s.raw " $(seq 1 50))
ctiq="$build/cli/ctiq-cli nps --mode 16bit --size 512,512 --spacing 0.5 --roi 256,256,512,512"
hyperfine -N --warmup 3 --runs 40 --export-json "$tmp/times.json" \
  -n "ctiq 1" "$ctiq $one" -n "ctiq 50" "$ctiq $all" \
  -n "numpy 1" "/usr/bin/python3 $script $one" -n "numpy 50" "/usr/bin/python3 $script $all" \
  >/dev/null
/usr/bin/python3 - "$tmp/times.json" <<'PY'
import json, sys
# Medians: the start-up of a Python process varies more than a mean of 40 runs can hide.
t = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
ctiq = (t["ctiq 50"] - t["ctiq 1"]) / 49 * 1000
numpy = (t["numpy 50"] - t["numpy 1"]) / 49 * 1000
print(f"per image: ctiq-cli nps {ctiq:.3f} ms, numpy {numpy:.3f} ms; numpy / ctiq = {numpy / ctiq:.2f}")
PY
