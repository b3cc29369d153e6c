# The Debian 12 packages that building, running and testing ctiq need, and how they are installed.
# Sourced by tools/ensure-deps.sh (which installs them) and tools/deps/check-package-list.sh (which
# checks that every package the build used is in their dependency closure).
ctiq_packages=(
  g++ cmake ninja-build pkg-config
  # Qt Charts' CMake package needs Qt6OpenGL, which qt6-base-dev only recommends.
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev fonts-noto-cjk
  libgtest-dev libgmock-dev libbenchmark-dev
  # The DICOM toolkit for what the header scanner cannot show (compressed, big endian, no meta).
  libgdcm-dev
)
ctiq_apt_install_flags=(--no-install-recommends)
