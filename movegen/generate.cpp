// The four generators. Pieces of one kind go in ascending square order, each piece's
// targets in ascending order, rays in fixed absolute direction orders for both colours.
#include <bit>

#include "movegen/movegen.h"
#include "movegen/ray.h"

namespace {

using Table = tables_detail::Table;

inline void Push(T_List& list, int& n, i32 move, i32 key) {
  if (n < list_capacity) {
    list.move[n] = move;
    list.sort[n] = key;
    ++n;
  }
}

// Quiet moves leave the sort entry as it was.
inline void Push_quiet(T_List& list, int& n, i32 move) {
  if (n < list_capacity) list.move[n++] = move;
}

// At most one capture along a ray: its nearest blocker, when that is an enemy piece.
template <Scan scan>
inline void Ray_capture(T_List& list, int& n, const Table& ray, int s, u64 occupied, u64 enemy,
                        const u8* enemy_name, int piece) {
  if (!(ray[s] & enemy)) return;  // no enemy on the ray: nothing to capture
  const int t = Nearest<scan>(ray[s] & occupied);
  if (enemy & square_bit[t]) {
    const int captured = enemy_name[t];
    Push(list, n, Move_word(piece, t, s, capture, captured), 10 * captured - piece);
  }
}

// Quiet moves along a ray: every square strictly before the nearest blocker.
template <Scan scan>
inline void Ray_quiet(T_List& list, int& n, const Table& ray, int s, u64 occupied, int piece) {
  u64 targets = ray[s];
  const u64 blockers = targets & occupied;
  if (blockers) {
    const int t = Nearest<scan>(blockers);
    targets ^= square_bit[t] ^ ray[t];
  }
  for (; targets; targets &= targets - 1) Push_quiet(list, n, Move_word(piece, std::countr_zero(targets), s, quiet, 0));
}

inline void Step_captures(T_List& list, int& n, u64 targets, int s, const u8* enemy_name, int piece) {
  for (; targets; targets &= targets - 1) {
    const int t = std::countr_zero(targets);
    const int captured = enemy_name[t];
    Push(list, n, Move_word(piece, t, s, capture, captured), 10 * captured - piece);
  }
}

inline void Step_quiets(T_List& list, int& n, u64 targets, int s, int piece) {
  for (; targets; targets &= targets - 1) Push_quiet(list, n, Move_word(piece, std::countr_zero(targets), s, quiet, 0));
}

// Queen, rook, bishop, knight order within one promotion (type = new kind + base).
inline void Promotions(T_List& list, int& n, int s, int t, int base, int captured) {
  for (int kind = kind_queen; kind >= kind_knight; --kind)
    Push(list, n, Move_word(kind_pawn, t, s, base + kind, captured), base + kind);
}

// Captures of the sliders, shared by both colours: only the enemy set and names differ.
inline void Slider_captures(T_List& list, int& n, const T_Bitboard& b, const u64* own, u64 enemy,
                            const u8* enemy_name) {
  const u64 occupied = b.all_piece;
  for (u64 p = own[kind_bishop]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    Ray_capture<Scan::low>(list, n, ray_up_right, s, occupied, enemy, enemy_name, kind_bishop);
    Ray_capture<Scan::low>(list, n, ray_up_left, s, occupied, enemy, enemy_name, kind_bishop);
    Ray_capture<Scan::high>(list, n, ray_down_left, s, occupied, enemy, enemy_name, kind_bishop);
    Ray_capture<Scan::high>(list, n, ray_down_right, s, occupied, enemy, enemy_name, kind_bishop);
  }
  for (u64 p = own[kind_rook]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    Ray_capture<Scan::low>(list, n, ray_up, s, occupied, enemy, enemy_name, kind_rook);
    Ray_capture<Scan::high>(list, n, ray_left, s, occupied, enemy, enemy_name, kind_rook);
    Ray_capture<Scan::high>(list, n, ray_down, s, occupied, enemy, enemy_name, kind_rook);
    Ray_capture<Scan::low>(list, n, ray_right, s, occupied, enemy, enemy_name, kind_rook);
  }
  for (u64 p = own[kind_queen]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    Ray_capture<Scan::low>(list, n, ray_up, s, occupied, enemy, enemy_name, kind_queen);
    Ray_capture<Scan::high>(list, n, ray_left, s, occupied, enemy, enemy_name, kind_queen);
    Ray_capture<Scan::high>(list, n, ray_down, s, occupied, enemy, enemy_name, kind_queen);
    Ray_capture<Scan::low>(list, n, ray_right, s, occupied, enemy, enemy_name, kind_queen);
    Ray_capture<Scan::low>(list, n, ray_up_right, s, occupied, enemy, enemy_name, kind_queen);
    Ray_capture<Scan::low>(list, n, ray_up_left, s, occupied, enemy, enemy_name, kind_queen);
    Ray_capture<Scan::high>(list, n, ray_down_left, s, occupied, enemy, enemy_name, kind_queen);
    Ray_capture<Scan::high>(list, n, ray_down_right, s, occupied, enemy, enemy_name, kind_queen);
  }
}

// Quiet moves of queens, rooks, bishops and knights, in that order.
inline void Piece_quiets(T_List& list, int& n, const T_Bitboard& b, const u64* own) {
  const u64 occupied = b.all_piece;
  for (u64 p = own[kind_queen]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    Ray_quiet<Scan::low>(list, n, ray_up, s, occupied, kind_queen);
    Ray_quiet<Scan::high>(list, n, ray_left, s, occupied, kind_queen);
    Ray_quiet<Scan::high>(list, n, ray_down, s, occupied, kind_queen);
    Ray_quiet<Scan::low>(list, n, ray_right, s, occupied, kind_queen);
    Ray_quiet<Scan::low>(list, n, ray_up_right, s, occupied, kind_queen);
    Ray_quiet<Scan::low>(list, n, ray_up_left, s, occupied, kind_queen);
    Ray_quiet<Scan::high>(list, n, ray_down_left, s, occupied, kind_queen);
    Ray_quiet<Scan::high>(list, n, ray_down_right, s, occupied, kind_queen);
  }
  for (u64 p = own[kind_rook]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    Ray_quiet<Scan::low>(list, n, ray_up, s, occupied, kind_rook);
    Ray_quiet<Scan::high>(list, n, ray_left, s, occupied, kind_rook);
    Ray_quiet<Scan::high>(list, n, ray_down, s, occupied, kind_rook);
    Ray_quiet<Scan::low>(list, n, ray_right, s, occupied, kind_rook);
  }
  for (u64 p = own[kind_bishop]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    Ray_quiet<Scan::low>(list, n, ray_up_right, s, occupied, kind_bishop);
    Ray_quiet<Scan::low>(list, n, ray_up_left, s, occupied, kind_bishop);
    Ray_quiet<Scan::high>(list, n, ray_down_left, s, occupied, kind_bishop);
    Ray_quiet<Scan::high>(list, n, ray_down_right, s, occupied, kind_bishop);
  }
  for (u64 p = own[kind_knight]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    Step_quiets(list, n, knight_attack[s] & ~occupied, s, kind_knight);
  }
}

constexpr u64 not_file_a = ~0x0101010101010101ULL;
constexpr u64 not_file_h = ~0x8080808080808080ULL;
constexpr u64 pawn_capture_ranks = 0x00FFFFFFFFFFFF00ULL;  // ranks 2 to 7, where pawns capture

// The pawns that have anything to write in the capture generator: a capture target,
// a promotion rank, or an en-passant chance. The others would write nothing, so
// walking only these keeps the order.
inline u64 White_pawns_with_tactics(const T_Bitboard& b, u64 enemy) {
  const u64 pawns = b.white_piece[kind_pawn];
  const u64 capturing = pawns & pawn_capture_ranks & ((((enemy & not_file_h) >> 7) | ((enemy & not_file_a) >> 9)));
  const u64 rest = pawns & (b.taking_passage_yes ? 0x00FF00FF00000000ULL : 0x00FF000000000000ULL);
  return capturing | rest;
}
inline u64 Black_pawns_with_tactics(const T_Bitboard& b, u64 enemy) {
  const u64 pawns = b.black_piece[kind_pawn];
  const u64 capturing = pawns & pawn_capture_ranks & ((((enemy & not_file_a) << 7) | ((enemy & not_file_h) << 9)));
  const u64 rest = pawns & (b.taking_passage_yes ? 0x00000000FF00FF00ULL : 0x000000000000FF00ULL);
  return capturing | rest;
}

}  // namespace

