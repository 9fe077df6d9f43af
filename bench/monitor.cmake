# The Monitor: the refill logic, and the window's refill with its drawing.
tellvane_add_benchmark(monitor_fill_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/monitor_fill_bench.cpp
  LIBS tellvane_monitor_logic)

if(TARGET tellvane_monitor_ui)
  add_executable(monitor_widget_bench ${CMAKE_CURRENT_SOURCE_DIR}/monitor_widget_bench.cpp)
  target_link_libraries(monitor_widget_bench PRIVATE tellvane_monitor_ui benchmark::benchmark)
endif()

if(TARGET tellvane_monitor_ui)
  add_executable(monitor_search_bench ${CMAKE_CURRENT_SOURCE_DIR}/monitor_search_bench.cpp)
  target_link_libraries(monitor_search_bench PRIVATE tellvane_monitor_ui benchmark::benchmark)
endif()
