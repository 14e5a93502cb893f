// The "position" command: a FEN (or the start position), then the listed moves
// replayed one by one, with the key of every position kept for repetition tests.
#include <cstring>

#include "driver/driver.h"
#include "driver/output.h"
#include "movegen/movegen.h"

u64 game_keys[game_keys_size];
u16 game_ply;

namespace {

int Kind_of_letter(char c) {
  switch (c) {
    case 'p': case 'P': return kind_pawn;
    case 'n': case 'N': return kind_knight;
    case 'b': case 'B': return kind_bishop;
    case 'r': case 'R': return kind_rook;
    case 'q': case 'Q': return kind_queen;
    case 'k': case 'K': return kind_king;
    default: return kind_none;
  }
}

bool Is_file(char c) { return c >= 'a' && c <= 'h'; }
bool Is_rank(char c) { return c >= '1' && c <= '8'; }

void Moves_warning() { Write_text("WARNING ! moves error\n"); }

}  // namespace

// The reader never goes past the terminating NUL and never places a piece off the
// board: squares beyond the eighth of a row and rows beyond the eighth are ignored,
// and a text that ends early keeps what was read.
void Read_fen(T_Bitboard& b, const char* text) {
  b.all_piece = b.all_white_piece = b.all_black_piece = 0;
  for (int k = 0; k < 7; ++k) b.white_piece[k] = b.black_piece[k] = 0;
  std::memset(b.white_name_from_coord, 0, sizeof b.white_name_from_coord);
  std::memset(b.black_name_from_coord, 0, sizeof b.black_name_from_coord);

  int p = 0;
  while (text[p] != '\0' && text[p] != ' ') ++p;  // the word "fen"
  while (text[p] == ' ') ++p;

  for (int row = 0, file = 0; text[p] != ' '; ++p) {
    const char c = text[p];
    if (c == '\0') break;
    if (c == '/') {
      ++row;
      file = 0;
    } else if (const int kind = Kind_of_letter(c)) {
      if (row < 8 && file < 8) {
        const int s = (7 - row) * 8 + file;
        if (c >= 'A' && c <= 'Z') {
          b.all_white_piece |= square_bit[s];
          b.white_piece[kind] |= square_bit[s];
          b.white_name_from_coord[s] = static_cast<u8>(kind);
        } else {
          b.all_black_piece |= square_bit[s];
          b.black_piece[kind] |= square_bit[s];
          b.black_name_from_coord[s] = static_cast<u8>(kind);
        }
      }
      if (file < 8) ++file;
    } else if (c >= '1' && c <= '8') {
      file += c - '0';
      if (file > 8) file = 8;
    } else if (file < 8) {
      ++file;
    }
  }
  b.all_piece = b.all_white_piece | b.all_black_piece;

  while (text[p] == ' ') ++p;
  if (text[p] == 'w') b.colour_move = 1;
  if (text[p] == 'b') b.colour_move = 0;
  // The side letter and the one character after it; further spaces are passed over.
  for (int step = 0; step < 2 && text[p] != '\0'; ++step) ++p;
  while (text[p] == ' ') ++p;

  b.castling_Q = b.castling_K = b.castling_q = b.castling_k = 0;
  for (; text[p] != ' ' && text[p] != '\0'; ++p) {
    if (text[p] == 'K') b.castling_K = 1;
    if (text[p] == 'Q') b.castling_Q = 1;
    if (text[p] == 'k') b.castling_k = 1;
    if (text[p] == 'q') b.castling_q = 1;
  }
  while (text[p] == ' ') ++p;

  b.taking_passage_yes = b.taking_passage_x = b.taking_passage_y = 0;
  if (Is_file(text[p]) && Is_rank(text[p + 1])) {
    b.taking_passage_yes = 1;
    b.taking_passage_x = static_cast<u8>(text[p] - 'a');
    b.taking_passage_y = static_cast<u8>(text[p + 1] - '1');
  }
}

void Make_move_from_text(T_Bitboard& b, const char* text, int length) {
  if (length < 4 || !Is_file(text[0]) || !Is_rank(text[1]) || !Is_file(text[2]) || !Is_rank(text[3])) {
    Moves_warning();
    return;
  }
  const int from = (text[0] - 'a') + 8 * (text[1] - '1');
  const int to = (text[2] - 'a') + 8 * (text[3] - '1');
  T_List list;
  if (b.colour_move == 1) {
    Generator_captures_white(list, b);
    Generator_move_white(list, b);
  } else {
    Generator_captures_black(list, b);
    Generator_move_black(list, b);
  }
  int found = -1;
  for (int i = 0; i < list.end_list; ++i)
    if (Move_from(list.move[i]) == from && Move_to(list.move[i]) == to) {
      found = i;
      break;
    }
  if (found < 0) {
    Moves_warning();
    return;
  }
  int offset = -1;
  const char letter = length >= 5 ? text[4] : 'q';
  if (letter == 'q') offset = 0;
  if (letter == 'r') offset = 1;
  if (letter == 'b') offset = 2;
  if (letter == 'n') offset = 3;
  if (offset > 0) {
    // r, b and n select among the four promotions; on any other move they are wrong.
    const int type = Move_type(list.move[found]);
    const bool promotes = (type >= 12 && type <= 15) || (type >= 22 && type <= 25);
    if (!promotes || found + offset >= list.end_list) offset = -1;
  }
  if (offset < 0) {
    Moves_warning();
    return;
  }
  T_Undo undo;
  if (b.colour_move == 1)
    Make_move_white(undo, b, static_cast<u8>(found + offset), list);
  else
    Make_move_black(undo, b, static_cast<u8>(found + offset), list);
}

void Command_position(T_Bitboard& b) {
  const char* fen = std::strstr(command_line, "fen ");
  const char* moves = std::strstr(command_line, "moves ");
  Read_fen(b, fen ? fen : start_position_fen);
  for (int i = 0; i < game_keys_size; ++i) game_keys[i] = static_cast<u64>(i);
  Hash_key_from_scratch(b);
  game_keys[0] = b.hash_key;
  game_ply = 0;
  if (!moves) return;

  // Every token counts as a ply, made or not; the history holds 999 of them, and
  // tokens beyond are refused.
  int k = 0;
  for (const char* p = moves + 6; *p != '\0';) {
    int length = 0;
    while (length < 4 && p[length] != '\0') ++length;
    if (length == 4 && p[4] != '\0' && p[4] != ' ') length = 5;
    if (k < game_keys_size - 1) {
      Make_move_from_text(b, p, length);
      ++k;
      Hash_key_from_scratch(b);
      game_keys[k] = b.hash_key;
      game_ply = static_cast<u16>(k);
    } else {
      Moves_warning();
    }
    p += length;
    while (*p == ' ') ++p;
  }
}
