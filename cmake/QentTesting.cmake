# GoogleTest: the system package natively, the sources built with the cross compiler for Windows.
if(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/_gtest EXCLUDE_FROM_ALL)
  # Newer googletest sources define these aliases themselves.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

set(QENT_TEST_DIR ${CMAKE_BINARY_DIR}/tests)

# qent_add_test(name SOURCES ... LIBS ...): one test program in build/<preset>/tests/,
# run as a single process (under Wine each process start costs about a second).
function(qent_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  qent_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} qent_test_support GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QENT_TEST_DIR})
  add_test(NAME ${name} COMMAND ${name})
endfunction()
