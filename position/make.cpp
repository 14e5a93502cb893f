// Make and unmake, white and black twins side by side. Every set change is one
// exclusive-or with a one-bit mask; all_piece is rebuilt with one OR at the end.
#include <cstring>

#include "position/position.h"

namespace {

// Lift, put and shift for one colour. The kind always comes from the name array.
inline void Lift_white(T_Bitboard& b, int s) {
  const u64 bit = square_bit[s];
  b.all_white_piece ^= bit;
  b.white_piece[b.white_name_from_coord[s]] ^= bit;
  b.white_name_from_coord[s] = 0;
}
inline void Put_white(T_Bitboard& b, int kind, int s) {
  const u64 bit = square_bit[s];
  b.white_name_from_coord[s] = static_cast<u8>(kind);
  b.all_white_piece ^= bit;
  b.white_piece[kind] ^= bit;
}
inline void Shift_white(T_Bitboard& b, int s, int t) {
  const int kind = b.white_name_from_coord[s];
  Lift_white(b, s);
  Put_white(b, kind, t);
}

inline void Lift_black(T_Bitboard& b, int s) {
  const u64 bit = square_bit[s];
  b.all_black_piece ^= bit;
  b.black_piece[b.black_name_from_coord[s]] ^= bit;
  b.black_name_from_coord[s] = 0;
}
inline void Put_black(T_Bitboard& b, int kind, int s) {
  const u64 bit = square_bit[s];
  b.black_name_from_coord[s] = static_cast<u8>(kind);
  b.all_black_piece ^= bit;
  b.black_piece[kind] ^= bit;
}
inline void Shift_black(T_Bitboard& b, int s, int t) {
  const int kind = b.black_name_from_coord[s];
  Lift_black(b, s);
  Put_black(b, kind, t);
}

inline void Save_undo(T_Undo& u, const T_Bitboard& b) {
  u.taking_passage_yes = b.taking_passage_yes;
  u.taking_passage_x = b.taking_passage_x;
  u.taking_passage_y = b.taking_passage_y;
  u.castling_Q = b.castling_Q;
  u.castling_K = b.castling_K;
  u.castling_q = b.castling_q;
  u.castling_k = b.castling_k;
}

// The flags a white king or rook gives up by moving (the kind is the one now on to).
inline void White_mover_flags(T_Bitboard& b, int kind, int from) {
  if (kind == kind_king) {
    b.castling_Q = 0;
    b.castling_K = 0;
  } else if (kind == kind_rook) {
    if (from == 0) b.castling_Q = 0;
    if (from == 7) b.castling_K = 0;
  }
}
inline void Black_mover_flags(T_Bitboard& b, int kind, int from) {
  if (kind == kind_king) {
    b.castling_q = 0;
    b.castling_k = 0;
  } else if (kind == kind_rook) {
    if (from == 56) b.castling_q = 0;
    if (from == 63) b.castling_k = 0;
  }
}

// A rook taken on its home corner takes the opponent's right with it.
inline void White_takes_rook_flags(T_Bitboard& b, int captured, int to) {
  if (captured == kind_rook) {
    if (to == 56) b.castling_q = 0;
    if (to == 63) b.castling_k = 0;
  }
}
inline void Black_takes_rook_flags(T_Bitboard& b, int captured, int to) {
  if (captured == kind_rook) {
    if (to == 0) b.castling_Q = 0;
    if (to == 7) b.castling_K = 0;
  }
}

// Unmake's mirrors of the two rules above: the flags come back from the undo record.
inline void White_mover_flags_back(T_Bitboard& b, const T_Undo& u, int kind, int from) {
  if (kind == kind_king) {
    b.castling_K = u.castling_K;
    b.castling_Q = u.castling_Q;
  } else if (kind == kind_rook) {
    if (from == 0) b.castling_Q = u.castling_Q;
    if (from == 7) b.castling_K = u.castling_K;
  }
}
inline void Black_mover_flags_back(T_Bitboard& b, const T_Undo& u, int kind, int from) {
  if (kind == kind_king) {
    b.castling_k = u.castling_k;
    b.castling_q = u.castling_q;
  } else if (kind == kind_rook) {
    if (from == 56) b.castling_q = u.castling_q;
    if (from == 63) b.castling_k = u.castling_k;
  }
}
inline void White_takes_rook_flags_back(T_Bitboard& b, const T_Undo& u, int captured, int to) {
  if (captured == kind_rook) {
    if (to == 56) b.castling_q = u.castling_q;
    if (to == 63) b.castling_k = u.castling_k;
  }
}
inline void Black_takes_rook_flags_back(T_Bitboard& b, const T_Undo& u, int captured, int to) {
  if (captured == kind_rook) {
    if (to == 0) b.castling_Q = u.castling_Q;
    if (to == 7) b.castling_K = u.castling_K;
  }
}

}  // namespace