void Generator_captures_white(T_List& list, const T_Bitboard& b) {
  int n = 0;
  const u64 enemy = b.all_black_piece;
  const u8* enemy_name = b.black_name_from_coord;
  for (u64 p = White_pawns_with_tactics(b, enemy); p; p &= p - 1) {
    const int s = std::countr_zero(p);
    if (s >= 48 && s <= 55) {
      if (!(b.all_piece & square_bit[s + 8])) Promotions(list, n, s, s + 8, 10, 0);
      for (u64 t = pawn_attack_white[s] & enemy; t; t &= t - 1) {
        const int to = std::countr_zero(t);
        Promotions(list, n, s, to, 20, enemy_name[to]);
      }
    } else {
      Step_captures(list, n, pawn_attack_white[s] & enemy, s, enemy_name, kind_pawn);
    }
    if (s >= 32 && s <= 39 && b.taking_passage_yes) {
      const int t = b.taking_passage_y * 8 + b.taking_passage_x;
      if ((t == s + 9 && s % 8 != 7) || (t == s + 7 && s % 8 != 0))
        Push(list, n, Move_word(kind_pawn, t, s, taking_passage, enemy_name[t - 8]), 5);
    }
  }
  for (u64 p = b.white_piece[kind_knight]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    Step_captures(list, n, knight_attack[s] & enemy, s, enemy_name, kind_knight);
  }
  Slider_captures(list, n, b, b.white_piece, enemy, enemy_name);
  if (const u64 king = b.white_piece[kind_king]) {
    const int k = std::countr_zero(king);
    Step_captures(list, n, king_attack[k] & enemy, k, enemy_name, kind_king);
  }
  list.end_captures = static_cast<u8>(n);
  list.end_list = static_cast<u8>(n);
}

