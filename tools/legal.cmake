# The legal moves after a move list, for the scripts that check the engine's answers.
add_executable(legal_moves ${CMAKE_CURRENT_SOURCE_DIR}/legal_moves.cpp)
target_link_libraries(legal_moves PRIVATE zarnik_core)
