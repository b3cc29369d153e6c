# The Debian 12 packages that building, running and testing ctiq need, and how they are installed.
# Sourced by tools/ensure-deps.sh (which installs them) and tools/deps/check-package-list.sh (which
# checks that every package the build used is in their dependency closure).

# What the installed programs need at run time: the Debian package depends on exactly these.
ctiq_runtime_packages=(
  libc6 libstdc++6 libgcc-s1
  libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 libqt6svg6 qt6-qpa-plugins fonts-noto-cjk
  libgdcm3.0 libseccomp2
  # HTJ2K frames, which GDCM does not know, decoded by OpenJPEG in the helper.
  libopenjp2-7
  # Qt's own buttons and dialogs in Japanese on a Japanese system.
  qt6-translations-l10n
  # The task-based metrics (2-D noise power spectrum, TTF) transform with FFTW.
  libfftw3-double3
  # The inputs' SHA-256 in ctiq-cli's JSON results (Nettle: LGPL-3+ or GPL-2+).
  libnettle8
)
# What building and running need: ./run installs these.
ctiq_build_packages=(
  g++ cmake ninja-build pkg-config
  # The layer check the build runs (tools/layers/check_layers.py).
  python3
  # Qt Charts' CMake package needs Qt6OpenGL, which qt6-base-dev only recommends.
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev
  # Translations: the .ts sources are compiled at build time (lrelease).
  qt6-tools-dev qt6-l10n-tools
  # ctiq-cli --plot FILE.svg
  qt6-svg-dev
  # The DICOM toolkit for what the header scanner cannot show (compressed, big endian, no meta),
  # in a helper process confined by seccomp.
  libgdcm-dev libseccomp-dev
  # OpenJPEG (2.5 decodes HTJ2K) for the helper, found through pkg-config.
  libopenjp2-7-dev
  # The task-based metrics' transforms (FFTW, found through pkg-config).
  libfftw3-dev
  # The inputs' SHA-256 (Nettle, found through pkg-config).
  nettle-dev
  "${ctiq_runtime_packages[@]}"
)
# What the tests and benchmarks need beyond that: ./test installs both lists.
ctiq_test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  # The worst case on purpose: with pvrg-jpeg installed (libgdcm-tools recommends it) the toolkit
  # tries to run it for JPEG streams libjpeg refuses; the helper's sandbox must stop that on
  # every machine, so every test run has it.
  pvrg-jpeg
  # Checking the installed files and the Debian package.
  desktop-file-utils lintian
  # A comma locale made in a test (localedef), to show number texts keep their point.
  locales
  # Validating the JSON results against their schema.
  python3-jsonschema
  # The differential DICOM corpus: written and decoded by DCMTK (JPEG 2000 by OpenJPEG's tools,
  # HTJ2K by OpenJPH's), its oracle values from pydicom.
  dcmtk libopenjp2-tools openjph-tools python3-pydicom python3-numpy
  # The known-answer sweeps (tools/validate): phantoms by numpy, the disk's Hankel transform and
  # the spectrum sweep's J1 by scipy.
  python3-scipy
  # Opening the HTML report in a headless browser (its test and its README picture).
  chromium
)
ctiq_packages=("${ctiq_build_packages[@]}" "${ctiq_test_packages[@]}")
ctiq_apt_install_flags=(--no-install-recommends)