void Generator_captures_black(T_List& list, const T_Bitboard& b) {
  int n = 0;
  const u64 enemy = b.all_white_piece;
  const u8* enemy_name = b.white_name_from_coord;
  for (u64 p = Black_pawns_with_tactics(b, enemy); p; p &= p - 1) {
    const int s = std::countr_zero(p);
    if (s >= 8 && s <= 15) {
      if (!(b.all_piece & square_bit[s - 8])) Promotions(list, n, s, s - 8, 10, 0);
      for (u64 t = pawn_attack_black[s] & enemy; t; t &= t - 1) {
        const int to = std::countr_zero(t);
        Promotions(list, n, s, to, 20, enemy_name[to]);
      }
    } else {
      Step_captures(list, n, pawn_attack_black[s] & enemy, s, enemy_name, kind_pawn);
    }
    if (s >= 24 && s <= 31 && b.taking_passage_yes) {
      const int t = b.taking_passage_y * 8 + b.taking_passage_x;
      if ((t == s - 9 && s % 8 != 0) || (t == s - 7 && s % 8 != 7))
        Push(list, n, Move_word(kind_pawn, t, s, taking_passage, enemy_name[t + 8]), 5);
    }
  }
  for (u64 p = b.black_piece[kind_knight]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    Step_captures(list, n, knight_attack[s] & enemy, s, enemy_name, kind_knight);
  }
  Slider_captures(list, n, b, b.black_piece, enemy, enemy_name);
  if (const u64 king = b.black_piece[kind_king]) {
    const int k = std::countr_zero(king);
    Step_captures(list, n, king_attack[k] & enemy, k, enemy_name, kind_king);
  }
  list.end_captures = static_cast<u8>(n);
  list.end_list = static_cast<u8>(n);
}

