// Whole-generator checks: counting legal move sequences (generate, make, drop the
// move when the mover's king is attacked, unmake) against published counts, and a
// walk along the same trees that checks the incremental key, the material and the
// exact restoring of the record after every move.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/driver.h"
#include "driver/output.h"
#include "movegen/movegen.h"

namespace {

T_Bitboard Set_up(const std::string& fen) {
  T_Bitboard b{};
  Read_fen(b, ("fen " + fen).c_str());
  return b;
}

void Generate(T_List& list, const T_Bitboard& b) {
  if (b.colour_move) {
    Generator_captures_white(list, b);
    Generator_move_white(list, b);
  } else {
    Generator_captures_black(list, b);
    Generator_move_black(list, b);
  }
}

u64 Perft(T_Bitboard& b, int depth) {
  T_List list;
  T_Undo undo;
  u64 total = 0;
  Generate(list, b);
  for (int i = 0; i < list.end_list; ++i) {
    const u8 index = static_cast<u8>(i);
    if (b.colour_move) {
      Make_move_white(undo, b, index, list);
      if (!King_white_check(b)) total += depth > 1 ? Perft(b, depth - 1) : 1;
      Unmake_move_white(b, undo, index, list);
    } else {
      Make_move_black(undo, b, index, list);
      if (!King_black_check(b)) total += depth > 1 ? Perft(b, depth - 1) : 1;
      Unmake_move_black(b, undo, index, list);
    }
  }
  return total;
}

u64 Perft_of(const std::string& fen, int depth) {
  T_Bitboard b = Set_up(fen);
  return Perft(b, depth);
}

std::string Move_text(i32 m) {
  std::string text;
  text += static_cast<char>('a' + Move_from(m) % 8);
  text += static_cast<char>('1' + Move_from(m) / 8);
  text += static_cast<char>('a' + Move_to(m) % 8);
  text += static_cast<char>('1' + Move_to(m) / 8);
  const int type = Move_type(m);
  if ((type >= 12 && type <= 15) || (type >= 22 && type <= 25)) text += " nbrq"[type % 10 - 1];
  return text;
}

// One position of a suite file with its counts by depth.
struct T_Suite_entry {
  std::string fen;
  std::vector<std::pair<int, u64>> counts;  // (depth, count), as listed
};

// Reads "FEN ;D1 n ;D2 n ..." and "FEN; D1 n; D2 n; ..." alike; blank lines are skipped.
std::vector<T_Suite_entry> Read_suite(const std::string& name) {
  std::vector<T_Suite_entry> entries;
  std::ifstream in(std::string(ZARNIK_DATA_DIR) + "/" + name);
  std::string line;
  while (std::getline(in, line)) {
    const auto semicolon = line.find(';');
    if (semicolon == std::string::npos) continue;
    T_Suite_entry entry;
    entry.fen = line.substr(0, semicolon);
    while (!entry.fen.empty() && (entry.fen.back() == ' ' || entry.fen.back() == '\r')) entry.fen.pop_back();
    std::string rest = line.substr(semicolon);
    std::replace(rest.begin(), rest.end(), ';', ' ');
    std::istringstream fields(rest);
    std::string label;
    u64 count;
    while (fields >> label >> count)
      if (label.size() >= 2 && label[0] == 'D') entry.counts.emplace_back(std::stoi(label.substr(1)), count);
    entries.push_back(entry);
  }
  return entries;
}

// One position at one depth, whose count is to be checked.
struct T_Job {
  std::string fen;
  int depth;
  u64 expected;
};

std::vector<T_Job> Jobs_up_to(const std::vector<T_Suite_entry>& suite, int max_depth) {
  std::vector<T_Job> jobs;
  for (const auto& entry : suite)
    for (const auto& [depth, count] : entry.counts)
      if (depth <= max_depth) jobs.push_back({entry.fen, depth, count});
  return jobs;
}

// The long runs share the work out over the machine's cores; the generators, make,
// unmake and the king tests touch only the record they are given.
void Check_jobs(const std::vector<T_Job>& jobs) {
  ASSERT_FALSE(jobs.empty());
  std::vector<u64> got(jobs.size());
  std::atomic<size_t> next{0};
  const unsigned workers = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> threads;
  for (unsigned w = 0; w < workers; ++w)
    threads.emplace_back([&] {
      for (size_t j; (j = next.fetch_add(1)) < jobs.size();) got[j] = Perft_of(jobs[j].fen, jobs[j].depth);
    });
  for (auto& thread : threads) thread.join();
  for (size_t j = 0; j < jobs.size(); ++j)
    EXPECT_EQ(got[j], jobs[j].expected) << jobs[j].fen << " depth " << jobs[j].depth;
}

TEST(Perft, KnownFigures) {
  const struct {
    const char* fen;
    std::vector<std::pair<int, u64>> counts;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       {{1, 20}, {2, 400}, {3, 8902}, {4, 197281}, {5, 4865609}}},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", {{1, 48}, {2, 2039}, {3, 97862}}},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {{1, 14}, {2, 191}, {3, 2812}}},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {{2, 264}, {3, 9467}}},
      {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {{2, 1486}, {3, 62379}}},
  };
  for (const auto& c : cases)
    for (const auto& [depth, count] : c.counts) EXPECT_EQ(Perft_of(c.fen, depth), count) << c.fen << " depth " << depth;
}

