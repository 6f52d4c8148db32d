# Cross-builds Forgeline for 64-bit Windows with Debian's mingw-w64 and runs
# what it built under Wine:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The posix thread model, because GoogleTest's port header needs it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FORGELINE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FORGELINE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FORGELINE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FORGELINE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FORGELINE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program runs on a bare Windows: the C and C++ run-time and the
# thread library are linked in, so it imports system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Wine runs the programs, for the tests and for gtest_discover_tests at build
# time: a prefix of this build folder's own (made when configuring, see
# cmake/Wine.cmake), no debug chatter, no offer to install Mono or Gecko.
find_program(FORGELINE_WINE NAMES wine wine64 wine-stable)
find_program(FORGELINE_WINESERVER NAMES wineserver wineserver-stable)
if(FORGELINE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml="
      ${FORGELINE_WINE})
endif()
