#!/usr/bin/env bash
# The 2-D noise power spectrum side by side with a numpy script of the same recipe (same ROIs,
# grid, region, quadratic surface and scaling), pinned to one core. numpy: one hyperfine run of
# 1 and of N generated 512 × 512 images, the cost per image (T(N) - T(1)) / (N - 1) from median
# times, so Python's start-up drops out. ctiq: the nps2d benchmark's time per image (the same
# recipe on one 512 × 512 image), its median over 5 repetitions. Prints both and their ratio,
# with the ratio's range from the quartiles of numpy's runs (first against third and back).
#   bench/nps2d_peers.sh BUILD_DIR NUMPY_SCRIPT [N]   (the script is given: the repo reads nothing
#   outside itself)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: bench/nps2d_peers.sh BUILD_DIR NUMPY_SCRIPT [N]}
script=${2:?usage: bench/nps2d_peers.sh BUILD_DIR NUMPY_SCRIPT [N]}
count=${3:-50}
source tools/deps/install.sh
ctiq_install_missing hyperfine python3-numpy
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The images: white noise about 1000 HU with an SD of 20, int16 little endian, one seed each.
/usr/bin/python3 - "$tmp" "$count" <<'PY'
import sys
import numpy as np
for i in range(1, int(sys.argv[2]) + 1):
    g = np.random.default_rng(i).normal(1000, 20, (512, 512))
    np.rint(g).astype('<i2').tofile(f"{sys.argv[1]}/n{i}.raw")
PY
all=$(printf "$tmp/n%s.raw " $(seq 1 "$count"))
taskset -c 0 hyperfine -N --warmup 3 --runs 20 --export-json "$tmp/times.json" \
  -n "numpy 1" "/usr/bin/python3 $script $tmp/n1.raw" \
  -n "numpy $count" "/usr/bin/python3 $script $all" >/dev/null
taskset -c 0 "$build/bench/ctiq_bench" --benchmark_filter='^nps2d$' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$tmp/ctiq.json"
/usr/bin/python3 - "$tmp/times.json" "$tmp/ctiq.json" "$count" <<'PY'
import json, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
n = int(sys.argv[3])
one, many = runs["numpy 1"], runs[f"numpy {n}"]
per = lambda a, b: (b - a) / (n - 1) * 1000  # ms per image


def quartiles(times):
    t = sorted(times)
    return t[len(t) // 4], t[(3 * len(t)) // 4]


numpy = per(one["median"], many["median"])
(one_q1, one_q3), (many_q1, many_q3) = quartiles(one["times"]), quartiles(many["times"])
low, high = per(one_q3, many_q1), per(one_q1, many_q3)
bench = {b["aggregate_name"]: b for b in json.load(open(sys.argv[2]))["benchmarks"]
         if b.get("aggregate_name")}
ctiq = bench["median"]["real_time"] / 1000  # us -> ms
print(f"per image: ctiq {ctiq:.3f} ms, numpy {numpy:.3f} ms (range {low:.3f} to {high:.3f}); "
      f"numpy / ctiq = {numpy / ctiq:.1f} (range {low / ctiq:.1f} to {high / ctiq:.1f})")
PY