void Make_move_white(T_Undo& u, T_Bitboard& b, u8 index, const T_List& list) {
  const i32 m = list.move[index];
  const int captured = Move_captured(m), type = Move_type(m), from = Move_from(m), to = Move_to(m);
  Save_undo(u, b);
  b.taking_passage_yes = 0;
  b.colour_move = 0;
  switch (type) {
    case quiet: {
      Shift_white(b, from, to);
      const int kind = b.white_name_from_coord[to];
      if (kind == kind_pawn) {
        if (to - from == 16) {
          b.taking_passage_yes = 1;
          b.taking_passage_x = static_cast<u8>(from % 8);
          b.taking_passage_y = static_cast<u8>((from + 8) / 8);
        }
      } else {
        White_mover_flags(b, kind, from);
      }
      break;
    }
    case capture:
      b.eval += material_value[b.black_name_from_coord[to]];
      Lift_black(b, to);
      Shift_white(b, from, to);
      White_mover_flags(b, b.white_name_from_coord[to], from);
      White_takes_rook_flags(b, captured, to);
      break;
    case castling_queen_side:
      Shift_white(b, from, to);
      Shift_white(b, 0, 3);
      b.castling_Q = 0;
      b.castling_K = 0;
      break;
    case castling_king_side:
      Shift_white(b, from, to);
      Shift_white(b, 7, 5);
      b.castling_Q = 0;
      b.castling_K = 0;
      break;
    case taking_passage:
      Shift_white(b, from, to);
      Lift_black(b, to - 8);
      b.eval += 100;
      break;
    case 12: case 13: case 14: case 15:
      Lift_white(b, from);
      Put_white(b, type - 10, to);
      b.eval += material_value[type - 10] - 100;
      break;
    case 22: case 23: case 24: case 25:
      b.eval += material_value[b.black_name_from_coord[to]] + material_value[type - 20] - 100;
      Lift_black(b, to);
      Lift_white(b, from);
      Put_white(b, type - 20, to);
      White_takes_rook_flags(b, captured, to);
      break;
    default:
      return;
  }
  b.all_piece = b.all_white_piece | b.all_black_piece;
}

void Make_move_black(T_Undo& u, T_Bitboard& b, u8 index, const T_List& list) {
  const i32 m = list.move[index];
  const int captured = Move_captured(m), type = Move_type(m), from = Move_from(m), to = Move_to(m);
  Save_undo(u, b);
  b.taking_passage_yes = 0;
  b.colour_move = 1;
  switch (type) {
    case quiet: {
      Shift_black(b, from, to);
      const int kind = b.black_name_from_coord[to];
      if (kind == kind_pawn) {
        if (to - from == -16) {
          b.taking_passage_yes = 1;
          b.taking_passage_x = static_cast<u8>(from % 8);
          b.taking_passage_y = static_cast<u8>((from - 8) / 8);
        }
      } else {
        Black_mover_flags(b, kind, from);
      }
      break;
    }
    case capture:
      b.eval -= material_value[b.white_name_from_coord[to]];
      Lift_white(b, to);
      Shift_black(b, from, to);
      Black_mover_flags(b, b.black_name_from_coord[to], from);
      Black_takes_rook_flags(b, captured, to);
      break;
    case castling_queen_side:
      Shift_black(b, from, to);
      Shift_black(b, 56, 59);
      b.castling_q = 0;
      b.castling_k = 0;
      break;
    case castling_king_side:
      Shift_black(b, from, to);
      Shift_black(b, 63, 61);
      b.castling_q = 0;
      b.castling_k = 0;
      break;
    case taking_passage:
      Shift_black(b, from, to);
      Lift_white(b, to + 8);
      b.eval -= 100;
      break;
    case 12: case 13: case 14: case 15:
      Lift_black(b, from);
      Put_black(b, type - 10, to);
      b.eval -= material_value[type - 10] - 100;
      break;
    case 22: case 23: case 24: case 25:
      b.eval -= material_value[b.white_name_from_coord[to]] + material_value[type - 20] - 100;
      Lift_white(b, to);
      Lift_black(b, from);
      Put_black(b, type - 20, to);
      Black_takes_rook_flags(b, captured, to);
      break;
    default:
      return;
  }
  b.all_piece = b.all_white_piece | b.all_black_piece;
}

