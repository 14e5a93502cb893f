# Robustness tests against the engine binary (scripts in tests/robust/): hostile
# sessions, self-play with every move checked legal, the engine behind the xboard
# adapter (skipped without polyglot), and the recorded sessions under valgrind
# (skipped without valgrind; not in a sanitizer build, whose binary valgrind cannot run).
find_package(Python3 COMPONENTS Interpreter)
set(robust_python python3)
if(Python3_Interpreter_FOUND)
  # The interpreter itself rather than a launcher script in front of it.
  execute_process(COMMAND ${Python3_EXECUTABLE} -c "import sys; print(sys.executable)"
                  OUTPUT_VARIABLE robust_python OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
set(robust_dir ${CMAKE_CURRENT_SOURCE_DIR}/robust)

foreach(group MoveLists LongLines Floods StopAndQuit OddBoards)
  add_test(NAME robust.hostile.${group} COMMAND ${robust_python} ${robust_dir}/hostile_test.py ${group})
  set_tests_properties(robust.hostile.${group} PROPERTIES
    ENVIRONMENT "ZARNIK_ENGINE=$<TARGET_FILE:zarnik>;ZARNIK_LEGAL_MOVES=$<TARGET_FILE:legal_moves>" TIMEOUT 300)
endforeach()

add_test(NAME robust.selfplay
         COMMAND ${robust_python} ${robust_dir}/selfplay.py $<TARGET_FILE:zarnik> $<TARGET_FILE:legal_moves>
                 --games 5 --go "go movetime 10" --max-plies 40)
set_tests_properties(robust.selfplay PROPERTIES TIMEOUT 300)
# Whole games at a small depth, played to mate, stalemate, repetition or 300 plies.
add_test(NAME robust.selfplay_whole_games
         COMMAND ${robust_python} ${robust_dir}/selfplay.py $<TARGET_FILE:zarnik> $<TARGET_FILE:legal_moves>
                 --games 3 --go "go depth 4" --max-plies 300)
add_test(NAME robust.selfplay_long
         COMMAND ${robust_python} ${robust_dir}/selfplay.py $<TARGET_FILE:zarnik> $<TARGET_FILE:legal_moves>
                 --games 16 --go "go movetime 50" --openings ${CMAKE_CURRENT_SOURCE_DIR}/data/wac.epd)
set_tests_properties(robust.selfplay_long PROPERTIES LABELS long TIMEOUT 3600)

add_test(NAME robust.polyglot
         COMMAND ${robust_python} ${robust_dir}/polyglot_test.py $<TARGET_FILE:zarnik> $<TARGET_FILE:legal_moves>)
set_tests_properties(robust.polyglot PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)

if(NOT ZARNIK_SANITIZE)
  add_test(NAME robust.valgrind
           COMMAND ${robust_python} ${robust_dir}/valgrind_sessions.py $<TARGET_FILE:zarnik>
                   ${CMAKE_CURRENT_SOURCE_DIR}/sessions)
  set_tests_properties(robust.valgrind PROPERTIES LABELS valgrind SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
