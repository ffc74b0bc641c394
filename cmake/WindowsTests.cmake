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

# Cases that hold the emulated device's own behaviour, left out here (gtest negative filters):
# - the DOM's get_xml text is compared character for character, but this DOM lays it out
#   with line breaks and tabs; the trees are the same;
# - two look-ups of one node are compared as pointers, but this DOM hands out a new wrapper
#   for each look-up;
# - Wine's DOM accepts the attribute name "1bad" that a conforming DOM refuses;
# - tests that expect a registry without the keys of earlier tests, or the device's message
#   journal (here the selector window test checks the message).
set(QRV_TEST_FILTER_node_tests "-NodeTest.ChoiceWithoutMatchingItemGetsANamelessStub:NodeTest.CreateStubChild:NodeTest.RemoveChildByNameAndType:NodeTest.CreateStubChildWithARefusedAttributeKeepsWhatWasDone:Report.AppendsInOrderToTheFirstContainer")
set(QRV_TEST_FILTER_schema_tests "-FilterSwitch.OnlyANonZeroDwordTurnsTheFiltersOff")
set(QRV_TEST_FILTER_settings_test "-SettingsStoreTest.SelectorIsToldOnlyWhenItStaysOn")
set(QRV_TEST_FILTER_hzkcore_test "-HzkcoreTest.NewDeviceHoldsTheDefaults:HzkcoreTest.UnreadableRegistryIsAnErrorNotAReset")
