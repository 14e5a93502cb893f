// King safety (shield or centralisation), pawn structure, rook file mobility and
// minor-piece placement. Each side's king and pawns switch to their endgame rules
// when the opponent's pieces other than pawns and king are worth 1800 or less.
#include <array>
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

// A table of small non-negative values split into bit planes: the sum of the table
// over a set of squares is then a handful of popcounts instead of a walk.
struct Planes {
  u64 plane[8];
};
constexpr Planes Split(const signed char* table) {
  Planes planes{};
  for (int s = 0; s < 64; ++s)
    for (int bit = 0; bit < 8; ++bit)
      if (table[s] & (1 << bit)) planes.plane[bit] |= u64{1} << s;
  return planes;
}
inline int Table_sum(const Planes& planes, u64 set) {
  int sum = 0;
  for (int bit = 0; bit < 7; ++bit) sum += std::popcount(set & planes.plane[bit]) << bit;
  return sum;
}
using Square_values = std::array<signed char, 64>;
constexpr Square_values Rank_table(const signed char* by_rank) {
  Square_values t{};
  for (int s = 0; s < 64; ++s) t[s] = by_rank[s / 8];
  return t;
}
constexpr Square_values Turned(const signed char* table) {
  Square_values t{};
  for (int s = 0; s < 64; ++s) t[s] = table[63 - s];
  return t;
}

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

// The three squares in front of a king (k + 7, k + 8, k + 9 for white, k - 7, k - 8,
// k - 9 for black) that lie on the board; a square off the board is always a gap.
constexpr auto Shield_masks(int direction) {
  std::array<u64, 64> t{};
  for (int k = 0; k < 64; ++k)
    for (int d = 7; d <= 9; ++d) {
      const int s = k + direction * d;
      if (s >= 0 && s < 64) t[k] |= u64{1} << s;
    }
  return t;
}
constexpr auto white_shield = Shield_masks(1);
constexpr auto black_shield = Shield_masks(-1);

// 20 for each shield square without an own piece of any kind.
inline int Shield_gaps(u64 shield, const u64* own_piece, u64 own_all) {
  const u64 named = own_all & ~own_piece[kind_none];  // squares whose name is not 0
  return shield_gap * (3 - std::popcount(shield & named));
}

// White's pawn tables, and black's read at 63 - s, as bit planes.
constexpr Square_values pst_pawn_end = Rank_table(pst_pawn_end_rank);
constexpr Planes white_pawn_middle = Split(pst_pawn_middle);
constexpr Planes white_pawn_end = Split(pst_pawn_end.data());
constexpr Planes black_pawn_middle = Split(Turned(pst_pawn_middle).data());
constexpr Planes black_pawn_end = Split(Turned(pst_pawn_end.data()).data());

inline int Eval_king(const T_Bitboard& b, int w, int bl) {
  int score = 0;
  if (const u64 king = b.white_piece[kind_king]) {
    const int k = std::countr_zero(king);
    if (bl > middlegame_threshold) {
      const int shield = Shield_gaps(white_shield[k], b.white_piece, b.all_white_piece);
      score += pst_king_middle[k] - shield;
    } else {
      score += pst_king_end[k];
    }
  }
  if (const u64 king = b.black_piece[kind_king]) {
    const int k = std::countr_zero(king);
    if (w > middlegame_threshold) {
      const int shield = Shield_gaps(black_shield[k], b.black_piece, b.all_black_piece);
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

// The pawn terms depend only on the two pawn sets and the two phases.
int Pawn_structure(u64 white_pawns, u64 black_pawns, bool white_middle, bool black_middle) {
  int score = 0;
  score += Table_sum(white_middle ? white_pawn_middle : white_pawn_end, white_pawns);
  score -= Table_sum(black_middle ? black_pawn_middle : black_pawn_end, black_pawns);

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

// The pawn structure changes far less often than the pieces, so its score is kept in
// a small direct-mapped cache. Entries hold the full pawn sets and phases they were
// computed for: a hit is always the exact value.
struct T_Pawn_entry {
  u64 white_pawns;
  u64 black_pawns;
  i32 score;
  u8 phases;  // bit 0 white middlegame, bit 1 black middlegame, bit 2 filled
};
constexpr int pawn_cache_bits = 12;
T_Pawn_entry pawn_cache[1 << pawn_cache_bits];

inline int Eval_pawns(const T_Bitboard& b, int w, int bl) {
  const u64 white_pawns = b.white_piece[kind_pawn], black_pawns = b.black_piece[kind_pawn];
  const bool white_middle = bl > middlegame_threshold, black_middle = w > middlegame_threshold;
  const u8 phases = static_cast<u8>(4 | (white_middle ? 1 : 0) | (black_middle ? 2 : 0));
  const u64 mix = (white_pawns ^ (black_pawns * 0x9E3779B97F4A7C15ULL)) * 0xFF51AFD7ED558CCDULL;
  T_Pawn_entry& entry = pawn_cache[mix >> (64 - pawn_cache_bits)];
  if (entry.phases != phases || entry.white_pawns != white_pawns || entry.black_pawns != black_pawns) {
    entry.white_pawns = white_pawns;
    entry.black_pawns = black_pawns;
    entry.phases = phases;
    entry.score = Pawn_structure(white_pawns, black_pawns, white_middle, black_middle);
  }
  return entry.score;
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
