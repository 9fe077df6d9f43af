# The event archive's writer alone: a 1,000,000-text archive built, texts
# per second into it, its bytes per text, the durable wait, the opening and
# the start-up read. It has a main of its own for its --texts option.
add_executable(eventdb_bench ${CMAKE_CURRENT_SOURCE_DIR}/archive_writer_bench.cpp)
target_link_libraries(eventdb_bench PRIVATE tellvane_eventdb benchmark::benchmark)
