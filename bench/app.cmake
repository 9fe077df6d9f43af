# The program: start-up and memory with a full data file, and the
# navigator's refresh over a full store.
if(TARGET tellvane)
  find_package(Qt6 REQUIRED COMPONENTS Core)
  add_executable(app_program_bench ${CMAKE_CURRENT_SOURCE_DIR}/app_program_bench.cpp
    ${PROJECT_SOURCE_DIR}/tests/e2e/program_run.cpp)
  target_include_directories(app_program_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/e2e ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(app_program_bench PRIVATE tellvane_model tellvane_send_client Qt6::Core benchmark::benchmark)
  target_compile_definitions(app_program_bench PRIVATE
    TELLVANE_PATH="$<TARGET_FILE:tellvane>" TELLVANE_SEND_PATH="$<TARGET_FILE:tellvane-send>")
  add_dependencies(app_program_bench tellvane)

  add_executable(app_refresh_bench ${CMAKE_CURRENT_SOURCE_DIR}/app_refresh_bench.cpp)
  target_link_libraries(app_refresh_bench PRIVATE tellvane_navigator benchmark::benchmark)
endif()
