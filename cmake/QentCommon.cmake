# Settings shared by every target of ours.

if(WIN32)
  set(QENT_PLATFORM_WIN32 ON)
else()
  set(QENT_PLATFORM_POSIX ON)
endif()

# qent_target_defaults(target): warnings as errors and hidden symbols on our own code.
function(qent_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  endif()
endfunction()

# qent_add_module(target OUTPUT name SOURCES ... LIBS ... [DEF file]):
# a loadable module named exactly <name> (no lib prefix), e.g. qentlink.hox3.
function(qent_add_module target)
  cmake_parse_arguments(M "" "OUTPUT;DEF;DIR" "SOURCES;LIBS" ${ARGN})
  add_library(${target} MODULE ${M_SOURCES})
  qent_target_defaults(${target})
  target_link_libraries(${target} PRIVATE ${M_LIBS})
  get_filename_component(_name ${M_OUTPUT} NAME_WE)
  get_filename_component(_ext ${M_OUTPUT} LAST_EXT)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${_name} SUFFIX ${_ext})
  if(M_DIR)
    set_target_properties(${target} PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY ${M_DIR} RUNTIME_OUTPUT_DIRECTORY ${M_DIR})
  endif()
  if(WIN32 AND M_DEF)
    target_sources(${target} PRIVATE ${M_DEF})
  endif()
  # clang's sanitizer runtimes live in the program that loads the module, not in the module.
  if(NOT WIN32 AND NOT (CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND CMAKE_CXX_FLAGS MATCHES "-fsanitize"))
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

# qent_use_json(target PUBLIC|PRIVATE): nlohmann-json (header only) for a target. The cross
# build may not search the build machine's include folder, so it gets a copy of just that
# library's headers.
function(qent_use_json target scope)
  if(CMAKE_CROSSCOMPILING)
    find_path(QENT_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
              NO_DEFAULT_PATH)
    if(NOT QENT_JSON_INCLUDE)
      message(FATAL_ERROR "nlohmann/json.hpp not found (Debian package nlohmann-json3-dev)")
    endif()
    file(COPY ${QENT_JSON_INCLUDE}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/_json)
    target_include_directories(${target} SYSTEM ${scope} ${CMAKE_BINARY_DIR}/_json)
  else()
    find_package(nlohmann_json 3 REQUIRED)
    target_link_libraries(${target} ${scope} nlohmann_json::nlohmann_json)
  endif()
endfunction()
