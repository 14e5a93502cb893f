// One iteration at the root: every move searched to the iteration's depth with the
// bound of the side not to move left open. The root keeps its list across
// iterations and writes each move's score into the list's sort keys.
#include <cstring>

#include "driver/output.h"
#include "driver/poll.h"
#include "driver/report.h"
#include "movegen/movegen.h"
#include "search/search.h"

u64 nodes;
u8 stop_search;
u8 best_from;
u8 best_to;

namespace {

// Killers live for one iteration; the poll count and the stop flag restart with it.
inline void Reset_iteration_state() {
  std::memset(killer_first, 0, sizeof killer_first);
  std::memset(killer_second, 0, sizeof killer_second);
  poll_counter = 0;
  stop_search = 0;
}

inline void Order_root(T_List& list, u64 key) {
  Sort_captures(list);
  const T_Hash_entry& entry = hash_table[Hash_index(key)];
  if (entry.move_key == Hash_check(key)) Hash_move_to_front(list, entry);
}

inline void Store_root(const T_List& list, u64 key, int best_index, i32 best, u8 depth) {
  Hash_store_move(Hash_index(key), Hash_check(key), list, static_cast<u8>(best_index), depth);
  Hash_store_score(Hash_index(key), Hash_check(key), best, bound_fail_low, depth);
}

}  // namespace

i32 Search_root_white(T_Bitboard& b, T_List& list, u8 depth) {
  const u64 key = b.hash_key;
  i32 alpha = -score_infinite, best = -score_infinite;
  int best_index = 0;
  bool raised = false, legal = false;
  u8 n = 1;
  Reset_iteration_state();
  Order_root(list, key);
  T_Bitboard test;
  Copy_bitboard(test, b);
  T_Pv own;
  T_Undo undo;
  for (int i = 0; i < list.end_list; ++i) {
    const u8 index = static_cast<u8>(i);
    Make_move_white(undo, b, index, list);
    if (King_white_check(b)) {
      Unmake_move_white(b, undo, index, list);
      list.sort[i] = -mate_score;
      continue;
    }
    ++nodes;
    legal = true;
    Report_currmove(list, n, index, depth);
    const i32 move = list.move[i];
    line_moves[0] = move;
    Hash_key_update(list, index, 1, b, undo);
    search_keys[1] = b.hash_key;
    const u8 gives_check = King_black_check(b) ? 1 : 0;
    const u8 h = gives_check ? depth + 1 : depth;
    const i32 type = Move_type(move);
    i32 r;
    if (i == 0) {
      r = Alpha_beta_black(b, alpha, score_infinite, h, 1, type, 1, gives_check, 0);
    } else {
      r = Alpha_beta_black(b, alpha, alpha + 1, h, 1, type, 0, gives_check, 0);
      if (r > alpha) r = Alpha_beta_black(b, alpha, score_infinite, h, 1, type, 1, gives_check, 0);
    }
    Unmake_move_white(b, undo, index, list);
    b.hash_key = key;
    list.sort[i] = r;
    if (r > best) {
      best = r;
      best_index = i;
      best_from = static_cast<u8>(Move_from(move));
      best_to = static_cast<u8>(Move_to(move));
      if (r > alpha) {
        alpha = r;
        raised = true;
        Pv_save(own);
        if (r != pv.score) Write_text("ERROR white value \n");
      }
    }
    if (!stop_search) ++n;
  }
  Compare_bitboard(test, b);
  if (!legal) {
    const i32 score = King_white_check(b) ? -mate_score : 0;
    pv.score = score;
    pv.length = 0;
    return score;
  }
  if (raised) Pv_restore(own);
  Store_root(list, key, best_index, best, depth);
  return best;
}

i32 Search_root_black(T_Bitboard& b, T_List& list, u8 depth) {
  const u64 key = b.hash_key;
  i32 beta = score_infinite, best = score_infinite;
  int best_index = 0;
  bool lowered = false, legal = false;
  u8 n = 1;
  Reset_iteration_state();
  Order_root(list, key);
  T_Bitboard test;
  Copy_bitboard(test, b);
  T_Pv own;
  T_Undo undo;
  for (int i = 0; i < list.end_list; ++i) {
    const u8 index = static_cast<u8>(i);
    Make_move_black(undo, b, index, list);
    if (King_black_check(b)) {
      Unmake_move_black(b, undo, index, list);
      list.sort[i] = mate_score;
      continue;
    }
    ++nodes;
    legal = true;
    Report_currmove(list, n, index, depth);
    const i32 move = list.move[i];
    line_moves[0] = move;
    Hash_key_update(list, index, 0, b, undo);
    search_keys[1] = b.hash_key;
    const u8 gives_check = King_white_check(b) ? 1 : 0;
    const u8 h = gives_check ? depth + 1 : depth;
    const i32 type = Move_type(move);
    i32 r;
    if (i == 0) {
      r = Alpha_beta_white(b, -score_infinite, beta, h, 1, type, 1, gives_check, 0);
    } else {
      r = Alpha_beta_white(b, beta - 1, beta, h, 1, type, 0, gives_check, 0);
      if (r < beta) r = Alpha_beta_white(b, -score_infinite, beta, h, 1, type, 1, gives_check, 0);
    }
    Unmake_move_black(b, undo, index, list);
    b.hash_key = key;
    list.sort[i] = r;
    if (r < best) {
      best = r;
      best_index = i;
      best_from = static_cast<u8>(Move_from(move));
      best_to = static_cast<u8>(Move_to(move));
      if (r < beta) {
        beta = r;
        lowered = true;
        Pv_save(own);
        if (r != pv.score) Write_text("ERROR black value \n");
      }
    }
    if (!stop_search) ++n;
  }
  Compare_bitboard(test, b);
  if (!legal) {
    const i32 score = King_black_check(b) ? mate_score : 0;
    pv.score = score;
    pv.length = 0;
    return score;
  }
  if (lowered) Pv_restore(own);
  Store_root(list, key, best_index, best, depth);
  return best;
}
