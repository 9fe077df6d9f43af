# The History window's queries over a generated archive of 1,000,000 events.
if(TARGET tellvane_history)
  tellvane_add_benchmark(history_bench
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/history_bench.cpp
            ${PROJECT_SOURCE_DIR}/tests/eventdb/generated_archive.cpp
    LIBS tellvane_history tellvane_monitor_logic)
  target_include_directories(history_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/eventdb)
endif()
