# Small helpers shared by the subdirectories.

# Under Wine every test runs in the build folder's own prefix, quietly and
# without the Mono and Gecko installers; the prefix is made by scripts/wine-tests.
set(TELLVANE_TEST_ENV "TZ=UTC")
if(TELLVANE_SANITIZE MATCHES "address")
  list(APPEND TELLVANE_TEST_ENV "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
endif()
if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
  set(TELLVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  list(APPEND TELLVANE_TEST_ENV "WINEPREFIX=${TELLVANE_WINEPREFIX}" "WINEDEBUG=-all"
       "WINEDLLOVERRIDES=mscoree,mshtml=")
endif()

# Windows has things of which there is one per logon, whatever the
# environment: the named mutex ZQTellvane, the settings key under
# HKEY_CURRENT_USER, and the session, whose end reaches every program. Under
# Wine the whole test run is one logon, so tests that use them wait for each
# other through this CTest resource.
set(TELLVANE_LOGON_LOCK windows_logon)

# tellvane_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib... [LABELS l...] [ENV K=V...] [ARGS a...]
#                    [SHARES_LOGON])
# One GoogleTest executable; its cases are registered one by one with CTest.
# Every test runs with TZ=UTC so that date texts are predictable. Tests that
# start the program give it an endpoint of their own, so none of them need
# to wait for another; on Windows, SHARES_LOGON makes those that take the
# named mutex or the settings key wait for each other.
function(tellvane_add_gtest name)
  cmake_parse_arguments(T "SHARES_LOGON" "" "SOURCES;LIBS;LABELS;ENV;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  # ENVIRONMENT and LABELS are lists; each value must reach CTest as one
  # argument, which gtest_discover_tests' PROPERTIES cannot do (it splits
  # "a;b" into two words). So the properties go into a file CTest reads after
  # the discovered tests.
  set(env ${TELLVANE_TEST_ENV} ${T_ENV})
  set(values "ENVIRONMENT [==[${env}]==]")
  if(T_LABELS)
    string(APPEND values " LABELS [==[${T_LABELS}]==]")
  endif()
  if(T_SHARES_LOGON AND WIN32)
    string(APPEND values " RESOURCE_LOCK ${TELLVANE_LOGON_LOCK}")
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Discovery would have to run the .exe at build time; one CTest entry per
    # binary. It exists now, and CTest reads the include files before the
    # tests of their folder, so its properties are set here.
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    cmake_language(EVAL CODE "set_tests_properties(${name} PROPERTIES ${values})")
    return()
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 EXTRA_ARGS ${T_ARGS})
  # A wait that never ends (a blocking read of an answer that never comes)
  # fails its test rather than hold up the whole run.
  string(APPEND values " TIMEOUT 600")
  set(properties_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${properties_file}
    "foreach(test IN LISTS ${name}_TESTS)\n  set_tests_properties(\"\${test}\" PROPERTIES ${values})\nendforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_file})
endfunction()

# A static Qt links only the default platform plugin into a program; the
# headless runs and the widget tests need the offscreen one as well.
function(tellvane_link_qt_plugins target)
  get_target_property(qt_type Qt6::Core TYPE)
  if(qt_type STREQUAL "STATIC_LIBRARY")
    qt_import_plugins(${target} INCLUDE Qt6::QOffscreenIntegrationPlugin)
  endif()
endfunction()
