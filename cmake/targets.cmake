# How the project's targets are declared. Each library states its sources, the headers it
# publishes and the ones it keeps; the targets that link it see its published headers and no
# others. Sources include headers by their path from the project's root ("viewer/render.h"), so
# each library's headers are linked into a folder of the build tree under that path: an include
# of a layer a target does not link fails to compile.

# The project's warnings, given to its own targets (not to what they are linked with).
add_library(ctiq_warnings INTERFACE)
if(MSVC)
  target_compile_options(ctiq_warnings INTERFACE /W4 /utf-8)
  if(CTIQ_WARNINGS_AS_ERRORS)
    target_compile_options(ctiq_warnings INTERFACE /WX)
  endif()
else()
  target_compile_options(ctiq_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
  if(CTIQ_WARNINGS_AS_ERRORS)
    target_compile_options(ctiq_warnings INTERFACE -Werror)
  endif()
  # GCC 12 warns wrongly about std::string copies when _FORTIFY_SOURCE is on (-Wrestrict, GCC bug
  # 105651); the debug builds keep that warning.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(ctiq_warnings INTERFACE $<$<CONFIG:Release,RelWithDebInfo>:-Wno-restrict>)
  endif()
endif()


# Links `headers` (paths from the current source folder) into `stage` under their paths from the
# project's root. Where the file system has no symbolic links, a header that includes the source.
function(ctiq_stage_headers stage)
  foreach(header IN LISTS ARGN)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${header})
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "${header}: no such header in ${CMAKE_CURRENT_SOURCE_DIR}")
    endif()
    file(RELATIVE_PATH from_root ${PROJECT_SOURCE_DIR} ${source})
    get_filename_component(folder ${stage}/${from_root} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${source} ${stage}/${from_root} RESULT linked SYMBOLIC)
    if(NOT linked EQUAL 0)
      file(WRITE ${stage}/${from_root} "#include \"${source}\"\n")
    endif()
  endforeach()
endfunction()

# The headers a target publishes (PUBLIC, or INTERFACE for a library without sources) and keeps
# to itself (PRIVATE).
function(ctiq_headers target)
  cmake_parse_arguments(H "" "" "PUBLIC;PRIVATE;INTERFACE" ${ARGN})
  set(stage ${PROJECT_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${stage} ${stage}.private)
  if(H_PUBLIC OR H_INTERFACE)
    ctiq_stage_headers(${stage} ${H_PUBLIC} ${H_INTERFACE})
    if(H_INTERFACE)
      target_include_directories(${target} INTERFACE $<BUILD_INTERFACE:${stage}>)
    else()
      target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${stage}>)
    endif()
  endif()
  if(H_PRIVATE)
    ctiq_stage_headers(${stage}.private ${H_PRIVATE})
    target_include_directories(${target} PRIVATE ${stage}.private)
  endif()
endfunction()

# What each of the project's own targets gets: the warnings, and its headers (as ctiq_headers).
function(ctiq_own_target name)
  target_link_libraries(${name} PRIVATE ctiq_warnings)
  ctiq_headers(${name} ${ARGN})
endfunction()

# A library of the project: its sources and the headers it publishes and keeps.
function(ctiq_library name)
  cmake_parse_arguments(L "" "" "SOURCES;PUBLIC_HEADERS;PRIVATE_HEADERS" ${ARGN})
  add_library(${name} ${L_SOURCES})
  ctiq_own_target(${name} PUBLIC ${L_PUBLIC_HEADERS} PRIVATE ${L_PRIVATE_HEADERS})
endfunction()

# A program of the project: its sources and the headers only it includes.
function(ctiq_program name)
  cmake_parse_arguments(P "" "" "SOURCES;PRIVATE_HEADERS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  ctiq_own_target(${name} PRIVATE ${P_PRIVATE_HEADERS})
endfunction()
