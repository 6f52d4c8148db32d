# Makes the build folder's Wine prefix once, while configuring: the tests
# start many Wine processes at a time, and each would otherwise race to set
# up the same fresh prefix.
if(CMAKE_CROSSCOMPILING AND WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR
   AND NOT EXISTS ${CMAKE_BINARY_DIR}/wine/system.reg)
  message(STATUS "Making the Wine prefix ${CMAKE_BINARY_DIR}/wine")
  execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
                  RESULT_VARIABLE wine_result OUTPUT_QUIET ERROR_QUIET)
  if(NOT wine_result EQUAL 0)
    message(WARNING "wineboot --init failed (${wine_result}); the tests under Wine may not run")
  endif()
endif()
