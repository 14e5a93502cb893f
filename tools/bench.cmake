add_executable(bench ${CMAKE_CURRENT_SOURCE_DIR}/bench.cpp)
target_link_libraries(bench PRIVATE zarnik_core)
target_compile_definitions(bench PRIVATE ZARNIK_BENCH_POSITIONS="${CMAKE_CURRENT_SOURCE_DIR}/bench_positions.txt")
