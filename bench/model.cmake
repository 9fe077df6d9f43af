# The event model: store insertion and time order, the data file.
tellvane_add_benchmark(model_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/store_bench.cpp ${CMAKE_CURRENT_SOURCE_DIR}/event_file_bench.cpp
  LIBS tellvane_model)
