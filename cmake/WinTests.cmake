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
  CHRONEL_I686_BUILD_DIR="${CHRONEL_I686_BUILD_DIR}"
  CHRONEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# chronel_win_test(NAME SOURCES ... [LIBS ...] [SNTP_PORTS]): a GoogleTest program run under Wine,
# one CTest test per case. The cases are read from the sources when CMake runs (no Wine process
# to list them). Each case holds one of the build's Wine prefixes (a registry, a desktop of its
# own) while it runs; two run at once, in different prefixes. SNTP_PORTS: the cases bind the
# loopback SNTP server's fixed ports, which only one process on the machine may hold.
function(chronel_win_test name)
  cmake_parse_arguments(T "SNTP_PORTS" "" "SOURCES;LIBS;DEPENDS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE gtest gtest_main ${T_LIBS})
  target_compile_definitions(${name} PRIVATE ${CHRONEL_TEST_PATHS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/win)
  target_link_options(${name} PRIVATE -static)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  set(environment ${T_ENVIRONMENT})
  if(T_SNTP_PORTS)
    list(APPEND environment CHRONEL_SNTP_PORTS=1)
  endif()
  gtest_add_tests(TARGET ${name} SOURCES ${T_SOURCES} TEST_LIST cases)
  chronel_wine_test_properties(${cases} SNTP_PORTS ${T_SNTP_PORTS} ENVIRONMENT "${environment}")
endfunction()

# chronel_wine_test_properties(TEST ... [SNTP_PORTS ON|OFF] [SKIP_FAILS] [ENVIRONMENT ...]): what
# every test under Wine holds: a prefix slot, a time limit, and "skipped" read from its output
# (SKIP_FAILS: a test that must not skip where it runs).
function(chronel_wine_test_properties)
  cmake_parse_arguments(P "SKIP_FAILS" "SNTP_PORTS" "ENVIRONMENT" ${ARGN})
  set(properties RESOURCE_GROUPS wineprefix:1 TIMEOUT 300)
  if(P_SKIP_FAILS)
    list(APPEND properties FAIL_REGULAR_EXPRESSION "SKIPPED")
  else()
    list(APPEND properties SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]|skipped: ")
  endif()
  if(P_SNTP_PORTS)
    list(APPEND properties RESOURCE_LOCK sntp-ports)
  endif()
  set_tests_properties(${P_UNPARSED_ARGUMENTS} PROPERTIES ${properties})
  if(P_ENVIRONMENT)
    set_tests_properties(${P_UNPARSED_ARGUMENTS} PROPERTIES ENVIRONMENT "${P_ENVIRONMENT}")
  endif()
endfunction()
