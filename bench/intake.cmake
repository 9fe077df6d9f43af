# Event intake: endpoint round trips against a bare server, and the drain.
if(NOT WIN32)
  tellvane_add_benchmark(intake_bench
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/intake_bench.cpp
    LIBS tellvane_intake tellvane_send_client)
endif()
