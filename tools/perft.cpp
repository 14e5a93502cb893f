// Perft: counts legal move sequences with the engine's own generators, make/unmake
// and king test. Usage:
//   perft "<FEN>" <depth>            total count
//   perft --divide "<FEN>" <depth>   count per legal root move, then the total
//   perft --bench                    timed runs on two reference positions
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/driver.h"
#include "movegen/movegen.h"

namespace {

u64 Perft(T_Bitboard& b, int depth) {
  T_List list;
  T_Undo undo;
  u64 total = 0;
  if (b.colour_move) {
    Generator_captures_white(list, b);
    Generator_move_white(list, b);
    for (int i = 0; i < list.end_list; ++i) {
      Make_move_white(undo, b, static_cast<u8>(i), list);
      if (!King_white_check(b)) total += depth > 1 ? Perft(b, depth - 1) : 1;
      Unmake_move_white(b, undo, static_cast<u8>(i), list);
    }
  } else {
    Generator_captures_black(list, b);
    Generator_move_black(list, b);
    for (int i = 0; i < list.end_list; ++i) {
      Make_move_black(undo, b, static_cast<u8>(i), list);
      if (!King_black_check(b)) total += depth > 1 ? Perft(b, depth - 1) : 1;
      Unmake_move_black(b, undo, static_cast<u8>(i), list);
    }
  }
  return total;
}

void Move_text(i32 m, char* out) {
  const int from = Move_from(m), to = Move_to(m), type = Move_type(m);
  int n = 0;
  out[n++] = static_cast<char>('a' + from % 8);
  out[n++] = static_cast<char>('1' + from / 8);
  out[n++] = static_cast<char>('a' + to % 8);
  out[n++] = static_cast<char>('1' + to / 8);
  if ((type >= 12 && type <= 15) || (type >= 22 && type <= 25)) out[n++] = " nbrq"[type % 10 - 1];
  out[n] = '\0';
}

void Set_up(T_Bitboard& b, const char* fen) {
  const std::string text = std::string("fen ") + fen;
  b = T_Bitboard{};
  Read_fen(b, text.c_str());
}

u64 Divide(T_Bitboard& b, int depth) {
  T_List list;
  T_Undo undo;
  u64 total = 0;
  const bool white = b.colour_move;
  if (white) {
    Generator_captures_white(list, b);
    Generator_move_white(list, b);
  } else {
    Generator_captures_black(list, b);
    Generator_move_black(list, b);
  }
  for (int i = 0; i < list.end_list; ++i) {
    const u8 index = static_cast<u8>(i);
    white ? Make_move_white(undo, b, index, list) : Make_move_black(undo, b, index, list);
    if (!(white ? King_white_check(b) : King_black_check(b))) {
      const u64 count = depth > 1 ? Perft(b, depth - 1) : 1;
      char text[8];
      Move_text(list.move[i], text);
      std::printf("%s: %llu\n", text, static_cast<unsigned long long>(count));
      total += count;
    }
    white ? Unmake_move_white(b, undo, index, list) : Unmake_move_black(b, undo, index, list);
  }
  return total;
}

void Bench_one(const char* fen, int depth) {
  T_Bitboard b;
  Set_up(b, fen);
  const auto start = std::chrono::steady_clock::now();
  const u64 count = depth > 0 ? Perft(b, depth) : 1;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("depth %d nodes %llu seconds %.3f mnps %.1f  %s\n", depth, static_cast<unsigned long long>(count),
              seconds, count / seconds / 1e6, fen);
}

int Usage() {
  std::fprintf(stderr, "usage: perft [--divide] \"<FEN>\" <depth> | perft --bench\n");
  return 2;
}

}  // namespace

u64 Perft_count(T_Bitboard& b, int depth) { return depth > 0 ? Perft(b, depth) : 1; }

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--bench") == 0) {
    Bench_one("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6);
    Bench_one("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5);
    return 0;
  }
  const bool divide = argc == 4 && std::strcmp(argv[1], "--divide") == 0;
  if (argc != 3 && !divide) return Usage();
  const char* fen = argv[divide ? 2 : 1];
  const int depth = std::atoi(argv[divide ? 3 : 2]);
  if (depth < 0 || depth > 20) return Usage();
  T_Bitboard b;
  Set_up(b, fen);
  const u64 total = divide ? Divide(b, depth) : Perft_count(b, depth);
  if (divide) std::printf("\n");
  std::printf("%llu\n", static_cast<unsigned long long>(total));
  return 0;
}
