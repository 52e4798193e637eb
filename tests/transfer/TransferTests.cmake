# The tests of kvx ports, send and receive (in test_cli): they need kvx-device; the one over
# JACK runs under the private server of the device tests' fixture
# (tests/device/DeviceTests.cmake), never at the same time as another test on it.
if(TARGET test_cli)
  if(TARGET kvx-device)
    add_dependencies(test_cli kvx-device)
    target_compile_definitions(test_cli PRIVATE KVX_DEVICE_PROGRAM="$<TARGET_FILE:kvx-device>")
  endif()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(KVX_TEST_JACK_LIB REQUIRED IMPORTED_TARGET jack)
  target_link_libraries(test_cli PRIVATE PkgConfig::KVX_TEST_JACK_LIB)
  if(TEST jack_server_start)
    add_test(NAME cli_transfer_over_jack COMMAND test_cli --gtest_filter=KvxOverJack.*)
    set_tests_properties(cli_transfer_over_jack PROPERTIES
      FIXTURES_REQUIRED kvx_jack
      RESOURCE_LOCK kvx_jack_server
      ENVIRONMENT "KVX_TEST_JACK=1;JACK_DEFAULT_SERVER=${_kvx_jack_name};JACK_NO_START_SERVER=1;KVX_MIDI_SYSTEM=jack;TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/device/tsan.supp"
      TIMEOUT 300)
  endif()
endif()
