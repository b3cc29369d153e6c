#!/usr/bin/env bash
# Checks that the package list is complete: every CMake package configuration that the configure
# step of BUILD_DIR used must belong to a Debian package that installing the list brings in (the
# list and its dependency closure, as apt-get installs it with the list's flags).
#   tools/deps/check-package-list.sh BUILD_DIR [all|build]
# "build" checks against the list ./run installs (a build without tests and benchmarks).
# CTIQ_PACKAGES_DROP="a b" leaves packages out of the list, to show that the check catches them.
# Exit status: 0 complete, 1 incomplete, 77 no dpkg/apt-cache on this system (skipped).
set -euo pipefail
build_dir=${1:?usage: check-package-list.sh BUILD_DIR}
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"

if ! command -v dpkg >/dev/null || ! command -v apt-cache >/dev/null; then
  echo "skipped: dpkg and apt-cache are needed to check the package list (not a Debian system)"
  exit 77
fi
cache="$build_dir/CMakeCache.txt"
[ -f "$cache" ] || { echo "no $cache: configure the build first"; exit 1; }

packages=()
list=("${ctiq_packages[@]}")
[ "${2:-all}" = build ] && list=("${ctiq_build_packages[@]}")
for p in "${list[@]}"; do
  [[ " ${CTIQ_PACKAGES_DROP:-} " == *" $p "* ]] || packages+=("$p")
done

depends_flags=(--recurse --no-suggests --no-conflicts --no-breaks --no-replaces --no-enhances)
[[ " ${ctiq_apt_install_flags[*]} " == *" --no-install-recommends "* ]] && depends_flags+=(--no-recommends)
# Top-level lines of the recursive listing are the packages of the closure; <name> is virtual.
closure=$(apt-cache depends "${depends_flags[@]}" "${packages[@]}" | grep -v '^ ' | tr -d '<>' |
  sort -u)

owner_of() {  # the Debian packages that own a file, without architecture, one per line
  local path=$1 out
  out=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null) || return 1
  printf '%s\n' "$out" | sed 's/: .*//' | tr ',' '\n' | sed 's/^ *//; s/:.*//' | sort -u
}

missing=0
checked=0
while IFS= read -r line; do
  name=${line%%_DIR:*}
  dir=${line#*=}
  [[ -z "$dir" || "$dir" == *-NOTFOUND || ! -d "$dir" ]] && continue
  dir=$(realpath "$dir")
  # Configurations the project makes itself are not installed from anywhere.
  [[ "$dir" == "$(realpath "$build_dir")"* ]] && continue
  lower=$(printf '%s' "$name" | tr '[:upper:]' '[:lower:]')
  config=""
  for candidate in "$dir/${name}Config.cmake" "$dir/${lower}-config.cmake"; do
    [ -f "$candidate" ] && { config=$candidate; break; }
  done
  [ -n "$config" ] || continue
  checked=$((checked + 1))
  if ! owners=$(owner_of "$config"); then
    echo "NOT FROM A PACKAGE: $config (${name}_DIR) is not owned by any Debian package"
    missing=1
    continue
  fi
  found=0
  while IFS= read -r owner; do
    grep -qx -- "$owner" <<<"$closure" && found=1
  done <<<"$owners"
  if [ $found -eq 0 ]; then
    echo "MISSING: $(echo $owners) (owns $config, used as ${name}_DIR) is not installed by the list"
    missing=1
  fi
done < <(grep -E '^[A-Za-z0-9_.+-]+_DIR:(PATH|INTERNAL|STRING|FILEPATH)=' "$cache")

if [ $checked -eq 0 ]; then
  echo "no package configuration found in $cache"
  exit 1
fi
if [ $missing -ne 0 ]; then
  echo "The package list in tools/deps/packages.sh is incomplete: add the packages named above."
  exit 1
fi
echo "package list complete: $checked package configurations, all installed by the list"
