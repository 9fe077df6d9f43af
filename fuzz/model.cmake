# The event model's untrusted inputs: event texts and the data file.
tellvane_add_fuzzer(fuzz_parse SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/parse_fuzzer.cpp LIBS tellvane_model)
tellvane_add_fuzzer(fuzz_event_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/event_file_fuzzer.cpp LIBS tellvane_model)

# Writes the starting corpus of fuzz_event_file: scripts/run-fuzzers runs
# seeds_<name> into the corpus folder of fuzz_<name> when it exists.
add_executable(seeds_event_file ${CMAKE_CURRENT_SOURCE_DIR}/event_file_seeds.cpp)
target_link_libraries(seeds_event_file PRIVATE tellvane_model)
