# Toolchain of the Windows compile check (scripts/check-windows-gui): the
# mingw-w64 compilers, so that CMake picks the Windows sources and flags, with
# Debian's Linux Qt 6 standing in for a Qt for Windows. Nothing is linked:
# the check compiles in syntax-only mode against Qt's headers.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)

# Qt's packages live in the host's tree, not in the mingw one.
list(APPEND CMAKE_FIND_ROOT_PATH /)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
