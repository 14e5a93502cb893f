// Constant square sets: the one-bit masks, king, knight and pawn reaches, and the
// eight rays of the sliding pieces. All computed at compile time.
#pragma once
#include <array>
#include <cstdint>

using u64 = std::uint64_t;

namespace tables_detail {

using Table = std::array<u64, 64>;

constexpr bool On_board(int f, int r) { return f >= 0 && f < 8 && r >= 0 && r < 8; }

constexpr Table Steps(const int (*d)[2], int count) {
  Table t{};
  for (int s = 0; s < 64; ++s) {
    const int f = s % 8, r = s / 8;
    for (int i = 0; i < count; ++i)
      if (On_board(f + d[i][0], r + d[i][1])) t[s] |= u64{1} << ((r + d[i][1]) * 8 + f + d[i][0]);
  }
  return t;
}

constexpr Table Ray(int df, int dr) {
  Table t{};
  for (int s = 0; s < 64; ++s)
    for (int f = s % 8 + df, r = s / 8 + dr; On_board(f, r); f += df, r += dr) t[s] |= u64{1} << (r * 8 + f);
  return t;
}

constexpr Table Pawn(int dr) {
  Table t{};
  for (int s = 8; s < 56; ++s) {
    const int f = s % 8, r = s / 8 + dr;
    if (f > 0) t[s] |= u64{1} << (r * 8 + f - 1);
    if (f < 7) t[s] |= u64{1} << (r * 8 + f + 1);
  }
  return t;
}

constexpr int king_steps[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
constexpr int knight_steps[8][2] = {{1, 2}, {-1, 2}, {1, -2}, {-1, -2}, {2, 1}, {-2, 1}, {2, -1}, {-2, -1}};

constexpr Table Single() {
  Table t{};
  for (int s = 0; s < 64; ++s) t[s] = u64{1} << s;
  return t;
}

}  // namespace tables_detail

inline constexpr tables_detail::Table square_bit = tables_detail::Single();
inline constexpr tables_detail::Table king_attack = tables_detail::Steps(tables_detail::king_steps, 8);
inline constexpr tables_detail::Table knight_attack = tables_detail::Steps(tables_detail::knight_steps, 8);
inline constexpr tables_detail::Table ray_up = tables_detail::Ray(0, 1);
inline constexpr tables_detail::Table ray_down = tables_detail::Ray(0, -1);
inline constexpr tables_detail::Table ray_left = tables_detail::Ray(-1, 0);
inline constexpr tables_detail::Table ray_right = tables_detail::Ray(1, 0);
inline constexpr tables_detail::Table ray_up_right = tables_detail::Ray(1, 1);
inline constexpr tables_detail::Table ray_up_left = tables_detail::Ray(-1, 1);
inline constexpr tables_detail::Table ray_down_right = tables_detail::Ray(1, -1);
inline constexpr tables_detail::Table ray_down_left = tables_detail::Ray(-1, -1);
inline constexpr tables_detail::Table pawn_attack_white = tables_detail::Pawn(1);
inline constexpr tables_detail::Table pawn_attack_black = tables_detail::Pawn(-1);

static_assert(square_bit[0] == 0x1);
static_assert(king_attack[0] == 0x302 && king_attack[9] == 0x70507);
static_assert(knight_attack[0] == 0x20400 && knight_attack[9] == 0x5080008);
static_assert(ray_up[0] == 0x0101010101010100ULL && ray_down[63] == 0x0080808080808080ULL);
static_assert(ray_left[7] == 0x7F && ray_right[0] == 0xFE);
static_assert(ray_up_right[0] == 0x8040201008040200ULL && ray_up_left[7] == 0x0102040810204000ULL);
static_assert(ray_down_right[56] == 0x0002040810204080ULL && ray_down_left[63] == 0x0040201008040201ULL);
static_assert(pawn_attack_white[8] == 0x20000 && pawn_attack_white[12] == 0x280000);
static_assert(pawn_attack_black[8] == 0x2 && pawn_attack_black[52] == 0x280000000000ULL);
static_assert(pawn_attack_white[15] == 0x400000 && pawn_attack_white[7] == 0 && pawn_attack_black[56] == 0);
