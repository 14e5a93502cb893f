// The transposition table: its size for a request in megabytes, creation, resizing
// and clearing, the replacement rules of the move slot and the score slot, and the
// probes of both colours. The table globals are shared with the rest of the engine,
// so every test sets them itself.
#include <gtest/gtest.h>

#include <cstring>

#include "driver/output.h"
#include "search/search.h"

namespace {

u64 Key(u64 index, u32 check) { return (static_cast<u64>(check) << 32) | index; }

bool All_zero(const T_Hash_entry* table, u64 count) {
  static const T_Hash_entry zero{};
  for (u64 i = 0; i < count; ++i)
    if (std::memcmp(&table[i], &zero, sizeof zero) != 0) return false;
  return true;
}

class HashTable : public ::testing::Test {
 protected:
  void SetUp() override {
    Hash_table_create();
    Hash_table_clear();
    hash_age = 1;
  }
  void TearDown() override {
    Hash_table_release();
    hash_age = 0;
  }
};

TEST(HashTableSize, EntriesForMegabytes) {
  const struct {
    u16 megabytes;
    u64 entries;
  } cases[] = {
      {1, u64{1} << 15},    {2, u64{1} << 16},    {3, u64{1} << 17},    {4, u64{1} << 17},
      {64, u64{1} << 21},   {1024, u64{1} << 25}, {2000, u64{1} << 25},
      {0, u64{1} << 15},  // 0 is taken as 1
  };
  for (const auto& c : cases) EXPECT_EQ(Hash_entry_count(c.megabytes), c.entries) << c.megabytes << " MB";
}

TEST_F(HashTable, CreateAndResizeGiveZeroedTables) {
  ASSERT_NE(hash_table, nullptr);
  EXPECT_EQ(hash_mask, (u64{1} << 15) - 1);
  Hash_table_release();
  Hash_table_create();
  EXPECT_TRUE(All_zero(hash_table, hash_mask + 1));

  hash_table[0].score = 7;  // dirty the old table: the new one must not inherit it
  Hash_table_resize(3);
  EXPECT_EQ(hash_mask, (u64{1} << 17) - 1);
  EXPECT_TRUE(All_zero(hash_table, hash_mask + 1));

  Hash_table_resize(0);
  EXPECT_EQ(hash_mask, (u64{1} << 15) - 1);
}

TEST_F(HashTable, ClearEmptiesOnlyTheCheckWords) {
  const T_Hash_entry full{0x11111111u, 22, 3, 4, 0x55555555u, -66, 2, 8, 9};
  for (const u64 i : {u64{0}, u64{12345}, hash_mask}) hash_table[i] = full;
  Hash_table_clear();
  for (const u64 i : {u64{0}, u64{12345}, hash_mask}) {
    const T_Hash_entry& e = hash_table[i];
    EXPECT_EQ(e.move_key, 0u) << i;
    EXPECT_EQ(e.score_key, 0u) << i;
    EXPECT_EQ(e.move, 22);
    EXPECT_EQ(e.move_depth, 3);
    EXPECT_EQ(e.move_age, 4);
    EXPECT_EQ(e.score, -66);
    EXPECT_EQ(e.score_flag, 2);
    EXPECT_EQ(e.score_depth, 8);
    EXPECT_EQ(e.score_age, 9);
  }
}

using HashTableDeathTest = HashTable;

TEST_F(HashTableDeathTest, ResizeWithoutTableEndsTheProcess) {
  EXPECT_EXIT(
      {
        output_fd = 2;
        Hash_table_release();
        Hash_table_resize(4);
      },
      ::testing::ExitedWithCode(1), "\xee\xf1\xe2\xee\xe1\xee\xe6\xe4\xe0\xf2\xfc \xed\xe5\xf7\xe5\xe3\xee \n");
}

constexpr u32 this_position = 0xABCD0001u;
constexpr u32 other_position = 0x12340002u;
constexpr u64 slot = 77;

// The move slot: empty slots always take the move; within one search the deeper move
// stays; a move from any earlier search always yields, for any position.
TEST_F(HashTable, MoveSlotRules) {
  const struct {
    const char* what;
    u32 old_key;  // 0: empty slot (old depth and age are leftovers)
    u8 old_depth, old_age, age_now;
    u32 check;
    u8 depth;
    bool written;
  } cases[] = {
      {"empty slot, leftovers deeper and current", 0, 9, 5, 5, this_position, 1, true},
      {"same position, same search, shallower", this_position, 5, 5, 5, this_position, 4, false},
      {"same position, same search, equal", this_position, 5, 5, 5, this_position, 5, true},
      {"same position, same search, deeper", this_position, 5, 5, 5, this_position, 6, true},
      {"same position, previous search, shallower", this_position, 5, 4, 5, this_position, 1, true},
      {"other position, same search, shallower", other_position, 5, 5, 5, this_position, 4, false},
      {"other position, same search, equal", other_position, 5, 5, 5, this_position, 5, true},
      {"other position, older search, shallower", other_position, 9, 2, 5, this_position, 0, true},
      {"after the wrap, shallower than a 251 entry", this_position, 9, 251, 1, this_position, 2, true},
  };
  T_List list{};
  list.move[0] = 0x0101;
  list.move[3] = 0x0404;
  list.end_list = 4;
  for (const auto& c : cases) {
    T_Hash_entry& e = hash_table[slot];
    e = T_Hash_entry{c.old_key, 0x0999, c.old_depth, c.old_age, 0, 0, 0, 0, 0};
    hash_age = c.age_now;
    Hash_store_move(slot, c.check, list, 3, c.depth);
    if (c.written) {
      EXPECT_EQ(e.move_key, c.check) << c.what;
      EXPECT_EQ(e.move, 0x0404) << c.what;
      EXPECT_EQ(e.move_depth, c.depth) << c.what;
      EXPECT_EQ(e.move_age, c.age_now) << c.what;
    } else {
      EXPECT_EQ(e.move_key, c.old_key) << c.what;
      EXPECT_EQ(e.move, 0x0999) << c.what;
      EXPECT_EQ(e.move_depth, c.old_depth) << c.what;
      EXPECT_EQ(e.move_age, c.old_age) << c.what;
    }
    EXPECT_EQ(e.score_key, 0u) << c.what << ": the score slot is not touched";
  }
}

// The score slot: the same position keeps its deepest score whatever the age; another
// position's score survives the current and the next search when deeper, and yields
// to anything two or more searches later (ages compared without wrapping).
TEST_F(HashTable, ScoreSlotRules) {
  const struct {
    const char* what;
    u32 old_key;
    u8 old_depth, old_age, age_now;
    u32 check;
    u8 depth;
    bool written;
  } cases[] = {
      {"empty slot, leftovers deeper and current", 0, 9, 10, 10, this_position, 1, true},
      {"same position, shallower", this_position, 5, 10, 10, this_position, 4, false},
      {"same position, shallower, old search", this_position, 5, 3, 10, this_position, 4, false},
      {"same position, equal", this_position, 5, 10, 10, this_position, 5, true},
      {"same position, deeper", this_position, 5, 3, 10, this_position, 6, true},
      {"other position, current search, shallower", other_position, 5, 10, 10, this_position, 4, false},
      {"other position, current search, equal", other_position, 5, 10, 10, this_position, 5, true},
      {"other position, previous search, shallower", other_position, 5, 9, 10, this_position, 4, false},
      {"other position, previous search, equal", other_position, 5, 9, 10, this_position, 5, true},
      {"other position, two searches back", other_position, 5, 8, 10, this_position, 0, true},
      {"other position, age 249 at age 251", other_position, 5, 249, 251, this_position, 0, true},
      {"after the wrap, age 251 is recent", other_position, 5, 251, 1, this_position, 4, false},
      {"after the wrap, age 250 is recent", other_position, 5, 250, 1, this_position, 4, false},
  };
  for (const auto& c : cases) {
    T_Hash_entry& e = hash_table[slot];
    e = T_Hash_entry{0, 0, 0, 0, c.old_key, -321, bound_fail_low, c.old_depth, c.old_age};
    hash_age = c.age_now;
    Hash_store_score(slot, c.check, 654, bound_fail_high, c.depth);
    if (c.written) {
      EXPECT_EQ(e.score_key, c.check) << c.what;
      EXPECT_EQ(e.score, 654) << c.what;
      EXPECT_EQ(e.score_flag, bound_fail_high) << c.what;
      EXPECT_EQ(e.score_depth, c.depth) << c.what;
      EXPECT_EQ(e.score_age, c.age_now) << c.what;
    } else {
      EXPECT_EQ(e.score_key, c.old_key) << c.what;
      EXPECT_EQ(e.score, -321) << c.what;
      EXPECT_EQ(e.score_flag, bound_fail_low) << c.what;
      EXPECT_EQ(e.score_depth, c.old_depth) << c.what;
      EXPECT_EQ(e.score_age, c.old_age) << c.what;
    }
    EXPECT_EQ(e.move_key, 0u) << c.what << ": the move slot is not touched";
  }
}

// One store fills both slots of the key's entry with depth horizon - ply.
TEST_F(HashTable, StoreAddressesByLowHalfAndChecksUpperHalf) {
  hash_age = 7;
  T_List list{};
  list.move[2] = 0x4242;
  list.end_list = 3;
  const u64 key = Key((u64{1} << 20) | 300, this_position);  // bit 20 lies above the mask
  Hash_store(list, 2, key, -45, bound_exact, 3, 8);
  const T_Hash_entry& e = hash_table[300];
  EXPECT_EQ(e.move_key, this_position);
  EXPECT_EQ(e.move, 0x4242);
  EXPECT_EQ(e.move_depth, 5);
  EXPECT_EQ(e.move_age, 7);
  EXPECT_EQ(e.score_key, this_position);
  EXPECT_EQ(e.score, -45);
  EXPECT_EQ(e.score_flag, bound_exact);
  EXPECT_EQ(e.score_depth, 5);
  EXPECT_EQ(e.score_age, 7);
}

// A score is used only outside the window on the failing side, and only when it was
// searched at least as deep as now needed.
TEST_F(HashTable, Probes) {
  const i32 none = hash_no_entry;
  const struct {
    bool white;
    u8 flag;
    i32 score;
    u8 stored_depth, ply, horizon;
    i32 alpha, beta, result;
  } cases[] = {
      {true, bound_fail_high, 50, 4, 2, 6, 10, 40, 50},
      {true, bound_fail_high, 50, 4, 2, 6, 10, 60, none},
      {true, bound_fail_high, 50, 4, 2, 6, 10, 50, 50},
      {true, bound_exact, 5, 4, 2, 6, 10, 40, 5},
      {true, bound_exact, 5, 4, 2, 6, 5, 40, none},
      {true, bound_fail_low, 5, 4, 2, 6, 10, 40, 5},
      {true, bound_fail_low, 5, 4, 2, 6, 5, 40, none},
      {false, bound_fail_high, 5, 4, 2, 6, 10, 40, 5},
      {false, bound_fail_high, 5, 4, 2, 6, 5, 40, 5},
      {false, bound_fail_high, 5, 4, 2, 6, 4, 40, none},
      {false, bound_exact, 50, 4, 2, 6, 10, 40, 50},
      {false, bound_exact, 50, 4, 2, 6, 10, 50, none},
      {false, bound_fail_low, 50, 4, 2, 6, 10, 40, 50},
      {false, bound_fail_low, 50, 4, 2, 6, 10, 50, none},
      // One ply too shallow: nothing, whatever the bounds.
      {true, bound_fail_high, 50, 3, 2, 6, 10, 40, none},
      {true, bound_exact, 5, 3, 2, 6, 10, 40, none},
      {false, bound_fail_high, 5, 3, 2, 6, 10, 40, none},
      {false, bound_exact, 50, 3, 2, 6, 10, 40, none},
      // Deeper than needed, and a horizon already behind the ply (compared as signed).
      {true, bound_fail_high, 50, 9, 2, 6, 10, 40, 50},
      {false, bound_exact, 50, 0, 5, 3, 10, 40, 50},
  };
  const u64 key = Key(901, this_position);
  for (const auto& c : cases) {
    hash_table[901] = T_Hash_entry{0, 0, 0, 0, this_position, c.score, c.flag, c.stored_depth, 1};
    const i32 got = c.white ? Hash_probe_white(key, c.ply, c.horizon, c.alpha, c.beta)
                            : Hash_probe_black(key, c.ply, c.horizon, c.alpha, c.beta);
    EXPECT_EQ(got, c.result) << (c.white ? "white" : "black") << " flag " << int(c.flag) << " score " << c.score
                             << " depth " << int(c.stored_depth) << " alpha " << c.alpha << " beta " << c.beta;
  }
  // Another position in the same entry, or an empty slot: nothing.
  hash_table[901] = T_Hash_entry{0, 0, 0, 0, this_position, 50, bound_fail_high, 9, 1};
  EXPECT_EQ(Hash_probe_white(Key(901, other_position), 2, 6, 10, 40), none);
  EXPECT_EQ(Hash_probe_black(Key(901, other_position), 2, 6, 60, 70), none);
  hash_table[902] = T_Hash_entry{0, 0, 0, 0, 0, 50, bound_fail_high, 9, 1};
  EXPECT_EQ(Hash_probe_white(Key(902, this_position), 2, 6, 10, 40), none);
}

}  // namespace
