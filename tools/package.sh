#!/usr/bin/env bash
# Builds the Debian package (Release, in build/package) and prints its path; with --install also
# installs it with apt (through sudo when not root), so that `ctiq FILE` and the menu entry work.
#   tools/package.sh [--install]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure-deps.sh
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCTIQ_BUILD_TESTS=OFF \
  -DCTIQ_BUILD_BENCHMARKS=OFF
cmake --build build/package
rm -f build/package/package/ctiq_*.deb
(cd build/package && cpack -G DEB >/dev/null)
deb=$(ls "$PWD"/build/package/package/ctiq_*.deb)
echo "$deb"
if [[ ${1:-} == --install ]]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "$deb"
fi