void Add_castling(int type, T_List& list, int king_square, int destination) {
  const int n = list.end_list;
  if (n >= list_capacity) return;
  list.move[n] = Move_word(kind_king, destination, king_square, type, 0);
  list.sort[n] = type;
  list.end_list = static_cast<u8>(n + 1);
}

void Generator_move_white(T_List& list, const T_Bitboard& b) {
  const u64 occupied = b.all_piece;
  if (const u64 king = b.white_piece[kind_king]) {
    const int k = std::countr_zero(king);
    int n = list.end_list;
    Step_quiets(list, n, king_attack[k] & ~occupied, k, kind_king);
    list.end_list = static_cast<u8>(n);
    if (b.castling_Q && !(occupied & (square_bit[1] | square_bit[2] | square_bit[3])) &&
        !White_castling_square_attacked(b, 2) && !White_castling_square_attacked(b, 3) &&
        !White_castling_square_attacked(b, 4))
      Add_castling(castling_queen_side, list, k, 2);
    if (b.castling_K && !(occupied & (square_bit[5] | square_bit[6])) && !White_castling_square_attacked(b, 4) &&
        !White_castling_square_attacked(b, 5) && !White_castling_square_attacked(b, 6))
      Add_castling(castling_king_side, list, k, 6);
  }
  int n = list.end_list;
  Piece_quiets(list, n, b, b.white_piece);
  for (u64 p = b.white_piece[kind_pawn]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    if (s >= 48) continue;  // seventh-rank steps are promotions; a pawn on the eighth has none
    if (occupied & square_bit[s + 8]) continue;
    Push_quiet(list, n, Move_word(kind_pawn, s + 8, s, quiet, 0));
    if (s >= 8 && s <= 15 && !(occupied & square_bit[s + 16]))
      Push_quiet(list, n, Move_word(kind_pawn, s + 16, s, quiet, 0));
  }
  list.end_list = static_cast<u8>(n);
}

void Generator_move_black(T_List& list, const T_Bitboard& b) {
  const u64 occupied = b.all_piece;
  if (const u64 king = b.black_piece[kind_king]) {
    const int k = std::countr_zero(king);
    int n = list.end_list;
    Step_quiets(list, n, king_attack[k] & ~occupied, k, kind_king);
    list.end_list = static_cast<u8>(n);
    if (b.castling_q && !(occupied & (square_bit[57] | square_bit[58] | square_bit[59])) &&
        !Black_castling_square_attacked(b, 58) && !Black_castling_square_attacked(b, 59) &&
        !Black_castling_square_attacked(b, 60))
      Add_castling(castling_queen_side, list, k, 58);
    if (b.castling_k && !(occupied & (square_bit[61] | square_bit[62])) && !Black_castling_square_attacked(b, 60) &&
        !Black_castling_square_attacked(b, 61) && !Black_castling_square_attacked(b, 62))
      Add_castling(castling_king_side, list, k, 62);
  }
  int n = list.end_list;
  Piece_quiets(list, n, b, b.black_piece);
  for (u64 p = b.black_piece[kind_pawn]; p; p &= p - 1) {
    const int s = std::countr_zero(p);
    if (s < 16) continue;  // second-rank steps are promotions; a pawn on the first has none
    if (occupied & square_bit[s - 8]) continue;
    // Targets ascend, so the double step comes first.
    if (s >= 48 && s <= 55 && !(occupied & square_bit[s - 16]))
      Push_quiet(list, n, Move_word(kind_pawn, s - 16, s, quiet, 0));
    Push_quiet(list, n, Move_word(kind_pawn, s - 8, s, quiet, 0));
  }
  list.end_list = static_cast<u8>(n);
}
