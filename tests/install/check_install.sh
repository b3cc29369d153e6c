#!/usr/bin/env bash
# What `cmake --install` and the Debian package of a build folder hold.
#   check_install.sh layout BUILD_DIR   installs into a temporary prefix and checks the files
#   check_install.sh package BUILD_DIR  builds the .deb and checks its fields, files and lintian
# Exit 77 (a skip for ctest) where the Debian tools are missing.
set -euo pipefail
mode=$1
build=$(cd "$2" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

files=(
  bin/ctiq bin/ctiq-cli
  share/applications/ctiq.desktop share/icons/hicolor/scalable/apps/ctiq.svg
  share/man/man1/ctiq.1.gz share/man/man1/ctiq-cli.1.gz
  share/doc/ctiq/copyright share/doc/ctiq/changelog.gz
)

case $mode in
  layout)
    command -v desktop-file-validate >/dev/null || exit 77
    cmake --install "$build" --prefix "$tmp/usr" >/dev/null
    for f in "${files[@]}"; do [[ -f $tmp/usr/$f ]] || fail "not installed: $f"; done
    [[ -x $tmp/usr/bin/ctiq && -x $tmp/usr/bin/ctiq-cli ]] || fail "programs not executable"
    cli_version=$("$tmp/usr/bin/ctiq-cli" --version)
    [[ $cli_version =~ ^ctiq-cli\ [0-9]+\.[0-9]+\.[0-9]+ ]] || fail "ctiq-cli --version: $cli_version"
    viewer_version=$("$tmp/usr/bin/ctiq" --version)
    [[ $viewer_version == "ctiq ${cli_version#ctiq-cli }" ]] || fail "ctiq --version: $viewer_version"
    gzip -t "$tmp"/usr/share/man/man1/*.gz "$tmp/usr/share/doc/ctiq/changelog.gz"
    if command -v man >/dev/null; then
      for page in "$tmp"/usr/share/man/man1/*.gz; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [[ -z $warnings ]] || fail "man page $(basename "$page"): $warnings"
      done
    fi
    desktop-file-validate "$tmp/usr/share/applications/ctiq.desktop"
    grep -q '^MimeType=application/dicom;$' "$tmp/usr/share/applications/ctiq.desktop"
    grep -q '^Categories=Science;MedicalSoftware;$' "$tmp/usr/share/applications/ctiq.desktop"
    grep -q '<svg ' "$tmp/usr/share/icons/hicolor/scalable/apps/ctiq.svg"
    ;;
  package)
    command -v dpkg-deb >/dev/null && command -v lintian >/dev/null || exit 77
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >/dev/null
    deb=$(ls "$tmp"/ctiq_*_*.deb)
    source "$source_dir/tools/deps/packages.sh"
    expected=$(IFS=,; echo "${ctiq_runtime_packages[*]}" | sed 's/,/, /g')
    [[ $(dpkg-deb -f "$deb" Depends) == "$expected" ]] || fail "Depends: $(dpkg-deb -f "$deb" Depends)"
    contents=$(dpkg-deb -c "$deb")
    for f in "${files[@]}"; do
      grep -q " \./usr/$f\$" <<<"$contents" || fail "not in the package: /usr/$f"
    done
    # Errors fail; warnings and the rest are printed for the record.
    status=0
    report=$(lintian --fail-on error --display-level '>=warning' "$deb" 2>&1) || status=$?
    grep -v 'root privileges' <<<"$report" || true
    exit "$status"
    ;;
  *)
    fail "usage: check_install.sh layout|package BUILD_DIR"
    ;;
esac
