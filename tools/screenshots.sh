#!/usr/bin/env bash
# Takes the README's window pictures from the real program under Xvfb: docs/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure-deps.sh
ctiq_install_missing xvfb xauth
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCTIQ_SCREENSHOTS=ON >/dev/null
cmake --build build/release --target ctiq-screenshots
mkdir -p docs
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  build/release/tools/screenshots/ctiq-screenshots samples docs
ls -l docs/*.png
