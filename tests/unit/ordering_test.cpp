// Move ordering (captures by key, killers and the hash move brought forward), the
// killer slots, the principal variation records and the repetition test over the
// search path and the game history.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "search/search.h"

namespace {

// Distinct non-zero move words; the sort key of each is its own value times ten,
// so keys can be checked to travel with their moves.
constexpr i32 a = 101, b = 102, c = 103, d = 104, e = 105, f = 106, g = 107;
constexpr i32 absent = 999;

T_List Make_list(const std::vector<i32>& moves, int captures, const std::vector<i32>& keys = {}) {
  T_List list{};
  for (std::size_t i = 0; i < moves.size(); ++i) {
    list.move[i] = moves[i];
    list.sort[i] = keys.empty() ? moves[i] * 10 : keys[i];
  }
  list.end_captures = static_cast<u8>(captures);
  list.end_list = static_cast<u8>(moves.size());
  return list;
}

std::vector<i32> Moves(const T_List& list, int count) { return std::vector<i32>(list.move, list.move + count); }

std::string Names(const std::vector<i32>& moves) {
  std::string text;
  for (const i32 m : moves) text += (m >= a && m <= g) ? static_cast<char>('a' + (m - a)) : '?';
  return text;
}

TEST(Ordering, SortCapturesExactExchangeOrder) {
  const struct {
    std::vector<i32> keys;
    std::vector<i32> order;
  } cases[] = {
      {{5, 9, 9, 49}, {d, c, b, a}},  // the two 9s end in reverse generation order
      {{1, 1, 3}, {c, b, a}},         // exchanging a with c carries a past b
      {{7, 3, -2}, {a, b, c}},        // already descending: nothing moves
      {{4, 4, 4}, {a, b, c}},         // equal keys alone are never exchanged
  };
  for (const auto& k : cases) {
    const int n = static_cast<int>(k.keys.size());
    std::vector<i32> moves = {a, b, c, d};
    moves.resize(n);
    std::vector<i32> keys = k.keys;
    moves.push_back(g);  // one quiet move with the highest key: it must stay last
    keys.push_back(1000);
    T_List list = Make_list(moves, n, keys);
    Sort_captures(list);
    EXPECT_EQ(Names(Moves(list, n)), Names(k.order));
    for (int i = 0; i < n; ++i) EXPECT_EQ(list.sort[i], k.keys[k.order[i] - a]) << "key of entry " << i;
    EXPECT_EQ(list.move[n], g);
    EXPECT_EQ(list.sort[n], 1000);
  }
}

TEST(Ordering, KillersToFront) {
  const struct {
    const char* what;
    std::vector<i32> list;
    u8 p;
    i32 first, second;
    std::vector<i32> order;
  } cases[] = {
      {"no captures", {a, b, c, d, e}, 0, d, e, {d, e, a, b, c}},
      {"after the best capture", {a, b, c, d, e, f}, 1, e, d, {a, e, d, b, c, f}},
      {"first already in place", {a, b, c, d}, 0, a, c, {a, c, b, d}},
      {"both already in place", {a, b, c, d}, 1, b, c, {a, b, c, d}},
      {"first absent, second still at p + 1", {a, b, c, d}, 0, absent, d, {a, d, b, c}},
      {"first absent, second at p + 1 after the best capture", {a, b, c, d}, 1, absent, d, {a, b, d, c}},
      {"second absent", {a, b, c, d}, 0, c, absent, {c, a, b, d}},
      {"empty killer slots", {a, b, c}, 0, 0, 0, {a, b, c}},
      {"second at p is not looked at", {a, b, c}, 0, absent, a, {a, b, c}},
      {"second before p is not looked at", {a, b, c, d}, 1, absent, a, {a, b, c, d}},
  };
  constexpr u8 ply = 7;
  for (const auto& k : cases) {
    killer_first[ply] = k.first;
    killer_second[ply] = k.second;
    killer_first[ply - 1] = killer_second[ply - 1] = b;  // another ply's killers play no part
    killer_first[ply + 1] = killer_second[ply + 1] = c;
    T_List list = Make_list(k.list, 0);
    Killers_to_front(list, k.p, ply);
    EXPECT_EQ(Names(Moves(list, list.end_list)), Names(k.order)) << k.what;
    for (int i = 0; i < list.end_list; ++i) EXPECT_EQ(list.sort[i], list.move[i] * 10) << k.what << " at " << i;
  }
}

TEST(Ordering, KillersBeyondTheListStay) {
  constexpr u8 ply = 3;
  killer_first[ply] = d;
  killer_second[ply] = e;
  T_List list = Make_list({a, b, c, d, e}, 0);
  list.end_list = 3;  // d and e are left over from an earlier use of the list
  Killers_to_front(list, 0, ply);
  EXPECT_EQ(Names(Moves(list, 5)), "abcde");
}

TEST(Ordering, HashMoveToFront) {
  const struct {
    i32 move;
    std::vector<i32> order;
  } cases[] = {
      {a, {a, b, c, d, e}},
      {absent, {a, b, c, d, e}},
      {d, {d, a, b, c, e}},
      {e, {e, a, b, c, d}},
  };
  for (const auto& k : cases) {
    T_List list = Make_list({a, b, c, d, e}, 2);
    T_Hash_entry entry{};
    entry.move_key = 1;
    entry.move = k.move;
    Hash_move_to_front(list, entry);
    EXPECT_EQ(Names(Moves(list, 5)), Names(k.order)) << "hash move " << k.move;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list.sort[i], list.move[i] * 10);
  }
}

