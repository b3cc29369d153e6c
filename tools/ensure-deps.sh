#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing.
# Sourced by ./run (`source tools/ensure-deps.sh build`: building and running only) and by ./test
# and the other scripts (everything), so that a fresh machine needs nothing else.
source "$(dirname "${BASH_SOURCE[0]}")/deps/install.sh"
if [ "${1:-all}" = build ]; then
  ctiq_install_missing "${ctiq_build_packages[@]}"
else
  ctiq_install_missing "${ctiq_packages[@]}"
fi
