# What `cmake --install` puts where: both programs and their helpers, the desktop entry and icon, the man pages
# (compressed as Debian wants them) and the copyright and changelog.
install(TARGETS ctiq ctiq-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# What the programs start themselves (found as ../libexec/ctiq/): the DICOM toolkit's helper, and
# ctiq-cli's drawing half (--plot, report).
install(TARGETS ctiq-dicom-helper ctiq-cli-gui RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/ctiq)
install(FILES packaging/ctiq.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/ctiq.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

find_program(CTIQ_GZIP gzip REQUIRED)
set(ctiq_compressed "")
foreach(source ctiq.1 ctiq-cli.1 changelog)
  set(compressed "${PROJECT_BINARY_DIR}/packaging/${source}.gz")
  add_custom_command(
    OUTPUT "${compressed}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/packaging"
    COMMAND ${CTIQ_GZIP} -9 -n -c "${PROJECT_SOURCE_DIR}/packaging/${source}" > "${compressed}"
    DEPENDS "${PROJECT_SOURCE_DIR}/packaging/${source}"
    COMMENT "Compressing ${source}")
  list(APPEND ctiq_compressed "${compressed}")
endforeach()
add_custom_target(ctiq_compressed_docs ALL DEPENDS ${ctiq_compressed})
install(FILES "${PROJECT_BINARY_DIR}/packaging/ctiq.1.gz" "${PROJECT_BINARY_DIR}/packaging/ctiq-cli.1.gz"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright "${PROJECT_BINARY_DIR}/packaging/changelog.gz"
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
