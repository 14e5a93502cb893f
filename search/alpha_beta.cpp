// The interior nodes: a principal-variation search with table cut-offs, null move
// with verification, check and capture extensions and a one-ply late-move
// reduction. The white and black twins are mirror images; nothing is negated.
#include "driver/poll.h"
#include "movegen/movegen.h"
#include "search/search.h"

namespace {

// Null move: the child keeps this much less depth than the node (the move itself
// plus a reduction), the verification search this much less, and the fail-high is
// verified only with at least this much depth left.
constexpr int null_child_reduction = 4;
constexpr int null_verify_reduction = 5;
constexpr int null_min_horizon = 5;
constexpr int null_min_remaining = 2;
constexpr int null_verify_min_remaining = 6;
// Late-move reduction: indices up to end_captures + this are never reduced.
constexpr int unreduced_quiets = 2;
constexpr int reduce_min_remaining = 3;

inline bool Null_move_allowed(u8 horizon, u8 ply, i32 last_type, u8 pv_node, u8 in_check, u8 after_null) {
  return !after_null && horizon >= null_min_horizon && horizon - ply >= null_min_remaining && !pv_node &&
         last_type != capture && !in_check;
}

// Flips the side and clears en passant in place, with the key to match; returns the
// state to put back.
inline T_Undo Null_move_make(T_Bitboard& b) {
  T_Undo saved{};
  saved.taking_passage_yes = b.taking_passage_yes;
  saved.taking_passage_x = b.taking_passage_x;
  saved.taking_passage_y = b.taking_passage_y;
  if (b.taking_passage_yes) b.hash_key ^= Zobrist_taking_passage_term(b.taking_passage_x, b.taking_passage_y);
  b.hash_key ^= zobrist_white_to_move;
  b.colour_move ^= 1;
  b.taking_passage_yes = b.taking_passage_x = b.taking_passage_y = 0;
  return saved;
}

inline void Null_move_unmake(T_Bitboard& b, const T_Undo& saved, u64 key) {
  b.taking_passage_yes = saved.taking_passage_yes;
  b.taking_passage_x = saved.taking_passage_x;
  b.taking_passage_y = saved.taking_passage_y;
  b.colour_move ^= 1;
  b.hash_key = key;
}

// Step 7: the node's moves, ordered by capture key, killers and the hash move.
inline void Order(T_List& list, const T_Bitboard& b, u8 ply) {
  Sort_captures(list);
  Killers_to_front(list, (list.end_captures > 0 && list.sort[0] >= 0) ? 1 : 0, ply);
  const T_Hash_entry& entry = hash_table[Hash_index(b.hash_key)];
  if (entry.move_key == Hash_check(b.hash_key)) Hash_move_to_front(list, entry);
}

// The child's horizon: one more for a checking move and, in PV nodes, for a plain
// capture of an equal or more valuable kind; never more than one in all.
inline u8 Child_horizon(u8 horizon, u8 gives_check, u8 pv_node, i32 move) {
  if (gives_check) return horizon + 1;
  if (pv_node && Move_type(move) == capture && Move_piece(move) <= Move_captured(move)) return horizon + 1;
  return horizon;
}

}  // namespace