void Unmake_move_white(T_Bitboard& b, const T_Undo& u, u8 index, const T_List& list) {
  const i32 m = list.move[index];
  const int captured = Move_captured(m), type = Move_type(m), from = Move_from(m), to = Move_to(m);
  b.taking_passage_yes = u.taking_passage_yes;
  b.colour_move = 1;
  switch (type) {
    case quiet: {
      const int kind = b.white_name_from_coord[to];
      if (kind == kind_pawn) {
        if (to - from == 16) {
          b.taking_passage_x = u.taking_passage_x;
          b.taking_passage_y = u.taking_passage_y;
        }
      } else {
        White_mover_flags_back(b, u, kind, from);
      }
      Shift_white(b, to, from);
      break;
    }
    case capture:
      White_mover_flags_back(b, u, b.white_name_from_coord[to], from);
      White_takes_rook_flags_back(b, u, captured, to);
      Shift_white(b, to, from);
      Put_black(b, captured, to);
      b.eval -= material_value[captured];
      break;
    case castling_queen_side:
      b.castling_Q = u.castling_Q;
      b.castling_K = u.castling_K;
      Shift_white(b, to, from);
      Shift_white(b, 3, 0);
      break;
    case castling_king_side:
      b.castling_Q = u.castling_Q;
      b.castling_K = u.castling_K;
      Shift_white(b, to, from);
      Shift_white(b, 5, 7);
      break;
    case taking_passage:
      Shift_white(b, to, from);
      Put_black(b, captured, to - 8);
      b.eval -= 100;
      break;
    case 12: case 13: case 14: case 15:
      b.eval -= material_value[b.white_name_from_coord[to]] - 100;
      Lift_white(b, to);
      Put_white(b, kind_pawn, from);
      break;
    case 22: case 23: case 24: case 25:
      White_takes_rook_flags_back(b, u, captured, to);
      b.eval -= material_value[b.white_name_from_coord[to]] - 100 + material_value[captured];
      Lift_white(b, to);
      Put_white(b, kind_pawn, from);
      Put_black(b, captured, to);
      break;
    default:
      return;
  }
  b.all_piece = b.all_white_piece | b.all_black_piece;
}

void Unmake_move_black(T_Bitboard& b, const T_Undo& u, u8 index, const T_List& list) {
  const i32 m = list.move[index];
  const int captured = Move_captured(m), type = Move_type(m), from = Move_from(m), to = Move_to(m);
  b.taking_passage_yes = u.taking_passage_yes;
  b.colour_move = 0;
  switch (type) {
    case quiet: {
      const int kind = b.black_name_from_coord[to];
      if (kind == kind_pawn) {
        if (to - from == -16) {
          b.taking_passage_x = u.taking_passage_x;
          b.taking_passage_y = u.taking_passage_y;
        }
      } else {
        Black_mover_flags_back(b, u, kind, from);
      }
      Shift_black(b, to, from);
      break;
    }
    case capture:
      Black_mover_flags_back(b, u, b.black_name_from_coord[to], from);
      Black_takes_rook_flags_back(b, u, captured, to);
      Shift_black(b, to, from);
      Put_white(b, captured, to);
      b.eval += material_value[captured];
      break;
    case castling_queen_side:
      b.castling_q = u.castling_q;
      b.castling_k = u.castling_k;
      Shift_black(b, to, from);
      Shift_black(b, 59, 56);
      break;
    case castling_king_side:
      b.castling_q = u.castling_q;
      b.castling_k = u.castling_k;
      Shift_black(b, to, from);
      Shift_black(b, 61, 63);
      break;
    case taking_passage:
      Shift_black(b, to, from);
      Put_white(b, captured, to + 8);
      b.eval += 100;
      break;
    case 12: case 13: case 14: case 15:
      b.eval += material_value[b.black_name_from_coord[to]] - 100;
      Lift_black(b, to);
      Put_black(b, kind_pawn, from);
      break;
    case 22: case 23: case 24: case 25:
      Black_takes_rook_flags_back(b, u, captured, to);
      b.eval += material_value[b.black_name_from_coord[to]] - 100 + material_value[captured];
      Lift_black(b, to);
      Put_black(b, kind_pawn, from);
      Put_white(b, captured, to);
      break;
    default:
      return;
  }
  b.all_piece = b.all_white_piece | b.all_black_piece;
}

void Copy_bitboard(T_Bitboard& destination, const T_Bitboard& source) {
  std::memcpy(&destination, &source, sizeof(T_Bitboard));
}
