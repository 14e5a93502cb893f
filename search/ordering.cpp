// Move ordering (captures by key, killers, the hash move), the killer slots, the
// principal variation collected from the leaves up, and the repetition test.
#include <cstring>

#include "driver/driver.h"
#include "search/search.h"

i32 killer_first[max_ply + 1];
i32 killer_second[max_ply + 1];
i32 line_moves[max_ply + 1];
u64 search_keys[max_ply + 1];
T_Pv pv;

namespace {

// Moves the entry at k to t < k, shifting the entries between one place back.
inline void Move_forward(T_List& list, int k, int t) {
  const i32 move = list.move[k], key = list.sort[k];
  for (int j = k; j > t; --j) {
    list.move[j] = list.move[j - 1];
    list.sort[j] = list.sort[j - 1];
  }
  list.move[t] = move;
  list.sort[t] = key;
}

// Brings the move to position p when it stands at p or later; otherwise nothing moves.
inline void Bring_to(T_List& list, i32 move, int p) {
  if (move == 0 || p >= list.end_list || list.move[p] == move) return;  // no move word is 0
  for (int k = p + 1; k < list.end_list; ++k)
    if (list.move[k] == move) {
      Move_forward(list, k, p);
      return;
    }
}

}  // namespace

// The exact exchange procedure fixes the order of equal keys.
void Sort_captures(T_List& list) {
  const int n = list.end_captures;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (list.sort[i] < list.sort[j]) {
        const i32 move = list.move[i], key = list.sort[i];
        list.move[i] = list.move[j];
        list.sort[i] = list.sort[j];
        list.move[j] = move;
        list.sort[j] = key;
      }
}

void Killers_to_front(T_List& list, u8 p, u8 ply) {
  Bring_to(list, killer_first[ply], p);
  Bring_to(list, killer_second[ply], p + 1);
}

void Hash_move_to_front(T_List& list, const T_Hash_entry& entry) { Bring_to(list, entry.move, 0); }

void Killer_update(u8 ply, i32 move) {
  if (killer_first[ply] == move) return;
  killer_second[ply] = killer_first[ply];
  killer_first[ply] = move;
}

void Pv_from_line(u8 ply, i32 score) {
  std::memcpy(pv.moves, line_moves, sizeof(i32) * ply);
  pv.score = score;
  pv.length = ply;
}

void Pv_save(T_Pv& own) {
  std::memcpy(own.moves, pv.moves, sizeof(i32) * pv.length);
  own.score = pv.score;
  own.length = pv.length;
}

void Pv_restore(const T_Pv& own) {
  std::memcpy(pv.moves, own.moves, sizeof(i32) * own.length);
  pv.score = own.score;
  pv.length = own.length;
}

// Only positions an even number of plies back, at least four, are compared: along
// the search path from ply 4 on, in the game before the root at plies 1 to 3.
bool Is_repetition(u8 ply) {
  const u64 key = search_keys[ply];
  if (ply > 3) {
    for (int i = ply - 4; i >= 0; i -= 2)
      if (search_keys[i] == key) return true;
    return false;
  }
  for (int i = static_cast<int>(game_ply) + ply - 4; i >= 0; i -= 2)
    if (game_keys[i] == key) return true;
  return false;
}
