# Fuzz targets, built only in a separate clang build with -DZARNIK_FUZZ=ON (see
# tools/fuzz/build.sh); the normal build does not need clang. The library is compiled
# with the same sanitizers so that the fuzzer sees its coverage and its faults.
option(ZARNIK_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(ZARNIK_FUZZ)
  set(zarnik_fuzz_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  target_compile_options(zarnik_core PRIVATE ${zarnik_fuzz_flags} -fsanitize=fuzzer-no-link)
  foreach(fuzzer session_fuzzer fen_fuzzer)
    add_executable(${fuzzer} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${fuzzer}.cpp)
    target_compile_options(${fuzzer} PRIVATE ${zarnik_fuzz_flags} -fsanitize=fuzzer)
    target_link_options(${fuzzer} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${fuzzer} PRIVATE zarnik_core)
  endforeach()
endif()
