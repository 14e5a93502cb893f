// Zobrist keys: piece-square keys drawn from a 15-bit linear congruential source,
// the from-scratch key and the incremental update after a make.
#include <bit>

#include "position/position.h"

u64 zobrist_piece[2][7][64];

namespace {
u32 random_state = 1;  // never reseeded: each "uci" draws the next keys
}

u32 Zobrist_random() {
  random_state = random_state * 214013u + 2531011u;
  return (random_state >> 16) & 0x7FFF;
}

void Init_zobrist() {
  for (int colour = 0; colour < 2; ++colour)
    for (int kind = 1; kind <= 6; ++kind)
      for (int s = 0; s < 64; ++s) {
        const u64 r1 = Zobrist_random(), r2 = Zobrist_random(), r3 = Zobrist_random(), r4 = Zobrist_random(),
                  r5 = Zobrist_random();
        u64 k = r1;
        k = (k << 12) ^ r2;
        k = (k << 16) ^ r3;
        k = (k << 16) ^ r4;
        k = (k << 15) ^ r5;
        zobrist_piece[colour][kind][s] = k;
      }
}

void Hash_key_from_scratch(T_Bitboard& b) {
  u64 key = 0;
  for (int s = 0; s < 64; ++s) {
    key ^= zobrist_piece[1][b.white_name_from_coord[s]][s];
    key ^= zobrist_piece[0][b.black_name_from_coord[s]][s];
  }
  if (b.colour_move) key ^= zobrist_white_to_move;
  if (b.castling_K) key ^= zobrist_castling_K;
  if (b.castling_Q) key ^= zobrist_castling_Q;
  if (b.castling_k) key ^= zobrist_castling_k;
  if (b.castling_q) key ^= zobrist_castling_q;
  if (b.taking_passage_yes) key ^= Zobrist_taking_passage_term(b.taking_passage_x, b.taking_passage_y);
  b.hash_key = key;
}

void Hash_key_update(const T_List& list, u8 index, u8 colour, T_Bitboard& b, const T_Undo& undo) {
  const i32 m = list.move[index];
  const int piece = Move_piece(m), captured = Move_captured(m), type = Move_type(m), from = Move_from(m),
            to = Move_to(m);
  const int c = colour ? 1 : 0, o = 1 - c;
  const auto& own = zobrist_piece[c];
  u64 key = b.hash_key;
  switch (type) {
    case quiet:
      key ^= own[piece][from] ^ own[piece][to];
      break;
    case capture:
      key ^= zobrist_piece[o][captured][to] ^ own[piece][from] ^ own[piece][to];
      break;
    case castling_queen_side:
      key ^= own[piece][from] ^ own[piece][to];
      key ^= c ? own[kind_rook][0] ^ own[kind_rook][3] : own[kind_rook][56] ^ own[kind_rook][59];
      break;
    case castling_king_side:
      key ^= own[piece][from] ^ own[piece][to];
      key ^= c ? own[kind_rook][7] ^ own[kind_rook][5] : own[kind_rook][63] ^ own[kind_rook][61];
      break;
    case taking_passage:
      key ^= own[piece][from] ^ own[piece][to];
      key ^= c ? zobrist_piece[0][captured][to - 8] : zobrist_piece[1][captured][to + 8];
      break;
    case 12: case 13: case 14: case 15:
      key ^= own[piece][from] ^ own[type - 10][to];
      break;
    case 22: case 23: case 24: case 25:
      key ^= zobrist_piece[o][captured][to] ^ own[piece][from] ^ own[type - 20][to];
      break;
    default:
      break;
  }
  key ^= zobrist_white_to_move;
  if (b.castling_K != undo.castling_K) key ^= zobrist_castling_K;
  if (b.castling_Q != undo.castling_Q) key ^= zobrist_castling_Q;
  if (b.castling_k != undo.castling_k) key ^= zobrist_castling_k;
  if (b.castling_q != undo.castling_q) key ^= zobrist_castling_q;
  if (undo.taking_passage_yes) key ^= Zobrist_taking_passage_term(undo.taking_passage_x, undo.taking_passage_y);
  if (b.taking_passage_yes) key ^= Zobrist_taking_passage_term(b.taking_passage_x, b.taking_passage_y);
  b.hash_key = key;
}
