// King safety (shield or centralisation), pawn structure, rook file mobility and
// minor-piece placement. Each side's king and pawns switch to their endgame rules
// when the opponent's pieces other than pawns and king are worth 1800 or less.
#include <bit>

#include "eval/eval.h"

namespace {

using Board_table = signed char[64];

// Tables read rank 1 first, file a to h in each row.
constexpr Board_table pst_king_middle = {
    30,  30,  30,  -10, 0,   -10, 30,  30,   //
    -5,  -5,  -5,  -10, -10, -10, -5,  -5,   //
    -10, -10, -10, -10, -10, -10, -10, -10,  //
    -10, -10, -10, -10, -10, -10, -10, -10,  //
    -10, -10, -10, -10, -10, -10, -10, -10,  //
    -10, -10, -10, -10, -10, -10, -10, -10,  //
    -5,  -5,  -5,  -10, -10, -10, -5,  -5,   //
    30,  30,  30,  -10, 0,   -10, 30,  30,
};
constexpr Board_table pst_king_end = {
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 5, 5,  5,  5,  5,  5, 0,  //
    0, 5, 10, 10, 10, 10, 5, 0,  //
    0, 5, 10, 15, 15, 10, 5, 0,  //
    0, 5, 10, 15, 15, 10, 5, 0,  //
    0, 5, 10, 10, 10, 10, 5, 0,  //
    0, 5, 5,  5,  5,  5,  5, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,
};
constexpr Board_table pst_knight = {
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 5, 5,  5,  5,  5,  5, 0,  //
    0, 5, 10, 0,  0,  10, 5, 0,  //
    0, 5, 10, 15, 15, 10, 5, 0,  //
    0, 5, 10, 15, 15, 10, 5, 0,  //
    0, 5, 10, 0,  0,  10, 5, 0,  //
    0, 5, 5,  5,  5,  5,  5, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,
};
constexpr Board_table pst_bishop = {
    0,  0,  0,  0,  0,  0,  0,  0,   //
    10, 15, 10, 10, 10, 10, 15, 10,  //
    0,  10, 15, 0,  0,  15, 10, 0,   //
    0,  20, 20, 15, 15, 20, 20, 0,   //
    0,  20, 20, 15, 15, 20, 20, 0,   //
    0,  10, 15, 0,  0,  15, 10, 0,   //
    10, 15, 10, 10, 10, 10, 15, 10,  //
    0,  0,  0,  0,  0,  0,  0,  0,
};
constexpr Board_table pst_pawn_middle = {
    0,  0,  0,  0,  0,  0,  0,  0,   //
    0,  0,  0,  0,  0,  0,  0,  0,   //
    0,  0,  0,  21, 21, 0,  0,  0,   //
    0,  0,  0,  25, 25, 0,  0,  0,   //
    0,  0,  5,  25, 25, 5,  0,  0,   //
    0,  0,  5,  30, 30, 5,  0,  0,   //
    30, 30, 30, 35, 35, 30, 30, 30,  //
    0,  0,  0,  0,  0,  0,  0,  0,
};
// The pawn endgame table and the passed bonus have one value per rank.
constexpr signed char pst_pawn_end_rank[8] = {0, 0, 10, 20, 30, 40, 50, 0};
constexpr short passed_pawn_bonus_rank[8] = {0, 0, 20, 30, 50, 70, 150, 0};

constexpr int middlegame_threshold = 1800;
constexpr int shield_gap = 20;
constexpr int free_file_bonus = 20;
constexpr int free_side_bonus = 10;
constexpr int doubled_pawn_penalty = 20;

constexpr u64 file_a = 0x0101010101010101ULL;

// The phase sum: knights and bishops 400, rooks 600, queens 1200.
inline int Phase(const u64* piece) {
  return 400 * std::popcount(piece[kind_knight] | piece[kind_bishop]) + 600 * std::popcount(piece[kind_rook]) +
         1200 * std::popcount(piece[kind_queen]);
}

// A shield square off the board counts as a gap.
inline int Shield_gap(const u8* own_name, int s) { return (s < 0 || s > 63 || own_name[s] == 0) ? shield_gap : 0; }

inline int Eval_king(const T_Bitboard& b, int w, int bl) {
  int score = 0;
  if (const u64 king = b.white_piece[kind_king]) {
    const int k = std::countr_zero(king);
    if (bl > middlegame_threshold) {
      const int shield = Shield_gap(b.white_name_from_coord, k + 7) + Shield_gap(b.white_name_from_coord, k + 8) +
                         Shield_gap(b.white_name_from_coord, k + 9);
      score += pst_king_middle[k] - shield;
    } else {
      score += pst_king_end[k];
    }
  }
  if (const u64 king = b.black_piece[kind_king]) {
    const int k = std::countr_zero(king);
    if (w > middlegame_threshold) {
      const int shield = Shield_gap(b.black_name_from_coord, k - 7) + Shield_gap(b.black_name_from_coord, k - 8) +
                         Shield_gap(b.black_name_from_coord, k - 9);
      score += shield - pst_king_middle[k];
    } else {
      score -= pst_king_end[k];
    }
  }
  return score;
}

constexpr u64 file_h = file_a << 7;

// Every square below (above) a square of the set, on its file.
constexpr u64 Fill_down(u64 set) {
  set |= set >> 8;
  set |= set >> 16;
  return set | set >> 32;
}
constexpr u64 Fill_up(u64 set) {
  set |= set << 8;
  set |= set << 16;
  return set | set << 32;
}

// The lowest pawn of every file that holds two or more: one per doubled file.
inline int Doubled_files(u64 pawns) { return std::popcount(pawns & Fill_up(pawns << 8) & ~Fill_down(pawns >> 8)); }

// Free-file terms of one side's pawns, given the squares that have an enemy pawn
// ahead on their own file: 20 for a pawn with no enemy pawn ahead, 10 for each
// neighbouring file without one (from the next rank on), and the passed set: the
// pawns whose two sides are free, an edge counting as a free side.
struct Free_files {
  int score;
  u64 passed;
};
inline Free_files Free_file_terms(u64 pawns, u64 enemy_ahead) {
  const u64 free = pawns & ~enemy_ahead;
  const u64 right = free & ~file_h & ~(enemy_ahead >> 1);
  const u64 left = free & ~file_a & ~(enemy_ahead << 1);
  return {free_file_bonus * std::popcount(free) + free_side_bonus * (std::popcount(right) + std::popcount(left)),
          (right & left) | (right & file_a) | (left & file_h)};
}

inline int Eval_pawns(const T_Bitboard& b, int w, int bl) {
  int score = 0;
  const u64 white_pawns = b.white_piece[kind_pawn], black_pawns = b.black_piece[kind_pawn];
  const bool white_middle = bl > middlegame_threshold, black_middle = w > middlegame_threshold;
  if (white_middle) {
    for (u64 p = white_pawns; p; p &= p - 1) score += pst_pawn_middle[std::countr_zero(p)];
  } else {
    for (u64 p = white_pawns; p; p &= p - 1) score += pst_pawn_end_rank[std::countr_zero(p) / 8];
  }
  if (black_middle) {
    for (u64 p = black_pawns; p; p &= p - 1) score -= pst_pawn_middle[63 - std::countr_zero(p)];
  } else {
    for (u64 p = black_pawns; p; p &= p - 1) score -= pst_pawn_end_rank[7 - std::countr_zero(p) / 8];
  }

  const Free_files white = Free_file_terms(white_pawns, Fill_down(black_pawns >> 8));
  score += white.score;
  if (!white_middle)
    for (u64 p = white.passed; p; p &= p - 1) score += passed_pawn_bonus_rank[std::countr_zero(p) / 8];
  const Free_files black = Free_file_terms(black_pawns, Fill_up(white_pawns << 8));
  score -= black.score;
  if (!black_middle)
    for (u64 p = black.passed; p; p &= p - 1) score -= passed_pawn_bonus_rank[7 - std::countr_zero(p) / 8];

  score -= doubled_pawn_penalty * Doubled_files(white_pawns);
  score += doubled_pawn_penalty * Doubled_files(black_pawns);
  return score;
}

inline int Eval_pieces(const T_Bitboard& b) {
  int score = 0;
  for (u64 p = b.white_piece[kind_rook]; p; p &= p - 1)
    score += Rook_file_mobility(std::countr_zero(p), b.all_piece, b.all_white_piece);
  for (u64 p = b.white_piece[kind_bishop]; p; p &= p - 1) score += pst_bishop[std::countr_zero(p)];
  for (u64 p = b.white_piece[kind_knight]; p; p &= p - 1) score += pst_knight[std::countr_zero(p)];
  for (u64 p = b.black_piece[kind_rook]; p; p &= p - 1)
    score -= Rook_file_mobility(std::countr_zero(p), b.all_piece, b.all_black_piece);
  for (u64 p = b.black_piece[kind_bishop]; p; p &= p - 1) score -= pst_bishop[std::countr_zero(p)];
  for (u64 p = b.black_piece[kind_knight]; p; p &= p - 1) score -= pst_knight[std::countr_zero(p)];
  return score;
}

}  // namespace

// Empty squares of the file in both directions plus the first enemy piece each way;
// an own piece ends the count without being counted.
int Rook_file_mobility(int s, u64 occupied, u64 own) {
  u64 up = ray_up[s];
  if (const u64 blockers = up & occupied) up ^= ray_up[std::countr_zero(blockers)];
  u64 down = ray_down[s];
  if (const u64 blockers = down & occupied) down ^= ray_down[63 - std::countl_zero(blockers)];
  return std::popcount((up | down) & ~own);
}

i32 Evaluate(const T_Bitboard& b) {
  const int w = Phase(b.white_piece), bl = Phase(b.black_piece);
  return Eval_king(b, w, bl) + Eval_pawns(b, w, bl) + Eval_pieces(b);
}
