// The "go" command: its parameters, the table's age step, and the time budget that
// steers the iterations.
#include <cstring>

#include "driver/driver.h"
#include "search/search.h"

double hard_time_limit = -50;

namespace {

char go_line[line_size];

constexpr double not_given = -1;
constexpr int max_iteration_depth = 50;
constexpr int hard_limit_factor = 50;

}  // namespace

// Leading white space, an optional sign, then digits up to the first non-digit; no
// digits give 0, and values beyond 32 bits saturate.
i32 Text_to_int(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  std::int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) value = 2147483647LL;
  return static_cast<i32>(value);
}

// Tokens are separated by runs of spaces; the first ("go") is skipped, unknown tokens
// are passed over, and a keyword missing its value at the end of the line is ignored.
T_Go_parameters Parse_go(const char* line) {
  std::strncpy(go_line, line, line_size - 1);
  go_line[line_size - 1] = '\0';
  T_Go_parameters go;
  char* save = nullptr;
  char* token = strtok_r(go_line, " ", &save);
  if (token) token = strtok_r(nullptr, " ", &save);
  for (; token; token = strtok_r(nullptr, " ", &save)) {
    if (std::strcmp(token, "infinite") == 0) {
      go.infinite = 1;
      continue;
    }
    const bool takes_value = std::strcmp(token, "depth") == 0 || std::strcmp(token, "wtime") == 0 ||
                             std::strcmp(token, "btime") == 0 || std::strcmp(token, "winc") == 0 ||
                             std::strcmp(token, "binc") == 0 || std::strcmp(token, "movestogo") == 0 ||
                             std::strcmp(token, "movetime") == 0;
    if (!takes_value) continue;
    const char* value_token = strtok_r(nullptr, " ", &save);
    if (!value_token) break;
    const i32 value = Text_to_int(value_token);
    if (std::strcmp(token, "depth") == 0) go.depth = static_cast<u8>(value & 0xFF);
    if (std::strcmp(token, "wtime") == 0) go.wtime = value / 1000.0;
    if (std::strcmp(token, "btime") == 0) go.btime = value / 1000.0;
    if (std::strcmp(token, "movetime") == 0) go.movetime = value / 1000.0;
  }
  return go;
}

// Only the clock of the side to move counts, spread over at least 40 moves; a move
// time replaces it; any budget lets the iterations run to depth 50.
T_Budget Compute_budget(const T_Go_parameters& go, u8 colour_move, u16 game_ply) {
  T_Budget budget{};
  budget.time_limit = not_given;
  int moves_left = 80 - game_ply / 2;
  if (moves_left < 40) moves_left = 40;
  const double clock = colour_move == 1 ? go.wtime : go.btime;
  if (clock != not_given) budget.time_limit = clock / (3 * moves_left);
  if (go.movetime != not_given) budget.time_limit = go.movetime;
  budget.hard_time_limit = hard_limit_factor * budget.time_limit;
  budget.depth_limit = go.depth;
  if (budget.time_limit != not_given) budget.depth_limit = max_iteration_depth;
  if (go.infinite == 1)
    budget.depth_limit = max_iteration_depth;
  else if (budget.depth_limit == 0)
    budget.depth_limit = 1;
  return budget;
}

void Command_go(T_Bitboard& b) {
  const T_Go_parameters go = Parse_go(command_line);
  Ensure_search_ready();
  if (hash_age > 250) hash_age = 0;
  ++hash_age;
  Deepening(b, go.depth, go.infinite, go.wtime, go.btime, go.movetime);
}
