// Iterative deepening: one root search per depth until a stop rule ends the loop,
// an info line after each iteration, and the bestmove line at the end, with the
// self-checks of material, key and best move around them.
#include <chrono>

#include "driver/driver.h"
#include "driver/output.h"
#include "driver/poll.h"
#include "driver/report.h"
#include "movegen/movegen.h"
#include "search/search.h"

std::int64_t start_clock;
std::int64_t end_clock;

namespace {

constexpr i32 mate_report_threshold = 900000;
constexpr u8 deepest_iteration = 50;

// The squares of a move and, for a promotion, the new kind's letter.
int Move_text(i32 move, bool with_promotion, char* out) {
  const int from = Move_from(move), to = Move_to(move), type = Move_type(move);
  int n = 0;
  out[n++] = static_cast<char>('a' + from % 8);
  out[n++] = static_cast<char>('1' + from / 8);
  out[n++] = static_cast<char>('a' + to % 8);
  out[n++] = static_cast<char>('1' + to / 8);
  if (with_promotion) {
    int kind = 0;
    if (type >= 12 && type <= 15) kind = type - 10;
    if (type >= 22 && type <= 25) kind = type - 20;
    if (kind) out[n++] = "  nbrq"[kind];
  }
  return n;
}

void Write_move(i32 move) {
  char text[5];
  Write_bytes(text, Move_text(move, true, text));
}

bool Has_legal_move(T_Bitboard& b, const T_List& list) {
  T_Undo undo;
  for (int i = 0; i < list.end_list; ++i) {
    const u8 index = static_cast<u8>(i);
    bool legal;
    if (b.colour_move == 1) {
      Make_move_white(undo, b, index, list);
      legal = !King_white_check(b);
      Unmake_move_white(b, undo, index, list);
    } else {
      Make_move_black(undo, b, index, list);
      legal = !King_black_check(b);
      Unmake_move_black(b, undo, index, list);
    }
    if (legal) return true;
  }
  return false;
}

void Check_key(const T_Bitboard& b, u64 saved_key) {
  if (b.hash_key != saved_key) {
    Write_text("\n");
    Write_text("ERROR HESH Test_Deepening ");
    Write_text("\n");
  }
}

// Writes the iteration's line; true when it reported a mate.
bool Report_iteration(const T_Bitboard& b, i32 score, u8 depth, u64 iteration_nodes, double duration) {
  Write_text("info ");
  Write_text(" nps ");
  Write_unsigned(static_cast<std::uint64_t>(static_cast<double>(iteration_nodes) / duration));
  Write_text(" depth ");
  Write_unsigned(depth);
  Write_text(" seldepth ");
  Write_unsigned(pv.length);
  const i32 s = b.colour_move == 1 ? score : -score;
  bool mate = false;
  if (s > mate_report_threshold) {
    Write_text(" score mate ");
    Write_signed(pv.length);
    mate = true;
  } else if (s < -mate_report_threshold) {
    Write_text(" score mate ");
    Write_signed(-static_cast<int>(pv.length));
    mate = true;
  } else {
    Write_text(" score cp ");
    Write_signed(s);
  }
  Write_text(" nodes ");
  Write_unsigned(iteration_nodes);
  Write_text(" pv ");
  for (int i = 0; i < pv.length; ++i) {
    Write_move(pv.moves[i]);
    Write_text(" ");
  }
  Write_text("\n");
  return mate;
}

}  // namespace

std::int64_t Clock_now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double Elapsed_time() {
  const double seconds = static_cast<double>(end_clock - start_clock) / 1000.0;
  return seconds < 0.01 ? 0.01 : seconds;
}

void Report_currmove(const T_List& list, u8 number, u8 index, u8 depth) {
  char text[5];
  Write_text("info currmove ");
  Write_bytes(text, Move_text(list.move[index], false, text));
  Write_text(" currmovenumber ");
  Write_unsigned(number);
  Write_text(" depth ");
  Write_unsigned(depth);
  Write_text("\n");
}

void Deepening(T_Bitboard& b, u8 depth, u8 infinite, double wtime, double btime, double movetime) {
  T_Go_parameters go;
  go.depth = depth;
  go.infinite = infinite;
  go.wtime = wtime;
  go.btime = btime;
  go.movetime = movetime;
  const T_Budget budget = Compute_budget(go, b.colour_move, game_ply);
  const double time_limit = budget.time_limit;
  hard_time_limit = budget.hard_time_limit;
  const u8 depth_limit = budget.depth_limit;

  poll_counter = 0;
  stop_search = 0;
  const i32 saved_material = test_eval(b);
  b.eval = saved_material;
  Hash_key_from_scratch(b);
  const u64 saved_key = b.hash_key;
  for (int i = 0; i <= max_ply; ++i) search_keys[i] = static_cast<u64>(i);
  search_keys[0] = b.hash_key;

  // The root list is generated once; each iteration starts from the order and the
  // scores the previous one left in it.
  T_List root;
  if (b.colour_move == 1) {
    Generator_captures_white(root, b);
    Generator_move_white(root, b);
  } else {
    Generator_captures_black(root, b);
    Generator_move_black(root, b);
  }
  const bool any_legal = Has_legal_move(b, root);

  bool mate_found = false;
  for (u8 d = 1; d <= depth_limit;) {
    if (mate_found || d > deepest_iteration || stop_search) break;
    nodes = 0;
    start_clock = Clock_now();
    const i32 score = b.colour_move == 1 ? Search_root_white(b, root, d) : Search_root_black(b, root, d);
    end_clock = Clock_now();
    const double duration = Elapsed_time();
    const u64 iteration_nodes = nodes;
    if (b.eval != saved_material) {
      Write_text("ERROR test_eval != bitboard->eval");
      Write_text("\n");
    }
    Check_key(b, saved_key);
    mate_found = Report_iteration(b, score, d, iteration_nodes, duration);
    if (time_limit != -1 && time_limit < duration && d >= 2) break;
    ++d;
  }
  Check_key(b, saved_key);

  // Without a legal move there is no move to name: the protocol's null move.
  if (!any_legal) {
    Write_text("bestmove 0000\n");
    return;
  }
  const i32 first = pv.moves[0];
  char text[5];
  // The squares come from the root's best move, the promotion letter from pv's first.
  const int n = Move_text(Move_word(0, best_to, best_from, Move_type(first), 0), true, text);
  Write_text("bestmove ");
  Write_bytes(text, n);
  Write_text("\n");
  if (best_from != Move_from(first)) Write_text("ERROR from(Deepening)\n");
  if (best_to != Move_to(first)) Write_text("ERROR to(Deepening)\n");
}
