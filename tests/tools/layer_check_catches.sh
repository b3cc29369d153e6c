#!/usr/bin/env bash
# The layer check must fail on a crossing: a pure core file that includes a window, and a file
# outside the helper that includes the DICOM toolkit. Each planted in an otherwise empty tree.
set -euo pipefail
check="$1"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
plant() {
  rm -rf "${tree:?}"/*
  mkdir -p "$tree/$(dirname "$1")"
  printf '#include "%s"\n' "$2" >"$tree/$1"
  if /usr/bin/python3 "$check" "$tree" >/dev/null; then
    echo "not caught: $1 including $2"
    exit 1
  fi
}
plant tasks/ttf.cpp viewer/unit1.h
plant mtf/lsf.cpp wiener/spectrum.h
plant load/load_plan.cpp gdcmReader.h
plant viewer/render.cpp load/toolkit/sandbox.h
# And an allowed include passes.
rm -rf "${tree:?}"/*
mkdir -p "$tree/viewer"
printf '#include "load/load_plan.h"\n' >"$tree/viewer/render.cpp"
/usr/bin/python3 "$check" "$tree"
echo "every crossing caught"
