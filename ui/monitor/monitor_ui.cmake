# The Monitor's windows (Qt Widgets), built with the Qt program only.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
set(res ${PROJECT_SOURCE_DIR}/res)
qt6_wrap_ui(monitor_forms ${res}/monitor.ui ${res}/config_monitor.ui ${res}/event_details.ui)
qt6_add_resources(monitor_resources ${res}/monitor.qrc)

add_library(tellvane_monitor_ui STATIC
  monitor_dlg.cpp
  monitor_save.cpp
  monitor_search.cpp
  monitor_details.cpp
  monitor_layout.cpp
  event_details_dlg.cpp
  quick_search.cpp
  search_proxy.cpp
  monitor_model.cpp
  monitor_seams.cpp
  config_monitor_dlg.cpp
  ${monitor_forms}
  ${monitor_resources}
)
set_target_properties(tellvane_monitor_ui PROPERTIES AUTOMOC ON)
target_include_directories(tellvane_monitor_ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(tellvane_monitor_ui PUBLIC tellvane_monitor_settings Qt6::Widgets)
