#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing.
# Sourced by ./run and ./test so that a fresh machine needs nothing else.
source "$(dirname "${BASH_SOURCE[0]}")/deps/packages.sh"

ctiq_missing=()
for p in "${ctiq_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    ctiq_missing+=("$p")
  fi
done

if [ ${#ctiq_missing[@]} -gt 0 ]; then
  echo "Installing: ${ctiq_missing[*]}"
  ctiq_sudo=""
  [ "$(id -u)" -ne 0 ] && ctiq_sudo="sudo"
  $ctiq_sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $ctiq_sudo apt-get install -y -qq "${ctiq_apt_install_flags[@]}" \
    "${ctiq_missing[@]}"
fi
