# ctiq_install_missing PACKAGE...: installs with apt-get (through sudo when not root) those of the
# Debian packages that are not installed yet, with the flags of the package list.
# Sourced by tools/ensure-deps.sh and the scripts that need a tool beyond the build's.
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"

ctiq_install_missing() {
  local missing=() p sudo_cmd=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${ctiq_apt_install_flags[@]}" \
    "${missing[@]}"
}
