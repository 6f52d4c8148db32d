# Makes the build folder's Wine prefix once, while configuring: the tests
# start many Wine processes, and each would otherwise race to set up the
# same fresh prefix.
if(CMAKE_CROSSCOMPILING AND WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
  if(NOT EXISTS ${CMAKE_BINARY_DIR}/wine/system.reg)
    message(STATUS "Making the Wine prefix ${CMAKE_BINARY_DIR}/wine")
    execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
                    RESULT_VARIABLE wine_result OUTPUT_QUIET ERROR_QUIET)
    if(NOT wine_result EQUAL 0)
      message(WARNING "wineboot --init failed (${wine_result}); the tests under Wine may not run")
    endif()
    # wineboot returns before its server has gone; the next Wine process
    # must not meet that server on its way out.
    if(FORGELINE_WINESERVER)
      execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine
                              ${FORGELINE_WINESERVER} -w TIMEOUT 60)
    endif()
  endif()
  # The test programs are asked for their tests when ctest starts, one after
  # the other, not by the build, which would start two Wine processes at once.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
