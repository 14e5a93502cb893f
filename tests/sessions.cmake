# Protocol sessions against the engine binary: every tests/sessions/NAME.in is one test
# that feeds the script to the engine and compares the whole output and the exit code
# with NAME.out and NAME.code. Each session is played twice, in two processes, so that
# the output is also shown to be the same from run to run. Sessions named long_* (the
# largest tables, seconds of allocation each) are played once and carry the long label.
find_package(Python3 COMPONENTS Interpreter)
set(zarnik_python python3)
if(Python3_Interpreter_FOUND)
  # The interpreter itself rather than a launcher script in front of it, which can cost
  # seconds per start.
  execute_process(COMMAND ${Python3_EXECUTABLE} -c "import sys; print(sys.executable)"
                  OUTPUT_VARIABLE zarnik_python OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

file(GLOB session_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sessions/*.in)
foreach(script ${session_scripts})
  get_filename_component(session ${script} NAME_WE)
  set(long_session FALSE)
  set(session_options --runs 2)
  if(session MATCHES "^long_")
    set(long_session TRUE)
    set(session_options --runs 1 --timeout 600)
  endif()
  add_test(NAME session.${session}
           COMMAND ${zarnik_python} ${CMAKE_CURRENT_SOURCE_DIR}/run_session.py $<TARGET_FILE:zarnik>
                   ${CMAKE_CURRENT_SOURCE_DIR}/sessions/${session} ${session_options})
  if(long_session)
    set_tests_properties(session.${session} PROPERTIES LABELS long)
  endif()
endforeach()

# Searches interrupted by lines sent while they run: timing decides the exact output,
# so run_live.py checks its structure instead of a transcript.
foreach(case stop_ends_infinite_search quit_during_search isready_during_search closed_input_during_search)
  add_test(NAME live.${case}
           COMMAND ${zarnik_python} ${CMAKE_CURRENT_SOURCE_DIR}/run_live.py $<TARGET_FILE:zarnik> ${case})
endforeach()
