// The transposition table: sizing, the two slots' replacement rules and the probes.
// A score is used only when it lies outside the window on the failing side.
#include <cstdlib>
#include <cstring>

#include "driver/output.h"
#include "search/search.h"

T_Hash_entry* hash_table = nullptr;
u64 hash_mask = 0;
u8 hash_age = 0;

namespace {

constexpr u16 default_megabytes = 1;
constexpr u16 max_megabytes = 1024;

// The two fatal messages are written in the Windows-1251 code page.
constexpr char nothing_to_release[] = "\xee\xf1\xe2\xee\xe1\xee\xe6\xe4\xe0\xf2\xfc \xed\xe5\xf7\xe5\xe3\xee \n";
constexpr char out_of_memory[] = "\xef\xe0\xec\xff\xf2\xe8 \xed\xe5\xf2 \n";

[[noreturn]] void Fatal(const char* message, std::size_t length) {
  Write_bytes(message, length);
  End_process(1);
}

void Allocate(u16 megabytes) {
  const u64 count = Hash_entry_count(megabytes);
  hash_table = static_cast<T_Hash_entry*>(std::calloc(count, sizeof(T_Hash_entry)));
  if (!hash_table) Fatal(out_of_memory, sizeof out_of_memory - 1);
  hash_mask = count - 1;
}

}  // namespace

u64 Hash_entry_count(u16 megabytes) {
  if (megabytes < 1) megabytes = 1;
  if (megabytes > max_megabytes) megabytes = max_megabytes;
  const u64 n = (static_cast<u64>(megabytes) << 20) / sizeof(T_Hash_entry);
  u64 v = 2;
  while (v <= n) v *= 2;
  return v / 2;
}

// A repeated "uci" replaces the table; the old storage is released first.
void Hash_table_create() {
  Hash_table_release();
  Allocate(default_megabytes);
}

void Hash_table_resize(u16 megabytes) {
  if (!hash_table) Fatal(nothing_to_release, sizeof nothing_to_release - 1);
  Hash_table_release();
  Allocate(megabytes);
}

void Hash_table_release() {
  std::free(hash_table);
  hash_table = nullptr;
}

void Hash_table_clear() {
  if (!hash_table) return;
  for (u64 i = 0; i <= hash_mask; ++i) {
    hash_table[i].move_key = 0;
    hash_table[i].score_key = 0;
  }
}

i32 Hash_probe_white(u64 key, u8 ply, u8 horizon, i32 alpha, i32 beta) {
  const T_Hash_entry& e = hash_table[Hash_index(key)];
  if (e.score_key != Hash_check(key)) return hash_no_entry;
  if (static_cast<int>(e.score_depth) < static_cast<int>(horizon) - static_cast<int>(ply)) return hash_no_entry;
  if (e.score_flag == bound_fail_high) return e.score >= beta ? e.score : hash_no_entry;
  return e.score < alpha ? e.score : hash_no_entry;
}

i32 Hash_probe_black(u64 key, u8 ply, u8 horizon, i32 alpha, i32 beta) {
  const T_Hash_entry& e = hash_table[Hash_index(key)];
  if (e.score_key != Hash_check(key)) return hash_no_entry;
  if (static_cast<int>(e.score_depth) < static_cast<int>(horizon) - static_cast<int>(ply)) return hash_no_entry;
  if (e.score_flag == bound_fail_high) return e.score <= alpha ? e.score : hash_no_entry;
  return e.score > beta ? e.score : hash_no_entry;
}

// Within one search the deeper move stays; a move from an earlier search always yields.
void Hash_store_move(u64 index, u32 check, const T_List& list, u8 move_index, u8 depth) {
  T_Hash_entry& e = hash_table[index];
  if (e.move_key != 0 && e.move_age == hash_age && depth < e.move_depth) return;
  e.move_key = check;
  e.move = list.move[move_index];
  e.move_depth = depth;
  e.move_age = hash_age;
}

// The same position keeps its deepest score; another position's score survives the
// next search when deeper, and yields to anything two or more searches later.
void Hash_store_score(u64 index, u32 check, i32 score, u8 bound, u8 depth) {
  T_Hash_entry& e = hash_table[index];
  if (e.score_key != 0) {
    if (e.score_key == check) {
      if (depth < e.score_depth) return;
    } else if (!(static_cast<int>(hash_age) > static_cast<int>(e.score_age) + 1)) {
      if (depth < e.score_depth) return;
    }
  }
  e.score_key = check;
  e.score = score;
  e.score_flag = bound;
  e.score_depth = depth;
  e.score_age = hash_age;
}

void Hash_store(const T_List& list, u8 move_index, u64 key, i32 score, u8 bound, u8 ply, u8 horizon) {
  const u64 index = Hash_index(key);
  const u32 check = Hash_check(key);
  const u8 depth = static_cast<u8>(horizon - ply);
  Hash_store_move(index, check, list, move_index, depth);
  Hash_store_score(index, check, score, bound, depth);
}
