# The project's version for the programs and, on Windows, as a version resource in each binary.

# qent_version: the header QentVersion.h (QENT_VERSION, the version as text) for the programs
# that print it. Only they include it, so a new version rebuilds only them.
set(QENT_PRODUCT_NAME "qentlink")
configure_file(${CMAKE_CURRENT_LIST_DIR}/QentVersion.h.in
               ${CMAKE_BINARY_DIR}/generated/QentVersion.h @ONLY)
add_library(qent_version INTERFACE)
target_include_directories(qent_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

if(WIN32)
  # Here, not in a function: a language may only be enabled at a directory's scope.
  enable_language(RC)
endif()

# qent_version_resource(target FILE name DESCRIPTION text): on Windows, a VERSIONINFO resource
# in the target's binary, compiled with windres. An object library of its own, since the
# target's compile options (-Werror and the rest) are not windres's.
function(qent_version_resource target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(V "" "FILE;DESCRIPTION" "" ${ARGN})
  get_target_property(_type ${target} TYPE)
  if(_type STREQUAL "EXECUTABLE")
    set(QENT_RC_FILETYPE VFT_APP)
  else()
    set(QENT_RC_FILETYPE VFT_DLL)
  endif()
  set(QENT_RC_ORIGINAL_FILENAME ${V_FILE})
  set(QENT_RC_DESCRIPTION ${V_DESCRIPTION})
  get_filename_component(QENT_RC_INTERNAL_NAME ${V_FILE} NAME_WE)
  set(_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${_rc} @ONLY)
  add_library(${target}_version OBJECT ${_rc})
  target_link_libraries(${target} PRIVATE ${target}_version)
endfunction()
