#!/usr/bin/env bash
# Regenerates the sample images in samples/ with ctiq-cli's phantom generator (deterministic).
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/release/cli/ctiq-cli}
"$cli" phantom point --centre 128.3,127.6 --sigma 1.2 --sd 3 --seed 7 samples/point
for i in 1 2 3; do "$cli" phantom noise --sd 20 --seed "$i" "samples/noise$i"; done
# Five slices of a circular insert for ttf: radius 15 px, 200 HU over water, blur σ 1.2 px, noise SD 10.
for i in 1 2 3 4 5; do
  "$cli" phantom disk --radius 15 --contrast 200 --sigma 1.2 --sd 10 --seed "$i" "samples/disk$i"
done
