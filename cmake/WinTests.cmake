# GoogleTest, cross-built from the sources Debian installs, for tests that run under Wine.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
include(GoogleTest)

# Where the tests find the built binaries (Unix paths; Wine sees them under Z:).
set(CHRONEL_TEST_PATHS
  CHRONEL_BUILD_DIR="${CMAKE_BINARY_DIR}"
  CHRONEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# chronel_win_test(NAME SOURCES ... [LIBS ...]): a GoogleTest program run under Wine. They all
# share the prefix's registry, so they take one lock.
function(chronel_win_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;DEPENDS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE gtest gtest_main ${T_LIBS})
  target_compile_definitions(${name} PRIVATE ${CHRONEL_TEST_PATHS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/win)
  target_link_options(${name} PRIVATE -static)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES RESOURCE_LOCK wineprefix TIMEOUT 300 ENVIRONMENT "${T_ENVIRONMENT}")
endfunction()
