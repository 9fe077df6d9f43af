# The built program against a minimal server on the traffic a site sends,
# and its drain into a full store. Run through scripts/bench-program.
if(TARGET tellvane AND NOT WIN32)
  enable_language(C)
  find_package(Threads REQUIRED)
  add_executable(minimal_server ${CMAKE_CURRENT_SOURCE_DIR}/minimal_server.c)
  target_link_libraries(minimal_server PRIVATE Threads::Threads)

  add_executable(program_bench ${CMAKE_CURRENT_SOURCE_DIR}/program_bench.cpp)
  target_link_libraries(program_bench PRIVATE tellvane_model tellvane_eventdb tellvane_send_client Threads::Threads)
  target_include_directories(program_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_compile_definitions(program_bench PRIVATE
    TELLVANE_PATH="$<TARGET_FILE:tellvane>" MINIMAL_SERVER_PATH="$<TARGET_FILE:minimal_server>")
  add_dependencies(program_bench tellvane minimal_server)
endif()
