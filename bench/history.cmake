# The History window's queries over a generated archive of 1,000,000 events,
# with its export, and the window itself over it.
if(TARGET tellvane_history_ui)
  include(${PROJECT_SOURCE_DIR}/tests/eventdb/generated_archive.cmake)
  set(history_archive_sources ${CMAKE_CURRENT_SOURCE_DIR}/history_archive.cpp)
  tellvane_add_benchmark(history_bench
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/history_bench.cpp ${history_archive_sources}
    LIBS tellvane_history_ui tellvane_generated_archive)

  # A plain program that prints its table: the GUI thread's stalls and what
  # the window shows when, over the same archive.
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(history_window_bench ${CMAKE_CURRENT_SOURCE_DIR}/history_window_bench.cpp ${history_archive_sources})
  target_include_directories(history_window_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(history_window_bench PRIVATE tellvane_history_ui tellvane_generated_archive Qt6::Test)
endif()
