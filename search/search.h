// The search: transposition table, move ordering, killers, principal variation,
// repetition, and the quiescence, alpha-beta and root searches. Scores are always
// from white's side: white nodes maximise, black nodes minimise.
#pragma once
#include "position/position.h"

// Scores with a fixed meaning.
inline constexpr i32 score_infinite = 9999999;
inline constexpr i32 mate_score = 1000000;
inline constexpr i32 mate_ply_step = 1000;
inline constexpr i32 hash_no_entry = -1000000000;

inline constexpr int max_ply = 100;  // the per-ply arrays hold plies 0 to max_ply

// ---- Transposition table ----
//
// One entry, two independent slots sharing one memory access:
//   move slot:  move_key (upper 32 bits of the key, 0 = empty), move, move_depth, move_age
//   score slot: score_key (0 = empty), score (white-positive, never ply-adjusted),
//               score_flag (bound), score_depth, score_age
// The table is a power of two of entries, addressed by the low 32 bits of the key.
struct T_Hash_entry {
  u32 move_key;
  i32 move;
  u8 move_depth;
  u8 move_age;
  u32 score_key;
  i32 score;
  u8 score_flag;
  u8 score_depth;
  u8 score_age;
};
static_assert(sizeof(T_Hash_entry) == 24);

enum : u8 { bound_exact = 1, bound_fail_high = 2, bound_fail_low = 3 };

extern T_Hash_entry* hash_table;
extern u64 hash_mask;
extern u8 hash_age;

u64 Hash_entry_count(u16 megabytes);  // entries a table of that size gets
void Hash_table_create();
void Hash_table_resize(u16 megabytes);
void Hash_table_clear();
void Hash_table_release();
inline u64 Hash_index(u64 key) { return (key & 0xFFFFFFFFULL) & hash_mask; }
inline u32 Hash_check(u64 key) { return static_cast<u32>(key >> 32); }
i32 Hash_probe_white(u64 key, u8 ply, u8 horizon, i32 alpha, i32 beta);
i32 Hash_probe_black(u64 key, u8 ply, u8 horizon, i32 alpha, i32 beta);
void Hash_store_move(u64 index, u32 check, const T_List& list, u8 move_index, u8 depth);
void Hash_store_score(u64 index, u32 check, i32 score, u8 bound, u8 depth);
void Hash_store(const T_List& list, u8 move_index, u64 key, i32 score, u8 bound, u8 ply, u8 horizon);

// ---- Ordering, killers, principal variation, repetition ----
struct T_Pv {
  i32 moves[max_ply + 1];
  i32 score;
  u8 length;
};

extern i32 killer_first[max_ply + 1];
extern i32 killer_second[max_ply + 1];
extern i32 line_moves[max_ply + 1];
extern u64 search_keys[max_ply + 1];
extern T_Pv pv;

void Sort_captures(T_List& list);
void Killers_to_front(T_List& list, u8 p, u8 ply);
void Hash_move_to_front(T_List& list, const T_Hash_entry& entry);
void Killer_update(u8 ply, i32 move);
void Pv_from_line(u8 ply, i32 score);
void Pv_save(T_Pv& own);
void Pv_restore(const T_Pv& own);
bool Is_repetition(u8 ply);

// ---- Searches ----
extern u64 nodes;
extern u8 stop_search;
extern u8 best_from;
extern u8 best_to;

i32 Quiescence_white(T_Bitboard& b, i32 alpha, i32 beta, u8 ply, u8 pv_node);
i32 Quiescence_black(T_Bitboard& b, i32 alpha, i32 beta, u8 ply, u8 pv_node);
i32 Leaf_search_white(T_Bitboard& b, i32 alpha, i32 beta, u8 pv_node, u8 ply);
i32 Leaf_search_black(T_Bitboard& b, i32 alpha, i32 beta, u8 pv_node, u8 ply);
i32 Alpha_beta_white(T_Bitboard& b, i32 alpha, i32 beta, u8 horizon, u8 ply, i32 last_type, u8 pv_node,
                     u8 in_check, u8 after_null);
i32 Alpha_beta_black(T_Bitboard& b, i32 alpha, i32 beta, u8 horizon, u8 ply, i32 last_type, u8 pv_node,
                     u8 in_check, u8 after_null);
i32 Search_root_white(T_Bitboard& b, T_List& list, u8 depth);
i32 Search_root_black(T_Bitboard& b, T_List& list, u8 depth);
