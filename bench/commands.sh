#!/usr/bin/env bash
# Whole commands against the script a physicist would write instead (pydicom + numpy, the same
# method and defaults, bench/peers/*.py), both as whole processes pinned to core 0: for each
# command and kind of image one hyperfine run of ctiq-cli and of the script on 1 file and on N
# files. The cost per file is (T(N) - T(1)) / (N - 1) from the medians, its range from the
# fastest and slowest runs ((min T(N) - max T(1)) / (N - 1) … (max T(N) - min T(1)) / (N - 1));
# the ratio is script / ctiq, its range from the two ranges. "1 file" is the whole command on one
# file, start-up included.
# Images: ctiq-cli phantom DICOM files (noise for stats/nps/nps2d, a point for mtf, a disk for
# ttf) and realistic slices from bench/peers/make_ct_slices.py (implicit and explicit VR 512²,
# implicit 1024², a bead for mtf); for stats and nps also one file of 1 frame against one of N
# frames (ctiq-cli --frames all; the scripts measure every frame), the cost per frame.
#   bench/commands.sh [BUILD_DIR] [N] [COMMAND...]     COMMAND: stats mtf nps nps2d ttf (all)
#   bench/commands.sh --rss [BUILD_DIR] [K]            peak RSS of stats and nps2d over K 128²
#                                                      slices (default 1000), /usr/bin/time -v
# CTIQ_BENCH_RUNS sets the hyperfine runs per command (default 10).
set -euo pipefail
cd "$(dirname "$0")/.."
rss=0
if [ "${1:-}" = "--rss" ]; then rss=1; shift; fi
build=${1:-build/release}
count=${2:-20}
[ $# -gt 2 ] && shift 2 || set --
commands=("$@")
[ ${#commands[@]} -eq 0 ] && commands=(stats mtf nps nps2d ttf)
runs=${CTIQ_BENCH_RUNS:-10}
cli="$build/cli/ctiq-cli"
[ -x "$cli" ] || { echo "no $cli: build it first (Release)" >&2; exit 2; }
source tools/deps/install.sh
ctiq_install_missing hyperfine python3-numpy python3-pydicom time
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
py=/usr/bin/python3
pin="taskset -c 0"

if [ "$rss" = 1 ]; then
  k=${2:-1000}
  $py bench/peers/make_ct_slices.py "$tmp/small" "$k" --size 128 >/dev/null
  for c in stats nps2d; do
    /usr/bin/time -v "$cli" $c "$tmp"/small/slice*.dcm >/dev/null 2>"$tmp/time.txt"
    echo "$c over $k slices of 128 x 128: peak RSS" \
      "$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$tmp/time.txt") kB"
  done
  exit 0
fi

# The images, count of each kind.
make_phantoms() {  # KIND DIR ARGS...
  local kind=$1 dir=$2
  shift 2
  mkdir -p "$dir"
  for i in $(seq 1 "$count"); do
    "$cli" phantom "$kind" --dicom --size 512,512 --seed "$i" "$@" "$dir/$(printf 'p%03d' "$i")" \
      >/dev/null
  done
}
declare -A images
for c in "${commands[@]}"; do
  case $c in
    stats | nps | nps2d)
      [ -d "$tmp/noise" ] || make_phantoms noise "$tmp/noise" --mean 1000 --sd 20
      [ -d "$tmp/implicit" ] || $py bench/peers/make_ct_slices.py "$tmp/implicit" "$count"
      [ -d "$tmp/explicit" ] || $py bench/peers/make_ct_slices.py "$tmp/explicit" "$count" --explicit
      [ -d "$tmp/big" ] || $py bench/peers/make_ct_slices.py "$tmp/big" "$count" --size 1024
      images[$c]="noise implicit explicit big"
      if [ "$c" != nps2d ]; then
        [ -d "$tmp/frames1" ] || $py bench/peers/make_ct_slices.py "$tmp/frames1" 1 --frames
        [ -d "$tmp/framesN" ] || $py bench/peers/make_ct_slices.py "$tmp/framesN" "$count" --frames
        images[$c]+=" frames"
      fi ;;
    mtf)
      make_phantoms point "$tmp/point" --sd 10 --centre 256.3,255.8
      $py bench/peers/make_ct_slices.py "$tmp/bead" "$count" --point
      images[$c]="point bead" ;;
    ttf)
      make_phantoms disk "$tmp/disk" --radius 30 --contrast 100 --background 0 --sd 5
      images[$c]="disk" ;;
    *) echo "unknown command $c" >&2; exit 2 ;;
  esac
