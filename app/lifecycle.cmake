# Start-up and exit: the order of the steps, apart from the window.
find_package(Qt6 REQUIRED COMPONENTS Core)
add_library(tellvane_lifecycle STATIC agent_lifecycle.cpp agent_lifecycle.h)
set_target_properties(tellvane_lifecycle PROPERTIES AUTOMOC ON)
target_include_directories(tellvane_lifecycle PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tellvane_lifecycle PUBLIC
  Qt6::Core tellvane_model tellvane_intake tellvane_platform tellvane_settings tellvane_strings
  tellvane_site_log tellvane_account)
