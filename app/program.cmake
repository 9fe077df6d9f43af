# The tellvane program: the application object, its signals, main().
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(tellvane_app STATIC agent_app.cpp agent_app.h)
set_target_properties(tellvane_app PROPERTIES AUTOMOC ON)
target_include_directories(tellvane_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tellvane_app PUBLIC tellvane_navigator tellvane_quit_signals Qt6::Widgets)

add_executable(tellvane main.cpp command_line.cpp command_line.h)
target_compile_definitions(tellvane PRIVATE TELLVANE_VERSION="${PROJECT_VERSION}.0")
target_link_libraries(tellvane PRIVATE tellvane_app tellvane_window_platform)
tellvane_link_qt_plugins(tellvane)
set_target_properties(tellvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
if(WIN32)
  # Its version, its manifest and the event log's message table.
  tellvane_windows_resources(tellvane "Tellvane event agent" MESSAGE_TABLE)
  # A windowed program: no console window of its own opens with it, at login
  # or from the Start menu. Started from a prompt it writes to that prompt's.
  set_target_properties(tellvane PROPERTIES WIN32_EXECUTABLE ON)
endif()
