# Cross-compiles the Windows build with mingw-w64 and runs its test programs
# under Wine. Without a Qt for mingw use -DTELLVANE_GUI=OFF; with the one of
# scripts/build-qt-mingw, chain-load this file from Qt's own toolchain file.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)

# Debian installs wine64 outside PATH. Tests start through scripts/wine-run,
# which gives a program a second start when Wine itself fails under it.
find_program(TELLVANE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TELLVANE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ${TELLVANE_WINE64})
endif()
