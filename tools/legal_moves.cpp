// Legal moves after a move list, for the scripts that check the engine's answers.
// Reads lines from standard input, each "startpos [moves m1 m2 ...]" or
// "fen <FEN> [moves m1 m2 ...]", and answers every line with one line:
//   ok <key> <in check 0|1> <count> <move> <move> ...
//       the replay was legal; the legal moves of the position reached, in move text
//       with a promotion letter on promotions; key is a 16-digit hexadecimal Zobrist
//       key of that position (placement, side, castling flags, en passant)
//   illegal <index> <token>
//       token number index (from 0) is not a legal move where it stands
// The replay accepts a move only when its text equals one of the legal moves' texts
// exactly, so a missing or extra promotion letter is illegal too.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "movegen/movegen.h"

namespace {

struct T_Legal {
  std::string text;
  u8 index;
};

std::string Move_text(i32 m) {
  const int from = Move_from(m), to = Move_to(m), type = Move_type(m);
  std::string text{static_cast<char>('a' + from % 8), static_cast<char>('1' + from / 8),
                   static_cast<char>('a' + to % 8), static_cast<char>('1' + to / 8)};
  if ((type >= promotion_knight && type <= promotion_queen) ||
      (type >= capture_promotion_knight && type <= capture_promotion_queen))
    text += " nbrq"[type % 10 - 1];
  return text;
}

// The list of pseudo-legal moves and, for each legal one, its text and index.
std::vector<T_Legal> Legal_moves(T_Bitboard& b, T_List& list) {
  std::vector<T_Legal> legal;
  T_Undo undo;
  const bool white = b.colour_move == 1;
  if (white) {
    Generator_captures_white(list, b);
    Generator_move_white(list, b);
  } else {
    Generator_captures_black(list, b);
    Generator_move_black(list, b);
  }
  for (int i = 0; i < list.end_list; ++i) {
    const u8 index = static_cast<u8>(i);
    if (white) {
      Make_move_white(undo, b, index, list);
      if (!King_white_check(b)) legal.push_back({Move_text(list.move[i]), index});
      Unmake_move_white(b, undo, index, list);
    } else {
      Make_move_black(undo, b, index, list);
      if (!King_black_check(b)) legal.push_back({Move_text(list.move[i]), index});
      Unmake_move_black(b, undo, index, list);
    }
  }
  return legal;
}

std::string Answer(const std::string& line) {
  std::string setup = line, moves;
  if (const auto at = line.find(" moves"); at != std::string::npos) {
    setup = line.substr(0, at);
    moves = line.substr(at + 6);
  }
  T_Bitboard b{};
  if (setup == "startpos")
    Read_fen(b, start_position_fen);
  else if (setup.rfind("fen ", 0) == 0)
    Read_fen(b, setup.c_str());
  else
    return "illegal -1 " + setup;

  std::istringstream tokens(moves);
  std::string token;
  for (int k = 0; tokens >> token; ++k) {
    T_List list;
    bool made = false;
    for (const T_Legal& move : Legal_moves(b, list)) {
      if (move.text != token) continue;
      T_Undo undo;
      if (b.colour_move == 1)
        Make_move_white(undo, b, move.index, list);
      else
        Make_move_black(undo, b, move.index, list);
      made = true;
      break;
    }
    if (!made) return "illegal " + std::to_string(k) + " " + token;
  }

  T_List list;
  const std::vector<T_Legal> legal = Legal_moves(b, list);
  Hash_key_from_scratch(b);
  const bool check = b.colour_move == 1 ? King_white_check(b) != 0 : King_black_check(b) != 0;
  char key[20];
  std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(b.hash_key));
  std::string answer = std::string("ok ") + key + (check ? " 1 " : " 0 ") + std::to_string(legal.size());
  for (const T_Legal& move : legal) answer += " " + move.text;
  return answer;
}

}  // namespace

int main() {
  Init_zobrist();
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::cout << Answer(line) << std::endl;
  }
  return 0;
}
