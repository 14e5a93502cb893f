// The record self-test: material recounted from scratch, and a field-by-field
// comparison of the live record with a copy taken before the root move loop.
#include <bit>

#include "driver/output.h"
#include "position/position.h"

i32 test_eval(const T_Bitboard& b) {
  i32 total = 0;
  if (b.white_piece[kind_king]) total += 90000;
  for (int kind = kind_pawn; kind <= kind_queen; ++kind) total += material_value[kind] * std::popcount(b.white_piece[kind]);
  if (b.black_piece[kind_king]) total -= 90000;
  for (int kind = kind_pawn; kind <= kind_queen; ++kind) total -= material_value[kind] * std::popcount(b.black_piece[kind]);
  return total;
}

namespace {
void Line(const char* text) {
  Write_text(text);
  Write_bytes("\n", 1);
}
void Indexed_line(const char* text, int index) {
  Write_text(text);
  Write_signed(index);
  Write_bytes("\n", 1);
}
}  // namespace

void Compare_bitboard(const T_Bitboard& test, const T_Bitboard& b) {
  if (test.all_piece != b.all_piece) Line("white test_all_piece != bitboard->all_piece");
  if (test.all_white_piece != b.all_white_piece) Line("white test_all_white_piece != bitboard->all_white_piece");
  if (test.all_black_piece != b.all_black_piece) Line("white test_all_black_piece != bitboard->all_black_piece");
  if (test.colour_move != b.colour_move) Line("white test_colour_move != bitboard->colour_move");
  if (test.taking_passage_yes != b.taking_passage_yes)
    Line("white test_taking_passage_yes != bitboard->taking_passage_yes");
  if (test.taking_passage_x != b.taking_passage_x) Line("white test_taking_passage_x != bitboard->taking_passage_x");
  if (test.taking_passage_y != b.taking_passage_y) Line("white test_taking_passage_y != bitboard->taking_passage_y");
  if (test.castling_Q != b.castling_Q) Line("white test_castling_Q != bitboard->castling_Q");
  if (test.castling_K != b.castling_K) Line("white test_castling_K != bitboard->castling_K");
  if (test.castling_q != b.castling_q) Line("white test_castling_q != bitboard->castling_q");
  if (test.castling_k != b.castling_k) Line("white test_castling_k != bitboard->castling_k");
  if (test.hash_key != b.hash_key) Line("white test_hash_key !=  bitboard->hash_key");
  if (test.eval != b.eval) Line("white test_eval != bitboard->eval");
  for (int n = 0; n < 7; ++n) {
    if (test.white_piece[n] != b.white_piece[n])
      Indexed_line("white test_white_piece[n] = bitboard->white_piece[n]", n);
    if (test.black_piece[n] != b.black_piece[n])
      Indexed_line("white test_black_piece[n] = bitboard->black_piece[n]", n);
  }
  for (int k = 0; k < 64; ++k) {
    if (test.white_name_from_coord[k] != b.white_name_from_coord[k])
      Indexed_line("white test_white_name_from_coord[k] = bitboard->white_name_from_coord[k]", k);
    if (test.black_name_from_coord[k] != b.black_name_from_coord[k])
      Indexed_line("white test_black_name_from_coord[k] = bitboard->black_name_from_coord[k]", k);
  }
}
