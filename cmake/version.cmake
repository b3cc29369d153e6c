# The version every program and result names: the project's version, plus the commit when built
# from a git checkout ("0.9.0 (git 1a2b3c4)"). A commit or checkout makes the next build configure
# again, so the commit is never stale.
set(CTIQ_VERSION "${PROJECT_VERSION}")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${PROJECT_SOURCE_DIR}/.git")
  execute_process(
    COMMAND "${GIT_EXECUTABLE}" rev-parse --short=7 HEAD
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    OUTPUT_VARIABLE ctiq_commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
    RESULT_VARIABLE ctiq_git_result)
  if(ctiq_git_result EQUAL 0 AND ctiq_commit)
    set(CTIQ_VERSION "${PROJECT_VERSION} (git ${ctiq_commit})")
  endif()
  foreach(ref_file .git/HEAD .git/logs/HEAD)
    if(EXISTS "${PROJECT_SOURCE_DIR}/${ref_file}")
      set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                   "${PROJECT_SOURCE_DIR}/${ref_file}")
    endif()
  endforeach()
endif()
configure_file("${PROJECT_SOURCE_DIR}/common/version.cpp.in"
               "${PROJECT_BINARY_DIR}/generated/version.cpp" @ONLY)
