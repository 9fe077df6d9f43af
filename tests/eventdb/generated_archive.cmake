# The generated archive, compiled once for the History tests and benchmarks;
# included by both, as either may be built without the other.
include_guard(GLOBAL)
add_library(tellvane_generated_archive STATIC ${CMAKE_CURRENT_LIST_DIR}/generated_archive.cpp)
target_include_directories(tellvane_generated_archive PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tellvane_generated_archive PUBLIC tellvane_eventdb)
