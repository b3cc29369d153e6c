# `cpack -G DEB` in a build folder makes ctiq_<version>_<arch>.deb. Its dependencies are the run-time
# packages of tools/deps/packages.sh, the list the install script installs.
execute_process(
  COMMAND bash -c "source '${PROJECT_SOURCE_DIR}/tools/deps/packages.sh' && IFS=, && echo \"\${ctiq_runtime_packages[*]}\""
  OUTPUT_VARIABLE ctiq_runtime_packages OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE ctiq_runtime_result)
if(NOT ctiq_runtime_result EQUAL 0 OR NOT ctiq_runtime_packages)
  message(FATAL_ERROR "Could not read the run-time packages from tools/deps/packages.sh")
endif()
string(REPLACE "," ", " ctiq_runtime_packages "${ctiq_runtime_packages}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ctiq)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The ctiq developers")
set(CPACK_PACKAGE_CONTACT "The ctiq developers <ctiq-dev@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "CT image quality: viewer, MTF and noise power spectrum")
# The synopsis is the summary above; CPack indents these lines of the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ctiq opens DICOM and raw CT slices, shows them through window and level,
lists the DICOM header and measures ROI mean and SD. From a point-object
image it computes the line spread function, its half width and the MTF;
from uniform-phantom images the noise power (Wiener) spectrum. ctiq-cli
gives the same measurements without a display, for scripts and batch QA.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ctiq_runtime_packages}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
include(CPack)