TEST(Ordering, KillerUpdate) {
  const struct {
    i32 first, second, move, first_after, second_after;
  } cases[] = {
      {0, 0, a, a, 0},
      {a, 0, a, a, 0},
      {a, b, a, a, b},
      {a, b, c, c, a},
      {a, b, b, b, a},  // the second killer becomes first, the first moves down
  };
  constexpr u8 ply = 100;
  for (const auto& k : cases) {
    killer_first[ply] = k.first;
    killer_second[ply] = k.second;
    killer_first[ply - 1] = killer_second[ply - 1] = g;
    Killer_update(ply, k.move);
    EXPECT_EQ(killer_first[ply], k.first_after);
    EXPECT_EQ(killer_second[ply], k.second_after);
    EXPECT_EQ(killer_first[ply - 1], g);
    EXPECT_EQ(killer_second[ply - 1], g);
  }
}

TEST(PrincipalVariation, FromLineSaveAndRestore) {
  for (int i = 0; i <= max_ply; ++i) line_moves[i] = 1000 + i;
  Pv_from_line(3, -77);
  EXPECT_EQ(pv.length, 3);
  EXPECT_EQ(pv.score, -77);
  EXPECT_EQ(std::vector<i32>(pv.moves, pv.moves + 3), (std::vector<i32>{1000, 1001, 1002}));

  T_Pv own{};
  Pv_save(own);
  EXPECT_EQ(own.length, 3);
  EXPECT_EQ(own.score, -77);
  EXPECT_EQ(std::vector<i32>(own.moves, own.moves + 3), (std::vector<i32>{1000, 1001, 1002}));

  // A deeper line replaces pv; restoring brings back the saved one, length and score.
  Pv_from_line(max_ply, 5);
  EXPECT_EQ(pv.length, max_ply);
  EXPECT_EQ(pv.moves[max_ply - 1], 1000 + max_ply - 1);
  Pv_restore(own);
  EXPECT_EQ(pv.length, 3);
  EXPECT_EQ(pv.score, -77);
  EXPECT_EQ(std::vector<i32>(pv.moves, pv.moves + 3), (std::vector<i32>{1000, 1001, 1002}));

  Pv_from_line(0, 12);  // a path that ends at the root itself
  EXPECT_EQ(pv.length, 0);
  EXPECT_EQ(pv.score, 12);
}

// The key at ply is copied from one slot of the search path or the game history; every
// other slot holds a key of its own.
TEST(Repetition, ComparesEvenDistancesOfAtLeastFour) {
  enum Source { path, game };
  const struct {
    u16 game_ply;
    u8 ply;
    Source source;
    int index;
    bool repeats;
  } cases[] = {
      {5, 4, path, 0, true},    // ply 4: only the root
      {5, 4, path, 2, false},   // two plies back is not compared
      {5, 4, path, 1, false},   // the other side to move
      {5, 4, game, 4, false},   // from ply 4 on the game is not looked at
      {5, 4, game, 1, false},
      {5, 6, path, 2, true},    // ply 6: plies 2 and 0
      {5, 6, path, 0, true},
      {5, 6, path, 4, false},
      {5, 6, path, 3, false},
      {5, 7, path, 1, true},
      {5, 7, path, 3, true},
      {5, 7, path, 0, false},
      {5, 3, game, 4, true},    // ply 3: game_ply - 1, game_ply - 3, ...
      {5, 3, game, 2, true},
      {5, 3, game, 0, true},
      {5, 3, game, 3, false},
      {5, 3, game, 5, false},   // the root position itself is an odd distance away
      {5, 3, path, 0, false},   // plies 1 to 3 do not look at the path
      {5, 2, game, 3, true},
      {5, 2, game, 1, true},
      {5, 2, game, 4, false},
      {5, 1, game, 2, true},    // ply 1: game_ply - 3, game_ply - 5
      {5, 1, game, 0, true},
      {5, 1, game, 4, false},
      {5, 1, game, 1, false},
      {1, 3, game, 0, true},    // the first index that lies inside the history
      {1, 2, game, 0, false},
      {0, 1, game, 0, false},   // no moves in the game: nothing before the root
      {0, 2, game, 0, false},
      {0, 3, game, 0, false},
  };
  for (const auto& k : cases) {
    for (int i = 0; i <= max_ply; ++i) search_keys[i] = 0x5EA4C400000000ULL + i;
    for (int i = 0; i < game_keys_size; ++i) game_keys[i] = 0x6A3E0000000000ULL + i;
    game_ply = k.game_ply;
    search_keys[k.ply] = k.source == path ? search_keys[k.index] : game_keys[k.index];
    EXPECT_EQ(Is_repetition(k.ply), k.repeats) << "game_ply " << k.game_ply << " ply " << int(k.ply)
                                               << (k.source == path ? " path " : " game ") << k.index;
  }
  game_ply = 0;
}

}  // namespace
