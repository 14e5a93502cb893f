add_test(NAME bench_signature COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/check_signature.py $<TARGET_FILE:bench>)