i32 Alpha_beta_white(T_Bitboard& b, i32 alpha, i32 beta, u8 horizon, u8 ply, i32 last_type, u8 pv_node,
                     u8 in_check, u8 after_null) {
  // 1. Entry.
  const u64 key = b.hash_key;
  i32 best = -score_infinite;
  bool legal = false, raised = false;
  // 2. Stop.
  if (stop_search) return 0;
  // 3. Horizon (and the last per-ply slot).
  if (ply >= horizon || ply >= max_ply) return Leaf_search_white(b, alpha, beta, pv_node, ply);
  // 4. Repetition.
  if (Is_repetition(ply)) {
    if (pv_node) Pv_from_line(ply, 0);
    return 0;
  }
  // 5. Table cut-off, outside PV nodes.
  if (!pv_node) {
    const i32 s = Hash_probe_white(key, ply, horizon, alpha, beta);
    if (s != hash_no_entry) return s;
  }
  // 6. Null move, verified when deep enough; its nodes are not counted.
  if (Null_move_allowed(horizon, ply, last_type, pv_node, in_check, after_null)) {
    const T_Undo saved = Null_move_make(b);
    const u64 saved_nodes = nodes;
    const i32 r = Alpha_beta_black(b, alpha, alpha + 1, horizon - null_child_reduction, ply + 1, last_type, 0, 0, 1);
    Null_move_unmake(b, saved, key);
    nodes = saved_nodes;
    if (r >= beta) {
      if (horizon - ply < null_verify_min_remaining) return beta;
      const i32 v = Alpha_beta_white(b, beta - 1, beta, horizon - null_verify_reduction, ply, last_type, 0, 0, 1);
      if (v >= beta) return beta;
    }
  }
  // 7. Generation and ordering.
  T_List list;
  Generator_captures_white(list, b);
  Generator_move_white(list, b);
  Order(list, b, ply);
  // 8. Reduction limit.
  const int limit = list.end_captures + unreduced_quiets;
  // 9. Move loop.
  T_Pv own;
  T_Undo undo;
  int best_index = 0, pv_index = 0;
  for (int i = 0; i < list.end_list; ++i) {
    const u8 index = static_cast<u8>(i);
    Make_move_white(undo, b, index, list);
    if (King_white_check(b)) {
      Unmake_move_white(b, undo, index, list);
      continue;
    }
    ++nodes;
    legal = true;
    const i32 move = list.move[i];
    if (pv_node) line_moves[ply] = move;
    Hash_key_update(list, index, 1, b, undo);
    search_keys[ply + 1] = b.hash_key;
    const u8 gives_check = King_black_check(b) ? 1 : 0;
    const u8 h = Child_horizon(horizon, gives_check, pv_node, move);
    const i32 type = Move_type(move);
    i32 r;
    if (pv_node) {
      if (i == 0) {
        r = Alpha_beta_black(b, alpha, beta, h, ply + 1, type, 1, gives_check, after_null);
      } else {
        r = Alpha_beta_black(b, alpha, alpha + 1, h, ply + 1, type, 0, gives_check, after_null);
        if (r > alpha) r = Alpha_beta_black(b, alpha, beta, h, ply + 1, type, 1, gives_check, after_null);
      }
    } else {
      const bool reduce = i > limit && !gives_check && !in_check && h - ply >= reduce_min_remaining;
      if (reduce) r = Alpha_beta_black(b, alpha, alpha + 1, h - 1, ply + 1, type, 0, 0, after_null);
      if (!reduce || r > alpha) r = Alpha_beta_black(b, alpha, alpha + 1, h, ply + 1, type, 0, gives_check, after_null);
    }
    Unmake_move_white(b, undo, index, list);
    b.hash_key = key;
    if (r <= best) continue;
    if (r > alpha && r >= beta) {
      // 10. Cut-off.
      if (type != capture) Killer_update(ply, move);
      Hash_store(list, index, key, r, bound_fail_high, ply, horizon);
      return r;
    }
    if (r > alpha) {
      alpha = r;
      raised = true;
      pv_index = i;
      if (pv_node) Pv_save(own);
    }
    best = r;
    best_index = i;
  }
  // 11. Mate, stalemate, or the stores of a node that ran through its moves.
  if (!legal) {
    const i32 score = King_white_check(b) ? -(mate_score - mate_ply_step * ply) : 0;
    if (pv_node) Pv_from_line(ply, score);
    return score;
  }
  const u8 depth = static_cast<u8>(horizon - ply);
  if (raised) {
    if (pv_node) Pv_restore(own);
    Hash_store_move(Hash_index(key), Hash_check(key), list, static_cast<u8>(pv_index), depth);
    Hash_store_score(Hash_index(key), Hash_check(key), alpha, bound_exact, depth);
  } else {
    Hash_store_move(Hash_index(key), Hash_check(key), list, static_cast<u8>(best_index), depth);
    Hash_store_score(Hash_index(key), Hash_check(key), best, bound_fail_low, depth);
  }
  return best;
}

