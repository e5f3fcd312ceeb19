# LineTests.cmake: GoogleTest for both trees and the two kinds of test executables.
#
# lt_unit_test(NAME SOURCES ... LIBS ... [LABEL label])
#   Portable unit tests. Native tree: every case is its own ctest entry.
#   Windows tree: the whole executable is one ctest entry run through Wine,
#   so the portable code is also checked as mingw compiles it.
# lt_wine_test(NAME SOURCES ... LIBS ... [TIMEOUT s] [LABEL label])
#   Windows-only tests (Win32 ports, end-to-end runs of the programs). Every case
#   is its own ctest entry, discovered when ctest runs (never at build time), one
#   at a time since all of them share the tree's Wine prefix.
#
# LABEL becomes the ctest label of every case of the executable (ctest -L LABEL), and each
# label has a target tests-LABEL that builds its executables. The label in use:
#   threads  executables whose tests share state between threads; the ThreadSanitizer
#            tree (the tsan presets) builds and runs exactly these.

if(LT_WINDOWS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# Adds `name` to the build target of `label`, and sets `out` to the LABELS property pair
# for its tests (nothing without a label: an empty value would shift the property pairs).
function(lt_label name label out)
  if(NOT label)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  if(NOT TARGET tests-${label})
    add_custom_target(tests-${label})
  endif()
  add_dependencies(tests-${label} ${name})
  set(${out} LABELS ${label} PARENT_SCOPE)
endfunction()

function(lt_unit_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} lt_testsupport GTest::gtest_main)
  lt_label(${name} "${T_LABEL}" labels)
  if(LT_WINDOWS)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wineprefix TIMEOUT 600 ${labels})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120 ${labels})
  endif()
endfunction()

function(lt_wine_test name)
  if(NOT LT_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT;LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} lt_testsupport GTest::gtest_main)
  lt_label(${name} "${T_LABEL}" labels)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES RESOURCE_LOCK wineprefix TIMEOUT ${T_TIMEOUT} ${labels})
endfunction()
