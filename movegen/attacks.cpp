// Is a king (or a castling square) attacked? Rays first, then knights, the king and
// pawns, returning the kind of the first attacker found.
#include <bit>

#include "movegen/movegen.h"
#include "movegen/ray.h"

namespace {

using Table = tables_detail::Table;

// The kind on the nearest occupied square of a ray when it is one of the two given
// enemy kinds, else 0.
template <Scan scan>
inline u8 Ray_attacker(const Table& ray, int s, u64 occupied, const u8* enemy_name, int kind_a, int kind_b) {
  const u64 blockers = ray[s] & occupied;
  if (!blockers) return 0;
  const u8 kind = enemy_name[Nearest<scan>(blockers)];
  return (kind == kind_a || kind == kind_b) ? kind : 0;
}

inline bool Holds(u64 squares, const u8* enemy_name, int kind) {
  for (; squares; squares &= squares - 1)
    if (enemy_name[std::countr_zero(squares)] == kind) return true;
  return false;
}

// A ray can only hold an attacker when some enemy slider of its kind lies on one of
// the king's lines at all: the common case skips the ray walks.
constexpr auto Lines(const Table& a, const Table& b, const Table& c, const Table& d) {
  Table t{};
  for (int s = 0; s < 64; ++s) t[s] = a[s] | b[s] | c[s] | d[s];
  return t;
}
constexpr Table rook_lines = Lines(ray_up, ray_down, ray_left, ray_right);
constexpr Table bishop_lines = Lines(ray_up_right, ray_up_left, ray_down_left, ray_down_right);

}  // namespace

u8 King_white_check(const T_Bitboard& b) {
  const u64 king = b.white_piece[kind_king];
  if (!king) return 0;
  const int k = std::countr_zero(king);
  const u64 occupied = b.all_piece;
  const u8* enemy = b.black_name_from_coord;
  if (rook_lines[k] & (b.black_piece[kind_rook] | b.black_piece[kind_queen])) {
    if (u8 a = Ray_attacker<Scan::low>(ray_up, k, occupied, enemy, kind_rook, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::high>(ray_left, k, occupied, enemy, kind_rook, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::high>(ray_down, k, occupied, enemy, kind_rook, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::low>(ray_right, k, occupied, enemy, kind_rook, kind_queen)) return a;
  }
  if (bishop_lines[k] & (b.black_piece[kind_bishop] | b.black_piece[kind_queen])) {
    if (u8 a = Ray_attacker<Scan::low>(ray_up_right, k, occupied, enemy, kind_bishop, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::low>(ray_up_left, k, occupied, enemy, kind_bishop, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::high>(ray_down_left, k, occupied, enemy, kind_bishop, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::high>(ray_down_right, k, occupied, enemy, kind_bishop, kind_queen)) return a;
  }
  if (knight_attack[k] & b.black_piece[kind_knight]) return kind_knight;
  if (king_attack[k] & b.black_piece[kind_king]) return kind_king;
  if (k < 56 && ((k % 8 != 0 && enemy[k + 7] == kind_pawn) || (k % 8 != 7 && enemy[k + 9] == kind_pawn)))
    return kind_pawn;
  return 0;
}

u8 King_black_check(const T_Bitboard& b) {
  const u64 king = b.black_piece[kind_king];
  if (!king) return 0;
  const int k = std::countr_zero(king);
  const u64 occupied = b.all_piece;
  const u8* enemy = b.white_name_from_coord;
  if (rook_lines[k] & (b.white_piece[kind_rook] | b.white_piece[kind_queen])) {
    if (u8 a = Ray_attacker<Scan::low>(ray_up, k, occupied, enemy, kind_rook, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::high>(ray_left, k, occupied, enemy, kind_rook, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::high>(ray_down, k, occupied, enemy, kind_rook, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::low>(ray_right, k, occupied, enemy, kind_rook, kind_queen)) return a;
  }
  if (bishop_lines[k] & (b.white_piece[kind_bishop] | b.white_piece[kind_queen])) {
    if (u8 a = Ray_attacker<Scan::low>(ray_up_right, k, occupied, enemy, kind_bishop, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::low>(ray_up_left, k, occupied, enemy, kind_bishop, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::high>(ray_down_left, k, occupied, enemy, kind_bishop, kind_queen)) return a;
    if (u8 a = Ray_attacker<Scan::high>(ray_down_right, k, occupied, enemy, kind_bishop, kind_queen)) return a;
  }
  if (knight_attack[k] & b.white_piece[kind_knight]) return kind_knight;
  if (king_attack[k] & b.white_piece[kind_king]) return kind_king;
  if (k >= 14 && ((k % 8 != 7 && enemy[k - 7] == kind_pawn) || (k % 8 != 0 && enemy[k - 9] == kind_pawn)))
    return kind_pawn;
  return 0;
}

// Castling squares lie on the first (eighth) rank, so only the directions that reach
// such a square from the board are looked at; the pawn squares need no file test for
// files c to g.
u8 White_castling_square_attacked(const T_Bitboard& b, int q) {
  const u64 occupied = b.all_piece;
  const u8* enemy = b.black_name_from_coord;
  if (u8 a = Ray_attacker<Scan::low>(ray_up, q, occupied, enemy, kind_rook, kind_queen)) return a;
  if (u8 a = Ray_attacker<Scan::high>(ray_left, q, occupied, enemy, kind_rook, kind_queen)) return a;
  if (u8 a = Ray_attacker<Scan::low>(ray_right, q, occupied, enemy, kind_rook, kind_queen)) return a;
  if (u8 a = Ray_attacker<Scan::low>(ray_up_right, q, occupied, enemy, kind_bishop, kind_queen)) return a;
  if (u8 a = Ray_attacker<Scan::low>(ray_up_left, q, occupied, enemy, kind_bishop, kind_queen)) return a;
  if (Holds(knight_attack[q] & b.all_black_piece, enemy, kind_knight)) return kind_knight;
  if (Holds(king_attack[q] & b.all_black_piece, enemy, kind_king)) return kind_king;
  if (enemy[q + 7] == kind_pawn || enemy[q + 9] == kind_pawn) return kind_pawn;
  return 0;
}

u8 Black_castling_square_attacked(const T_Bitboard& b, int q) {
  const u64 occupied = b.all_piece;
  const u8* enemy = b.white_name_from_coord;
  if (u8 a = Ray_attacker<Scan::high>(ray_left, q, occupied, enemy, kind_rook, kind_queen)) return a;
  if (u8 a = Ray_attacker<Scan::high>(ray_down, q, occupied, enemy, kind_rook, kind_queen)) return a;
  if (u8 a = Ray_attacker<Scan::low>(ray_right, q, occupied, enemy, kind_rook, kind_queen)) return a;
  if (u8 a = Ray_attacker<Scan::high>(ray_down_left, q, occupied, enemy, kind_bishop, kind_queen)) return a;
  if (u8 a = Ray_attacker<Scan::high>(ray_down_right, q, occupied, enemy, kind_bishop, kind_queen)) return a;
  if (Holds(knight_attack[q] & b.all_white_piece, enemy, kind_knight)) return kind_knight;
  if (Holds(king_attack[q] & b.all_white_piece, enemy, kind_king)) return kind_king;
  if (enemy[q - 7] == kind_pawn || enemy[q - 9] == kind_pawn) return kind_pawn;
  return 0;
}
