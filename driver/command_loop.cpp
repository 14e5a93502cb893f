// The command loop: one line at a time, recognised by a fixed sequence of tests
// (whole line, begins with, contains), answered at once or handed to a handler.
#include <cstring>

#include "driver/driver.h"
#include "driver/input.h"
#include "driver/output.h"
#include "search/search.h"

T_Bitboard bitboard;
char command_line[line_size];

namespace {

bool keys_filled = false;

bool Whole_line(const char* line, const char* word) { return std::strcmp(line, word) == 0; }
bool Begins_with(const char* line, const char* word) { return std::strncmp(line, word, std::strlen(word)) == 0; }

void Command_uci() {
  Write_text("id name Zarnik_j3_1_Beta_3_5_2010");
  Write_text("\n");
  Write_text("id author Tolvaric");
  Write_text("\n");
  Write_text("option name Hash type spin default 1 min 1 max 1024");
  Write_text("\n");
  Init_zobrist();  // never reseeded: a second "uci" draws fresh keys
  keys_filled = true;
  Hash_table_create();
  Hash_table_clear();
  hash_age = 0;
  Write_text("uciok \n");
}

// Only the text "Hash value " matters; the number after it is taken modulo 65536.
void Command_setoption(const char* line) {
  const char* value = std::strstr(line, "Hash value ");
  if (!value) return;
  const u16 megabytes = static_cast<u16>(static_cast<u32>(Text_to_int(value + 11)) & 0xFFFF);
  if (megabytes == 0) return;
  Hash_table_resize(megabytes);
  Hash_table_clear();
}

}  // namespace

void Ensure_search_ready() {
  if (hash_table) return;
  if (!keys_filled) {
    Init_zobrist();
    keys_filled = true;
  }
  Hash_table_create();
  Hash_table_clear();
}

void Dispatch(T_Bitboard& b) {
  const char* line = command_line;
  if (Whole_line(line, "uci")) {
    Command_uci();
  } else if (Begins_with(line, "setoption ")) {
    Command_setoption(line);
  } else if (Whole_line(line, "isready")) {
    Write_text("readyok \n");
    Write_text("\n");
  } else if (Begins_with(line, "position ")) {
    Command_position(b);
  } else if (Begins_with(line, "go")) {
    Command_go(b);
  } else if (Whole_line(line, "quit")) {
    Hash_table_release();
    End_process(1);
  } else if (Whole_line(line, "ucinewgame")) {
    hash_age = 0;
    Hash_table_clear();
  } else if (Begins_with(line, "debug ") || Whole_line(line, "ponderhit") || Whole_line(line, "stop")) {
    // nothing to do between searches
  } else {
    Write_text("WARNING ! Unknown command\n");
  }
}

int Command_loop() {
  while (Read_line(command_line)) {
    Strip_carriage_return(command_line);
    Dispatch(bitboard);
  }
  return 0;
}
