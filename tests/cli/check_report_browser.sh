#!/usr/bin/env bash
# The HTML report opens in a headless browser (Debian's chromium): the page it builds holds the
# verdict, the figures and every chart, and a screenshot of it can be taken.
#   check_report_browser.sh CTIQ_CLI SOURCE_DIR
set -euo pipefail
cli=$1
source_dir=$2
command -v chromium >/dev/null || exit 77
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
s="$source_dir/samples"
"$cli" mtf --mode 16bit --format json "$s/point 256 256 0p5.raw" >"$tmp/base.jsonl"
"$cli" nps --mode 16bit --format json "$s/noise1 256 256 0p5.raw" >>"$tmp/base.jsonl"
"$cli" report --mode 16bit --mtf "$s/point 256 256 0p5.raw" --nps "$s/noise1 256 256 0p5.raw" \
  --baseline "$tmp/base.jsonl" -o "$tmp/report.html" 2>/dev/null >/dev/null
browse() { timeout 120 chromium --headless=new --no-sandbox --disable-gpu --hide-scrollbars \
  --user-data-dir="$tmp/profile" "$@" 2>/dev/null; }
dom=$(browse --dump-dom "file://$tmp/report.html")
grep -q 'PASS against the baseline (2 figures)' <<<"$dom" || { echo "no verdict in the page"; exit 1; }
[[ $(grep -o '<img' <<<"$dom" | wc -l) -eq 2 ]] || { echo "the charts are missing"; exit 1; }
grep -q 'MTF50' <<<"$dom" && grep -q 'Mean frequency' <<<"$dom"
# A DICOM slice's identity, dates and units, and a flag beside the figures it qualifies: CT_small
# is no uniform phantom, so its spectrum's first bins dominate.
"$cli" report --nps "$source_dir/tests/data/dicom/CT_small.dcm" -o "$tmp/dicom.html" \
  2>/dev/null >/dev/null
dom=$(browse --dump-dom "file://$tmp/dicom.html")
for text in 'Study date' '2004-01-19' 'GE MEDICAL SYSTEMS' 'CT01_OC0' '120&nbsp;kV' '170&nbsp;mAs' \
  'c/mm' 'HU²·mm' 'Noise SD (ROI)' 'low-frequency-dominates' 'ctiq-cli report --nps'; do
  grep -qF -- "$text" <<<"$dom" || { echo "the report lacks '$text'"; exit 1; }
done
browse --window-size=1000,1400 --screenshot="$tmp/report.png" "file://$tmp/report.html" >/dev/null
[[ $(stat -c %s "$tmp/report.png") -gt 20000 ]] || { echo "the screenshot is empty"; exit 1; }
