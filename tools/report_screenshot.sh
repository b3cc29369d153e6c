#!/usr/bin/env bash
# Takes the README's picture of the HTML report: the samples against a baseline of themselves,
# opened in headless chromium: docs/report.png.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps/install.sh
ctiq_install_missing chromium
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target ctiq-cli
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cli=build/release/cli/ctiq-cli
"$cli" mtf --mode 16bit --format json "samples/point 256 256 0p5.raw" >"$tmp/base.jsonl"
"$cli" nps --mode 16bit --format json samples/noise*.raw >>"$tmp/base.jsonl"
"$cli" report --mode 16bit --mtf "samples/point 256 256 0p5.raw" --nps samples/noise*.raw \
  --baseline "$tmp/base.jsonl" -o "$tmp/report.html" 2>/dev/null
chromium --headless=new --no-sandbox --disable-gpu --hide-scrollbars --window-size=1000,1100 \
  --user-data-dir="$tmp/profile" --screenshot="$PWD/docs/report.png" "file://$tmp/report.html" \
  2>/dev/null
ls -l docs/report.png
