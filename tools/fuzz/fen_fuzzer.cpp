// Fuzz target: the first line of an input is FEN text, the rest move tokens. The FEN
// is read into a zeroed record, the tokens are replayed as the "position" command
// replays them, and then every move generated for the side to move is made and
// unmade: the updated key must equal the one computed from scratch, the record must
// come back byte for byte, the self-test comparison must write nothing, and the
// running material must still equal the recount.
// Anything written to the output counts as a failure.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/driver.h"
#include "driver/output.h"
#include "movegen/movegen.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fen_fuzzer: %s\n", what);
  std::abort();
}

void Check_nothing_written() {
  struct stat status {};
  if (::fstat(output_fd, &status) != 0) Fail("cannot examine the output");
  if (status.st_size == 0) return;
  char shown[4096];
  const ssize_t n = ::pread(output_fd, shown, sizeof shown, 0);
  std::fprintf(stderr, "fen_fuzzer: the engine wrote:\n%.*s\n", static_cast<int>(n > 0 ? n : 0), shown);
  Fail("the engine wrote to its output");
}

// After a make, the incremental key update must give the key of the new position;
// the key of the position before it is written back, as the search does.
void Check_key_update(T_Bitboard& b, const T_List& list, u8 index, u8 mover, const T_Undo& undo) {
  const u64 before = b.hash_key;
  Hash_key_update(list, index, mover, b, undo);
  T_Bitboard scratch;
  std::memcpy(&scratch, &b, sizeof b);
  Hash_key_from_scratch(scratch);
  if (scratch.hash_key != b.hash_key) Fail("the updated key differs from the key computed from scratch");
  b.hash_key = before;
}

void Check_make_unmake(T_Bitboard& b) {
  T_List list;
  if (b.colour_move == 1) {
    Generator_captures_white(list, b);
    Generator_move_white(list, b);
  } else {
    Generator_captures_black(list, b);
    Generator_move_black(list, b);
  }
  if (list.end_captures > list.end_list) Fail("more tactical moves than moves");
  T_Bitboard before;
  std::memcpy(&before, &b, sizeof b);
  for (int i = 0; i < list.end_list; ++i) {
    const u8 index = static_cast<u8>(i);
    T_Undo undo;
    const u8 mover = b.colour_move;
    if (mover == 1)
      Make_move_white(undo, b, index, list);
    else
      Make_move_black(undo, b, index, list);
    (void)King_white_check(b);
    (void)King_black_check(b);
    Check_key_update(b, list, index, mover, undo);
    if (mover == 1)
      Unmake_move_white(b, undo, index, list);
    else
      Unmake_move_black(b, undo, index, list);
    Compare_bitboard(before, b);
    Check_nothing_written();
    if (std::memcmp(&before, &b, sizeof b) != 0) Fail("unmake did not restore the record");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  output_fd = ::memfd_create("output", 0);
  if (output_fd < 0) std::abort();
  Init_zobrist();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t line_end = input.find('\n');
  const std::string fen = "fen " + input.substr(0, line_end);
  const std::string moves = line_end == std::string::npos ? "" : input.substr(line_end + 1);

  if (::ftruncate(output_fd, 0) != 0) std::abort();
  T_Bitboard b;
  std::memset(&b, 0, sizeof b);
  Read_fen(b, fen.c_str());
  // The setup takes castling rights from the text without looking at the board, and
  // make and unmake rely on the king and rook standing where a right says; a right
  // without them is dropped here, as a controller's legal position never has one.
  const auto stands = [](u64 set, int square) { return (set >> square) & 1; };
  const bool white_king_home = stands(b.white_piece[kind_king], 4), black_king_home = stands(b.black_piece[kind_king], 60);
  if (!white_king_home || !stands(b.white_piece[kind_rook], 0)) b.castling_Q = 0;
  if (!white_king_home || !stands(b.white_piece[kind_rook], 7)) b.castling_K = 0;
  if (!black_king_home || !stands(b.black_piece[kind_rook], 56)) b.castling_q = 0;
  if (!black_king_home || !stands(b.black_piece[kind_rook], 63)) b.castling_k = 0;
  // Likewise an en-passant square needs the pawn that just passed it, and nothing on it.
  if (b.taking_passage_yes) {
    const int target = b.taking_passage_y * 8 + b.taking_passage_x;
    const bool passed = b.colour_move == 1
                            ? b.taking_passage_y == 5 && stands(b.black_piece[kind_pawn], target - 8)
                            : b.taking_passage_y == 2 && stands(b.white_piece[kind_pawn], target + 8);
    if (!passed || stands(b.all_piece, target)) b.taking_passage_yes = b.taking_passage_x = b.taking_passage_y = 0;
  }
  b.eval = test_eval(b);
  // The recount counts a king once however many there are, so it is compared only when
  // each side starts with at most one.
  const bool kings_countable =
      std::popcount(b.white_piece[kind_king]) <= 1 && std::popcount(b.black_piece[kind_king]) <= 1;
  Hash_key_from_scratch(b);

  // Tokens as the replay cuts them: four characters, or five when a fifth follows
  // that is not a separator. A failed token writes the moves warning, which is
  // expected here and cleared.
  for (std::size_t p = 0; p < moves.size();) {
    if (moves[p] == ' ' || moves[p] == '\n' || moves[p] == '\0') {
      ++p;
      continue;
    }
    std::size_t length = 0;
    while (length < 4 && p + length < moves.size() && moves[p + length] != '\0') ++length;
    if (length == 4 && p + 4 < moves.size() && moves[p + 4] != ' ' && moves[p + 4] != '\n' && moves[p + 4] != '\0')
      length = 5;
    const std::string token = moves.substr(p, length);
    Make_move_from_text(b, token.c_str(), static_cast<int>(token.size()));
    if (kings_countable && b.eval != test_eval(b)) Fail("the running material differs from the recount");
    p += length;
  }
  if (::ftruncate(output_fd, 0) != 0) std::abort();

  Hash_key_from_scratch(b);
  Check_make_unmake(b);
  return 0;
}
