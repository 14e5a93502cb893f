// Fuzz target: one input is a whole command stream. It is put behind the engine's
// input descriptor and read line by line with the engine's own line reader, each
// line dispatched as the command loop does, so the poll inside a search reads the
// rest of the same stream. Before a line is dispatched, a "go..." line is parsed as
// it stands and then replaced by "go depth 2", and a "Hash value N" is brought down
// to at most 16 megabytes, so each input runs in milliseconds. "quit" and the fatal
// table messages end the process through End_process; the hook jumps back here.
//
// Each input starts from an empty board and no table, as the engine does at start-up
// (the key tables and the killers keep what earlier inputs left in them).
#include <bit>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "driver/driver.h"
#include "driver/input.h"
#include "driver/output.h"
#include "search/search.h"

namespace {

std::jmp_buf leave_input;
int stream_fd = -1;
constexpr u32 hash_cap = 16;  // megabytes

[[noreturn]] void Back_to_fuzzer(int) { std::longjmp(leave_input, 1); }

bool Begins_with(const char* line, const char* word) { return std::strncmp(line, word, std::strlen(word)) == 0; }

// The quiescence search finishes every capture sequence it starts, and on boards
// crowded with long-range pieces or kings (nine queens a side, a rank of kings) even a
// shallow search runs for minutes. Such boards are set up like any other, but not
// searched.
bool Searchable(const T_Bitboard& b) {
  const auto count = [&](int kind) { return std::popcount(b.white_piece[kind]) + std::popcount(b.black_piece[kind]); };
  int pieces = 0;
  for (int kind = kind_knight; kind <= kind_king; ++kind) pieces += count(kind);
  return pieces <= 18 && count(kind_queen) <= 4 && count(kind_king) <= 4;
}

// Bounds the work a line asks for; false when the line is to be skipped.
bool Tame(char* line) {
  if (Begins_with(line, "go")) {
    const T_Go_parameters go = Parse_go(line);
    (void)Compute_budget(go, bitboard.colour_move, game_ply);
    std::strcpy(line, "go depth 2");
    return Searchable(bitboard);
  }
  if (Begins_with(line, "setoption ")) {
    char* value = std::strstr(line, "Hash value ");
    if (!value) return true;
    const u32 megabytes = static_cast<u32>(Text_to_int(value + 11)) & 0xFFFF;
    // Above 16 the text held at least two characters ("17", "-1"), room for "16".
    if (megabytes > hash_cap) std::memcpy(value + 11, "16", 3);
  }
  return true;
}

void Play_stream() {
  while (Read_line(command_line)) {
    Strip_carriage_return(command_line);
    if (Tame(command_line)) Dispatch(bitboard);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  output_fd = ::open("/dev/null", O_WRONLY);
  stream_fd = ::memfd_create("session", 0);
  if (output_fd < 0 || stream_fd < 0) std::abort();
  input_fd = stream_fd;
  end_process_hook = Back_to_fuzzer;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (::ftruncate(stream_fd, 0) != 0 || ::lseek(stream_fd, 0, SEEK_SET) != 0) std::abort();
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = ::write(stream_fd, data + done, size - done);
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
  if (::lseek(stream_fd, 0, SEEK_SET) != 0) std::abort();

  bitboard = T_Bitboard{};
  Hash_table_release();
  hash_age = 0;
  Input_reset();
  if (setjmp(leave_input) == 0) Play_stream();
  return 0;
}