done
describe() {
  case $1 in
    noise) echo "phantom noise 512² (DICOM)" ;;
    point) echo "phantom point 512² (DICOM)" ;;
    disk) echo "phantom disk 512² (DICOM)" ;;
    implicit) echo "CT slices 512², implicit VR" ;;
    explicit) echo "CT slices 512², explicit VR" ;;
    big) echo "CT slices 1024², implicit VR" ;;
    bead) echo "CT slices 512² with a bead" ;;
    frames) echo "one file, 1 vs N frames 512²" ;;
  esac
}

for c in "${commands[@]}"; do
  ctiq="$cli $c"
  [ "$c" = ttf ] && ctiq="$cli ttf --centre 256,256 --radius 30"
  for kind in ${images[$c]}; do
    files=("$tmp/$kind"/*.dcm)
    one=${files[0]}
    all="${files[*]}"
    each=$ctiq
    if [ "$kind" = frames ]; then
      one=$tmp/frames1/frames.dcm
      all=$tmp/framesN/frames.dcm
      each="$ctiq --frames all"
    fi
    [ "$c" = ttf ] && peer="" || peer="$py bench/peers/${c}_numpy.py"
    [ "$c" = stats ] && peer="$py bench/peers/stats_pydicom.py"
    set -- -n "ctiq 1" "$pin $each $one" -n "ctiq N" "$pin $each $all"
    [ -n "$peer" ] && set -- "$@" -n "peer 1" "$pin $peer $one" -n "peer N" "$pin $peer $all"
    hyperfine -N --warmup 2 --runs "$runs" --export-json "$tmp/$c-$kind.json" "$@" >/dev/null
    echo "$c|$(describe "$kind")|$tmp/$c-$kind.json" >>"$tmp/cases"
  done
done

$py - "$tmp/cases" "$count" <<'PY'
import json, sys
n = int(sys.argv[2])
print(f"Whole commands pinned to core 0; per file from runs of 1 and {n} files "
      "(median, range from the fastest and slowest runs).")
head = (f"{'command':<7} {'images':<30} {'ctiq ms/file':>22} {'script ms/file':>24} "
        f"{'script/ctiq':>18}   1 file: ctiq ms, script ms, ratio")
print(head)
print("-" * len(head))
for line in open(sys.argv[1]):
    command, images, path = line.rstrip("\n").split("|")
    t = {r["command"]: r for r in json.load(open(path))["results"]}

    def per_file(who):
        one, many = t[f"{who} 1"], t[f"{who} N"]
        mid = (many["median"] - one["median"]) / (n - 1) * 1000
        low = (min(many["times"]) - max(one["times"])) / (n - 1) * 1000
        high = (max(many["times"]) - min(one["times"])) / (n - 1) * 1000
        return mid, low, high

    c = per_file("ctiq")
    ctext = f"{c[0]:7.2f} ({c[1]:.2f}–{c[2]:.2f})"
    if "peer 1" not in t:
        print(f"{command:<7} {images:<30} {ctext:>22} {'(no script)':>24}")
        continue
    p = per_file("peer")
    ptext = f"{p[0]:7.2f} ({p[1]:.2f}–{p[2]:.2f})"
    ratio = p[0] / c[0]
    lo = p[1] / c[2] if c[2] > 0 else float("nan")
    hi = p[2] / c[1] if c[1] > 0 else float("inf")
    rtext = f"{ratio:5.2f} ({lo:.2f}–{hi:.2f})"
    c1, p1 = t["ctiq 1"]["median"] * 1000, t["peer 1"]["median"] * 1000
    print(f"{command:<7} {images:<30} {ctext:>22} {ptext:>24} {rtext:>18}   "
          f"{c1:.1f}, {p1:.1f}, {p1 / c1:.1f}")
PY