// Every position of the suite, at each listed depth whose count stays below the
// budget: the shallow depths of every position, the deeper ones where they are cheap.
TEST(Perft, SuiteAtCheapDepths) {
  constexpr u64 budget = 300000;
  const auto suite = Read_suite("perftsuite.epd");
  ASSERT_GT(suite.size(), 100u);
  for (const auto& entry : suite) {
    ASSERT_FALSE(entry.counts.empty()) << entry.fen;
    for (const auto& [depth, count] : entry.counts)
      if (count <= budget) {
        EXPECT_EQ(Perft_of(entry.fen, depth), count) << entry.fen << " depth " << depth;
      }
  }
}

TEST(PerftLong, SuiteToDepthSix) {
  const auto suite = Read_suite("perftsuite.epd");
  ASSERT_GT(suite.size(), 100u);
  Check_jobs(Jobs_up_to(suite, 6));
}

TEST(PerftLong, MarcelToDepthFive) {
  const auto suite = Read_suite("perft_marcel.epd");
  ASSERT_GT(suite.size(), 6000u);
  Check_jobs(Jobs_up_to(suite, 5));
}

// Two of these positions have only four FEN fields; they are read as they stand.
TEST(PerftLong, StandardSixAllDepths) {
  const auto suite = Read_suite("perft_standard6.epd");
  ASSERT_EQ(suite.size(), 6u);
  Check_jobs(Jobs_up_to(suite, 99));
}

// Output of the record comparison goes to a temporary file for the duration of a
// test; a correct make/unmake pair leaves it empty.
class Output_capture {
 public:
  Output_capture() : saved_(output_fd), file_(std::tmpfile()) { output_fd = fileno(file_); }
  ~Output_capture() {
    output_fd = saved_;
    std::fclose(file_);
  }
  off_t Written() const { return lseek(fileno(file_), 0, SEEK_CUR); }
  std::string Text() const {
    std::string text(static_cast<size_t>(Written()), '\0');
    if (!text.empty()) {
      const ssize_t n = pread(fileno(file_), text.data(), text.size(), 0);
      text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    }
    return text;
  }

 private:
  int saved_;
  FILE* file_;
};

// Walks the tree as the search does: remember the key, make, drop an illegal move,
// update the key, recurse, unmake, write the key back. Stops at the first fault and
// keeps the moves that led to it.
class Walker {
 public:
  explicit Walker(const Output_capture& out) : out_(out) {}

  u64 Walk(T_Bitboard& b, int depth) {
    T_List list;
    T_Undo undo;
    u64 leaves = 0;
    Generate(list, b);
    for (int i = 0; i < list.end_list && fault_.empty(); ++i) {
      const u8 index = static_cast<u8>(i);
      const u8 colour = b.colour_move;
      T_Bitboard before;
      Copy_bitboard(before, b);
      const u64 key = b.hash_key;
      path_.push_back(list.move[i]);

      colour ? Make_move_white(undo, b, index, list) : Make_move_black(undo, b, index, list);
      if (b.eval != test_eval(b)) Fault("eval after make");
      const bool legal = !(colour ? King_white_check(b) : King_black_check(b));
      if (legal && fault_.empty()) {
        Hash_key_update(list, index, colour, b, undo);
        T_Bitboard scratch;
        Copy_bitboard(scratch, b);
        Hash_key_from_scratch(scratch);
        if (scratch.hash_key != b.hash_key) Fault("incremental key");
        leaves += depth > 1 ? Walk(b, depth - 1) : 1;
      }
      colour ? Unmake_move_white(b, undo, index, list) : Unmake_move_black(b, undo, index, list);
      b.hash_key = key;

      // The comparison writes a line per differing field, and the file is looked at
      // once per node; comparing the bytes too stops the walk at the very move.
      Compare_bitboard(before, b);
      if (std::memcmp(&before, &b, sizeof b) != 0) Fault("record after unmake");
      if (b.eval != test_eval(b)) Fault("eval after unmake");
      path_.pop_back();
    }
    if (out_.Written() != 0) Fault("comparison output");
    return leaves;
  }

  const std::string& fault() const { return fault_; }

 private:
  void Fault(const char* what) {
    if (!fault_.empty()) return;
    fault_ = what;
    fault_ += " after";
    for (const i32 m : path_) fault_.append(" ").append(Move_text(m));
    fault_.append("\n").append(out_.Text());
  }

  const Output_capture& out_;
  std::vector<i32> path_;
  std::string fault_;
};

TEST(Perft, WalkKeepsKeyMaterialAndRecord) {
  Init_zobrist();
  const struct {
    const char* fen;
    int depth;
    u64 leaves;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3, 8902},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3, 97862},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, 43238},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467},
      {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
  };
  std::vector<T_Job> jobs;
  for (const auto& c : cases) jobs.push_back({c.fen, c.depth, c.leaves});
  // The suite's castling-right, en-passant and promotion corner cases, three plies deep.
  for (const auto& entry : Read_suite("perftsuite.epd"))
    for (const auto& [depth, count] : entry.counts)
      if (depth == 3) jobs.push_back({entry.fen, depth, count});
  ASSERT_GT(jobs.size(), 100u);

  Output_capture out;
  for (const auto& job : jobs) {
    T_Bitboard b = Set_up(job.fen);
    b.eval = test_eval(b);
    Hash_key_from_scratch(b);
    T_Bitboard start;
    Copy_bitboard(start, b);
    Walker walker(out);
    const u64 leaves = walker.Walk(b, job.depth);
    ASSERT_EQ(walker.fault(), "") << job.fen;
    EXPECT_EQ(leaves, job.expected) << job.fen;
    Compare_bitboard(start, b);
    ASSERT_EQ(out.Text(), "") << job.fen;
  }
}

}  // namespace
