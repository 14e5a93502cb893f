// The protocol driver: command loop, position setup, go parameters and budget,
// iterative deepening with its reports.
#pragma once
#include "position/position.h"

inline constexpr int line_size = 65534;  // a line holds at most line_size - 1 characters

extern T_Bitboard bitboard;
extern char command_line[line_size];

// Position setup.
inline constexpr const char* start_position_fen = "fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 ";
inline constexpr int game_keys_size = 1000;
extern u64 game_keys[game_keys_size];
extern u16 game_ply;

void Command_position(T_Bitboard& b);
void Read_fen(T_Bitboard& b, const char* text);
// text holds four characters and, when length is 5, a promotion letter.
void Make_move_from_text(T_Bitboard& b, const char* text, int length);

// Go parameters and the time budget.
struct T_Go_parameters {
  u8 depth = 0;
  u8 infinite = 0;
  double wtime = -1;
  double btime = -1;
  double movetime = -1;
};
struct T_Budget {
  double time_limit;       // seconds per iteration, -1 for none
  double hard_time_limit;  // 50 x time_limit
  u8 depth_limit;
};
T_Go_parameters Parse_go(const char* line);
T_Budget Compute_budget(const T_Go_parameters& go, u8 colour_move, u16 game_ply);
i32 Text_to_int(const char* text);

extern double hard_time_limit;

// The millisecond clock; start_clock and end_clock bracket the current iteration.
extern std::int64_t start_clock;
extern std::int64_t end_clock;
std::int64_t Clock_now();
double Elapsed_time();  // seconds between the two readings, at least 0.01

void Command_go(T_Bitboard& b);
void Deepening(T_Bitboard& b, u8 depth, u8 infinite, double wtime, double btime, double movetime);

// Answers the line in command_line.
void Dispatch(T_Bitboard& b);
// The command loop; returns the exit code for end of input. "quit" ends the process.
int Command_loop();
// Everything "uci" sets up, also done on demand by a "go" that comes before it.
void Ensure_search_ready();
