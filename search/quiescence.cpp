// Quiescence: stand pat, then captures and promotions only, with delta masks that
// keep hopeless captures from being generated at all. No legality test: a capture
// of the king proves the previous move illegal and scores as a win.
#include "driver/poll.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search.h"

namespace {

// Stand-pat margins: the victim's material value plus a little.
constexpr i32 delta_pawn = 160;
constexpr i32 delta_minor = 500;
constexpr i32 delta_rook = 700;

// Past the last per-ply slot a node scores its stand pat and goes no deeper; the
// path ends there when that score lies inside the window.
inline i32 Deepest_ply(T_Bitboard& b, i32 alpha, i32 beta, u8 ply, u8 pv_node) {
  const i32 s = Evaluate(b) + b.eval;
  if (pv_node && s > alpha && s < beta) Pv_from_line(ply, s);
  return s;
}

}  // namespace

i32 Quiescence_white(T_Bitboard& b, i32 alpha, i32 beta, u8 ply, u8 pv_node) {
  if (ply >= max_ply) return Deepest_ply(b, alpha, beta, ply, pv_node);
  const i32 s = Evaluate(b) + b.eval;
  bool raised = false;
  if (s > alpha) {
    if (s >= beta) return s;
    alpha = s;
    raised = true;
  }
  i32 best = s;

  const u64 saved = b.all_black_piece;
  if (s < alpha - delta_pawn) {
    b.all_black_piece &= ~b.black_piece[kind_pawn];
    if (s < alpha - delta_minor) {
      b.all_black_piece &= ~(b.black_piece[kind_knight] | b.black_piece[kind_bishop]);
      if (s < alpha - delta_rook) b.all_black_piece &= ~b.black_piece[kind_rook];
    }
  }
  T_List list;
  Generator_captures_white(list, b);
  Sort_captures(list);
  b.all_black_piece = saved;

  T_Pv own;
  T_Undo undo;
  for (int i = 0; i < list.end_captures; ++i) {
    const u8 index = static_cast<u8>(i);
    Make_move_white(undo, b, index, list);
    if (pv_node) line_moves[ply] = list.move[i];
    if (Move_captured(list.move[i]) == kind_king) {
      Unmake_move_white(b, undo, index, list);
      const i32 score = mate_score - mate_ply_step * ply;
      if (pv_node) Pv_from_line(ply, score);
      return score;
    }
    const i32 r = Quiescence_black(b, alpha, beta, ply + 1, pv_node);
    Unmake_move_white(b, undo, index, list);
    if (r <= best) continue;
    best = r;
    if (r <= alpha) continue;
    if (r >= beta) return r;
    alpha = r;
    if (pv_node) Pv_save(own);
    raised = true;
  }
  if (!raised) return best;
  if (best == s) {
    if (pv_node) Pv_from_line(ply, s);
    return best;
  }
  if (pv_node) Pv_restore(own);
  return best;
}

i32 Quiescence_black(T_Bitboard& b, i32 alpha, i32 beta, u8 ply, u8 pv_node) {
  if (ply >= max_ply) return Deepest_ply(b, alpha, beta, ply, pv_node);
  const i32 s = Evaluate(b) + b.eval;
  bool lowered = false;
  if (s < beta) {
    if (s <= alpha) return s;
    beta = s;
    lowered = true;
  }
  i32 best = s;

  const u64 saved = b.all_white_piece;
  if (s > beta + delta_pawn) {
    b.all_white_piece &= ~b.white_piece[kind_pawn];
    if (s > beta + delta_minor) {
      b.all_white_piece &= ~(b.white_piece[kind_knight] | b.white_piece[kind_bishop]);
      if (s > beta + delta_rook) b.all_white_piece &= ~b.white_piece[kind_rook];
    }
  }
  T_List list;
  Generator_captures_black(list, b);
  Sort_captures(list);
  b.all_white_piece = saved;

  T_Pv own;
  T_Undo undo;
  for (int i = 0; i < list.end_captures; ++i) {
    const u8 index = static_cast<u8>(i);
    Make_move_black(undo, b, index, list);
    if (pv_node) line_moves[ply] = list.move[i];
    if (Move_captured(list.move[i]) == kind_king) {
      Unmake_move_black(b, undo, index, list);
      const i32 score = -(mate_score - mate_ply_step * ply);
      if (pv_node) Pv_from_line(ply, score);
      return score;
    }
    const i32 r = Quiescence_white(b, alpha, beta, ply + 1, pv_node);
    Unmake_move_black(b, undo, index, list);
    if (r >= best) continue;
    best = r;
    if (r >= beta) continue;
    if (r <= alpha) return r;
    beta = r;
    if (pv_node) Pv_save(own);
    lowered = true;
  }
  if (!lowered) return best;
  if (best == s) {
    if (pv_node) Pv_from_line(ply, s);
    return best;
  }
  if (pv_node) Pv_restore(own);
  return best;
}

i32 Leaf_search_white(T_Bitboard& b, i32 alpha, i32 beta, u8 pv_node, u8 ply) {
  Poll_input();
  return Quiescence_white(b, alpha, beta, ply, pv_node);
}

i32 Leaf_search_black(T_Bitboard& b, i32 alpha, i32 beta, u8 pv_node, u8 ply) {
  Poll_input();
  return Quiescence_black(b, alpha, beta, ply, pv_node);
}
