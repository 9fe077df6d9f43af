# Runs right after project() in the Windows compile check. Qt's Linux targets
# are bent just enough for a Windows configure: nothing is linked, and only
# Qt's own headers may join the mingw ones.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Test PATHS ${QT_HOST_PATH_CMAKE_DIR})
get_directory_property(qt_targets IMPORTED_TARGETS)
foreach(target IN LISTS qt_targets)
  # A Windows target links a shared library through its import library,
  # which Linux Qt has not; the library's own file stands in.
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    get_target_property(file ${target} LOCATION)
    set_target_properties(${target} PROPERTIES IMPORTED_IMPLIB "${file}")
  endif()
  # The GL and Vulkan wrappers point at /usr/include, whose glibc headers
  # would shadow mingw's.
  get_target_property(includes ${target} INTERFACE_INCLUDE_DIRECTORIES)
  if(includes)
    list(REMOVE_ITEM includes /usr/include)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${includes}")
  endif()
endforeach()
