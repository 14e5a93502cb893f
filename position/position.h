// The position record, the move word and the undo record, with make/unmake,
// Zobrist keys and the record self-test.
#pragma once
#include <cstdint>

#include "movegen/list.h"
#include "movegen/tables.h"

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using i32 = std::int32_t;

// Piece kinds; the colour follows from which set or name array holds the kind.
enum : u8 { kind_none = 0, kind_pawn = 1, kind_knight = 2, kind_bishop = 3, kind_rook = 4, kind_queen = 5, kind_king = 6 };

inline constexpr i32 material_value[7] = {0, 100, 400, 400, 600, 1200, 90000};

struct T_Bitboard {
  u64 all_piece;
  u64 all_white_piece;
  u64 all_black_piece;
  u64 white_piece[7];  // entry 0 unused
  u64 black_piece[7];
  u8 white_name_from_coord[64];
  u8 black_name_from_coord[64];
  u8 colour_move;  // 1 white, 0 black
  u8 taking_passage_yes;
  u8 taking_passage_x;
  u8 taking_passage_y;
  u8 castling_Q;
  u8 castling_K;
  u8 castling_q;
  u8 castling_k;
  u64 hash_key;
  i32 eval;  // material, white minus black
};

struct T_Undo {
  u8 taking_passage_yes;
  u8 taking_passage_x;
  u8 taking_passage_y;
  u8 castling_Q;
  u8 castling_K;
  u8 castling_q;
  u8 castling_k;
};
static_assert(sizeof(T_Undo) == 7);

// Move word, a non-negative i32:
//   bits  0-5   captured kind (capture types 2, 5, 22-25), else 0
//   bits  6-11  type
//   bits 12-17  from square
//   bits 18-23  to square (the king's destination for castling)
//   bits 24-26  moving kind (1 for every promotion)
enum : i32 {
  quiet = 1,
  capture = 2,
  castling_queen_side = 3,
  castling_king_side = 4,
  taking_passage = 5,
  promotion_knight = 12,
  promotion_queen = 15,
  capture_promotion_knight = 22,
  capture_promotion_queen = 25,
};

constexpr i32 Move_word(int piece, int to, int from, int type, int captured) {
  return (piece << 24) | (to << 18) | (from << 12) | (type << 6) | captured;
}
constexpr int Move_captured(i32 m) { return m & 63; }
constexpr int Move_type(i32 m) { return (m >> 6) & 63; }
constexpr int Move_from(i32 m) { return (m >> 12) & 63; }
constexpr int Move_to(i32 m) { return (m >> 18) & 63; }
constexpr int Move_piece(i32 m) { return (m >> 24) & 7; }
static_assert(Move_word(1, 28, 12, quiet, 0) == (1 << 24) + (28 << 18) + (12 << 12) + (1 << 6));

// Make and unmake, white/black twins.
void Make_move_white(T_Undo& undo, T_Bitboard& b, u8 index, const T_List& list);
void Make_move_black(T_Undo& undo, T_Bitboard& b, u8 index, const T_List& list);
void Unmake_move_white(T_Bitboard& b, const T_Undo& undo, u8 index, const T_List& list);
void Unmake_move_black(T_Bitboard& b, const T_Undo& undo, u8 index, const T_List& list);
void Copy_bitboard(T_Bitboard& destination, const T_Bitboard& source);

// Zobrist keys.
extern u64 zobrist_piece[2][7][64];  // [colour][kind][square], colour 1 white
inline constexpr u64 zobrist_white_to_move = 0x7C0228DD624EC390ULL;
inline constexpr u64 zobrist_castling_K = 0xB3598055CE64A656ULL;
inline constexpr u64 zobrist_castling_Q = 0x12A8F886AF9418C2ULL;
inline constexpr u64 zobrist_castling_k = 0x1877B67E57A764D5ULL;
inline constexpr u64 zobrist_castling_q = 0xD4490AD346F14431ULL;
inline constexpr u64 zobrist_taking_passage = 0x6BE8C34538F83F11ULL;

inline u64 Zobrist_taking_passage_term(u8 x, u8 y) { return zobrist_taking_passage ^ u64(u8(y ^ x)); }

void Init_zobrist();
u32 Zobrist_random();  // the 15-bit source, exposed for tests
void Hash_key_from_scratch(T_Bitboard& b);
void Hash_key_update(const T_List& list, u8 index, u8 colour, T_Bitboard& b, const T_Undo& undo);

// Self-test.
i32 test_eval(const T_Bitboard& b);
void Compare_bitboard(const T_Bitboard& test, const T_Bitboard& b);
