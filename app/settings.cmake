# Settings: portable working copies and wrappers over platform primitives.
if(WIN32)
  add_library(tellvane_settings STATIC settings.cpp alert_settings.cpp site_settings.cpp registry_win32.cpp)
  target_link_libraries(tellvane_settings PRIVATE advapi32)
else()
  find_package(Qt6 REQUIRED COMPONENTS Core)
  add_library(tellvane_settings STATIC settings.cpp alert_settings.cpp site_settings.cpp registry_posix.cpp)
  target_link_libraries(tellvane_settings PRIVATE Qt6::Core)
endif()
target_include_directories(tellvane_settings PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
# The list of allowed senders names accounts.
target_link_libraries(tellvane_settings PRIVATE tellvane_account)
