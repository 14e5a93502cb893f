// The move list a node owns in its own frame: move words with their sort keys, the
// tactical moves first.
#pragma once
#include <cstdint>

struct T_List {
  std::int32_t move[256];
  std::int32_t sort[256];
  std::uint8_t end_captures;  // moves [0, end_captures) are the tactical ones
  std::uint8_t end_list;      // total number of moves
};
static_assert(sizeof(T_List) == 2 * 256 * 4 + 4);

// The counts are 8-bit, so a list holds at most this many moves; a position that
// would produce more (only odd set-ups can) keeps the first ones generated.
inline constexpr int list_capacity = 255;
