#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing.
# Sourced by ./run and ./test so that a fresh machine needs nothing else.
source "$(dirname "${BASH_SOURCE[0]}")/deps/install.sh"
ctiq_install_missing "${ctiq_packages[@]}"
