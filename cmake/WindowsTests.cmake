# How the tests of the Windows build run: under Wine through the cross-compiling emulator
# (scripts/wine-run), in one Wine prefix made fresh at the start of every ctest run.
#
# The device is that prefix's machine: one registry, one system drive, real windows. Tests
# therefore run one at a time (RUN_SERIAL), and each removes the keys, values and files it
# made, so that none sees another's leftovers.
include(${CMAKE_SOURCE_DIR}/cmake/CrossGTest.cmake)

set(QRV_TEST_PROPERTIES RUN_SERIAL TRUE)
if(CMAKE_CROSSCOMPILING_EMULATOR MATCHES "wine-run$")
  add_test(NAME wine_prefix_fresh
           COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --fresh ${CMAKE_BINARY_DIR})
  add_test(NAME wine_prefix_stop
           COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_prefix_fresh PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
  set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine_prefix)
  list(APPEND QRV_TEST_PROPERTIES FIXTURES_REQUIRED wine_prefix)
endif()

# What runs here. The other folders test the emulated device itself (its files below the
# device root, its registry file, its DOM, its message journal, processes driven through a
# POSIX shell): on Windows the system stands in their place, and the chain is checked end to
# end by the differential test instead (tests/windows).
set(QRV_WINDOWS_TEST_DIRS windows node schema settings hzkcore differential)

# Cases that hold one device's own behaviour (how its DOM writes markup, whether its registry
# is new with each test's device, whether window messages are journaled) ask the device for
# what they need (tests/support/device_capabilities.h) and skip themselves where it does
# otherwise.