i32 Alpha_beta_black(T_Bitboard& b, i32 alpha, i32 beta, u8 horizon, u8 ply, i32 last_type, u8 pv_node,
                     u8 in_check, u8 after_null) {
  // 1. Entry.
  const u64 key = b.hash_key;
  i32 best = score_infinite;
  bool legal = false, lowered = false;
  // 2. Stop.
  if (stop_search) return 0;
  // 3. Horizon (and the last per-ply slot).
  if (ply >= horizon || ply >= max_ply) return Leaf_search_black(b, alpha, beta, pv_node, ply);
  // 4. Repetition.
  if (Is_repetition(ply)) {
    if (pv_node) Pv_from_line(ply, 0);
    return 0;
  }
  // 5. Table cut-off, outside PV nodes.
  if (!pv_node) {
    const i32 s = Hash_probe_black(key, ply, horizon, alpha, beta);
    if (s != hash_no_entry) return s;
  }
  // 6. Null move, verified when deep enough; its nodes are not counted.
  if (Null_move_allowed(horizon, ply, last_type, pv_node, in_check, after_null)) {
    const T_Undo saved = Null_move_make(b);
    const u64 saved_nodes = nodes;
    const i32 r = Alpha_beta_white(b, beta - 1, beta, horizon - null_child_reduction, ply + 1, last_type, 0, 0, 1);
    Null_move_unmake(b, saved, key);
    nodes = saved_nodes;
    if (r <= alpha) {
      if (horizon - ply < null_verify_min_remaining) return alpha;
      const i32 v = Alpha_beta_black(b, alpha, alpha + 1, horizon - null_verify_reduction, ply, last_type, 0, 0, 1);
      if (v <= alpha) return alpha;
    }
  }
  // 7. Generation and ordering.
  T_List list;
  Generator_captures_black(list, b);
  Generator_move_black(list, b);
  Order(list, b, ply);
  // 8. Reduction limit.
  const int limit = list.end_captures + unreduced_quiets;
  // 9. Move loop.
  T_Pv own;
  T_Undo undo;
  int best_index = 0, pv_index = 0;
  for (int i = 0; i < list.end_list; ++i) {
    const u8 index = static_cast<u8>(i);
    Make_move_black(undo, b, index, list);
    if (King_black_check(b)) {
      Unmake_move_black(b, undo, index, list);
      continue;
    }
    ++nodes;
    legal = true;
    const i32 move = list.move[i];
    if (pv_node) line_moves[ply] = move;
    Hash_key_update(list, index, 0, b, undo);
    search_keys[ply + 1] = b.hash_key;
    const u8 gives_check = King_white_check(b) ? 1 : 0;
    const u8 h = Child_horizon(horizon, gives_check, pv_node, move);
    const i32 type = Move_type(move);
    i32 r;
    if (pv_node) {
      if (i == 0) {
        r = Alpha_beta_white(b, alpha, beta, h, ply + 1, type, 1, gives_check, after_null);
      } else {
        r = Alpha_beta_white(b, beta - 1, beta, h, ply + 1, type, 0, gives_check, after_null);
        if (r < beta) r = Alpha_beta_white(b, alpha, beta, h, ply + 1, type, 1, gives_check, after_null);
      }
    } else {
      const bool reduce = i > limit && !gives_check && !in_check && h - ply >= reduce_min_remaining;
      if (reduce) r = Alpha_beta_white(b, beta - 1, beta, h - 1, ply + 1, type, 0, 0, after_null);
      if (!reduce || r < beta) r = Alpha_beta_white(b, beta - 1, beta, h, ply + 1, type, 0, gives_check, after_null);
    }
    Unmake_move_black(b, undo, index, list);
    b.hash_key = key;
    if (r >= best) continue;
    if (r < beta && r <= alpha) {
      // 10. Cut-off.
      if (type != capture) Killer_update(ply, move);
      Hash_store(list, index, key, r, bound_fail_high, ply, horizon);
      return r;
    }
    if (r < beta) {
      beta = r;
      lowered = true;
      pv_index = i;
      if (pv_node) Pv_save(own);
    }
    best = r;
    best_index = i;
  }
  // 11. Mate, stalemate, or the stores of a node that ran through its moves.
  if (!legal) {
    const i32 score = King_black_check(b) ? mate_score - mate_ply_step * ply : 0;
    if (pv_node) Pv_from_line(ply, score);
    return score;
  }
  const u8 depth = static_cast<u8>(horizon - ply);
  if (lowered) {
    if (pv_node) Pv_restore(own);
    Hash_store_move(Hash_index(key), Hash_check(key), list, static_cast<u8>(pv_index), depth);
    Hash_store_score(Hash_index(key), Hash_check(key), beta, bound_exact, depth);
  } else {
    Hash_store_move(Hash_index(key), Hash_check(key), list, static_cast<u8>(best_index), depth);
    Hash_store_score(Hash_index(key), Hash_check(key), best, bound_fail_low, depth);
  }
  return best;
}
