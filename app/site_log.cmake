# The site's log: the entries and the thread that writes them. Portable, so
# the Windows build tests it with the event log.
find_package(Threads REQUIRED)
add_library(tellvane_site_log STATIC site_log.cpp journal_entries.cpp)
target_include_directories(tellvane_site_log PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tellvane_site_log PUBLIC
  tellvane_platform tellvane_intake tellvane_monitor_logic Threads::Threads)
