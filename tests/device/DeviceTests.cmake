# The device tests need the kvx-device program, and one of them a JACK server: a fixture
# starts jackd with the dummy driver under a private name (never the user's default server)
# and stops it afterwards.
if(TARGET test_device AND TARGET kvx-device)
  add_dependencies(test_device kvx-device)
  target_compile_definitions(test_device PRIVATE KVX_DEVICE_PROGRAM="$<TARGET_FILE:kvx-device>")
  find_program(KVX_JACKD jackd)
  find_program(KVX_JACK_WAIT jack_wait)
  if(KVX_JACKD AND KVX_JACK_WAIT)
    string(MD5 _kvx_build_hash "${CMAKE_BINARY_DIR}")
    string(SUBSTRING "${_kvx_build_hash}" 0 10 _kvx_build_hash)
    set(_kvx_jack_name "kvx-test-${_kvx_build_hash}")
    set(_kvx_jack_script ${CMAKE_CURRENT_SOURCE_DIR}/device/jack_server.sh)
    set(_kvx_jack_state ${CMAKE_CURRENT_BINARY_DIR}/jack)
    add_test(NAME jack_server_start COMMAND ${_kvx_jack_script} start ${_kvx_jack_name} ${_kvx_jack_state})
    add_test(NAME jack_server_stop COMMAND ${_kvx_jack_script} stop ${_kvx_jack_name} ${_kvx_jack_state})
    set_tests_properties(jack_server_start PROPERTIES FIXTURES_SETUP kvx_jack)
    set_tests_properties(jack_server_stop PROPERTIES FIXTURES_CLEANUP kvx_jack)
    add_test(NAME device_over_jack COMMAND test_device --gtest_filter=DeviceOverJack.*)
    # The tests on the one JACK server run one at a time: clients of another test joining or
    # leaving the graph in the middle of a transfer can cost it a period's MIDI events.
    set_tests_properties(device_over_jack PROPERTIES
      FIXTURES_REQUIRED kvx_jack
      RESOURCE_LOCK kvx_jack_server
      ENVIRONMENT "KVX_TEST_JACK=1;JACK_DEFAULT_SERVER=${_kvx_jack_name};JACK_NO_START_SERVER=1;TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/device/tsan.supp"
      TIMEOUT 120)
  endif()
endif()
