// The driver's functions that need no search: the go parameters and the time budget,
// the decimal conversion, the position command with its key history and move replay,
// the FEN reader on malformed text, and the input layer's line reading and count of
// waiting input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/driver.h"
#include "driver/input.h"
#include "driver/output.h"

namespace {

// The key tables are drawn once for the whole run; comparisons of keys mean nothing
// while they are all zero.
class Zobrist_environment : public ::testing::Environment {
 public:
  void SetUp() override { Init_zobrist(); }
};
[[maybe_unused]] ::testing::Environment* const zobrist_environment =
    ::testing::AddGlobalTestEnvironment(new Zobrist_environment);

// Sends output_fd to a temporary file for the life of the object.
class Output_capture {
 public:
  Output_capture() : saved_(output_fd), file_(std::tmpfile()) { output_fd = fileno(file_); }
  ~Output_capture() {
    output_fd = saved_;
    std::fclose(file_);
  }
  std::string Text() const {
    const off_t size = lseek(fileno(file_), 0, SEEK_CUR);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (size > 0 && pread(fileno(file_), text.data(), text.size(), 0) != size) text.clear();
    return text;
  }
  int Count(const std::string& line) const {
    const std::string text = Text();
    int n = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size())) ++n;
    return n;
  }

 private:
  int saved_;
  std::FILE* file_;
};

const std::string moves_warning = "WARNING ! moves error\n";
const char* const start_fen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

u64 Key_of_fen(const std::string& fen) {
  T_Bitboard b{};
  Read_fen(b, ("fen " + fen).c_str());
  Hash_key_from_scratch(b);
  return b.hash_key;
}

u64 Key_from_scratch(const T_Bitboard& b) {
  T_Bitboard copy = b;
  Hash_key_from_scratch(copy);
  return copy.hash_key;
}

void Run_position(T_Bitboard& b, const std::string& line) {
  ASSERT_LT(line.size(), static_cast<std::size_t>(line_size));
  std::strcpy(command_line, line.c_str());
  Command_position(b);
}

constexpr u64 Bit(int square) { return u64{1} << square; }
constexpr int Square(const char* name) { return (name[0] - 'a') + 8 * (name[1] - '1'); }

// ---- go parameters and the time budget ----

TEST(GoBudget, FromGoLines) {
  const struct {
    const char* line;
    u8 colour;
    u16 game_ply;
    double time_limit;
    u8 depth_limit;
  } cases[] = {
      {"go", 1, 0, -1, 1},
      {"go depth 6", 1, 0, -1, 6},
      {"go depth 8 movetime 2000", 1, 0, 2.0, 50},
      {"go movetime 2000", 0, 150, 2.0, 50},
      {"go movetime 2000 wtime 60000", 1, 0, 2.0, 50},  // a move time replaces the clock
      {"go wtime 60000 btime 1000", 0, 0, 1.0 / 240, 50},
      {"go wtime 60000 btime 1000", 1, 0, 60.0 / 240, 50},
      {"go btime 1000", 1, 0, -1, 1},  // only the side to move's clock counts
      {"go wtime 1000", 0, 0, -1, 1},
      {"go infinite", 1, 0, -1, 50},
      {"go infinite depth 6", 1, 0, -1, 50},
      {"go depth 300", 1, 0, -1, 44},
      {"go depth 0", 1, 0, -1, 1},
      {"go depth 256", 1, 0, -1, 1},
      {"go depth 80", 1, 0, -1, 80},  // the iteration loop itself stops at 50
      {"go depth 3 depth 5", 1, 0, -1, 5},
      {"go   depth    7  ", 1, 0, -1, 7},
      {"go Depth 7", 1, 0, -1, 1},
      {"go depthx 7", 1, 0, -1, 1},
      {"go depth", 1, 0, -1, 1},  // a missing value gives no depth in either reading
      {"go winc 5000 binc 5000 movestogo 20 depth 4", 1, 0, -1, 4},
      {"go nodes 5 searchmoves e2e4 d2d4 mate 3 depth 2", 1, 0, -1, 2},
      {"go ponder wtime 1000 btime 1000", 1, 0, 1.0 / 240, 50},
      {"go wtime 0", 1, 0, 0, 50},
      {"go wtime abc", 1, 0, 0, 50},
      {"go wtime -1000", 1, 0, -1, 1},  // converts to exactly the mark of a missing time
      {"go wtime -2000", 1, 0, -2.0 / 240, 50},
      // 300 s on both clocks: moves_left 80 - game_ply / 2, never below 40.
      {"go wtime 300000 btime 300000", 1, 0, 300.0 / 240, 50},
      {"go wtime 300000 btime 300000", 1, 40, 300.0 / 180, 50},
      {"go wtime 300000 btime 300000", 1, 41, 300.0 / 180, 50},
      {"go wtime 300000 btime 300000", 1, 79, 300.0 / 123, 50},
      {"go wtime 300000 btime 300000", 1, 80, 300.0 / 120, 50},
      {"go wtime 300000 btime 300000", 1, 200, 300.0 / 120, 50},
      {"go wtime 300000 btime 300000", 0, 999, 300.0 / 120, 50},
  };
  for (const auto& c : cases) {
    const T_Budget budget = Compute_budget(Parse_go(c.line), c.colour, c.game_ply);
    EXPECT_DOUBLE_EQ(budget.time_limit, c.time_limit) << c.line << " colour " << int(c.colour) << " ply " << c.game_ply;
    EXPECT_DOUBLE_EQ(budget.hard_time_limit, 50 * c.time_limit) << c.line << " ply " << c.game_ply;
    EXPECT_EQ(budget.depth_limit, c.depth_limit) << c.line;
  }
}

TEST(GoBudget, ParseKeepsTheLineIntact) {
  char line[] = "go wtime 1000 btime 2000 winc 10";
  Parse_go(line);
  EXPECT_STREQ(line, "go wtime 1000 btime 2000 winc 10");
  const T_Go_parameters go = Parse_go(line);
  EXPECT_DOUBLE_EQ(go.wtime, 1.0);
  EXPECT_DOUBLE_EQ(go.btime, 2.0);
  EXPECT_DOUBLE_EQ(go.movetime, -1);
  EXPECT_EQ(go.infinite, 0);
}

TEST(TextToInt, Conversions) {
  const struct {
    const char* text;
    i32 value;
  } cases[] = {
      {"42", 42},
      {"   42", 42},
      {"\t\n 7", 7},
      {"-17", -17},
      {"+8", 8},
      {"007", 7},
      {"12abc", 12},
      {"3 4", 3},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"- 5", 0},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-99999999999", INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(Text_to_int(c.text), c.value) << '"' << c.text << '"';
}

// ---- the position command ----

TEST(PositionCommand, StartPositionRebuildsTheHistory) {
  T_Bitboard b{};
  Output_capture out;
  Run_position(b, "position startpos moves e2e4 e7e5 g1f3");
  ASSERT_EQ(game_ply, 3);
  Run_position(b, "position startpos");
  EXPECT_EQ(game_ply, 0);
  EXPECT_EQ(game_keys[0], Key_of_fen(start_fen));
  EXPECT_EQ(b.hash_key, game_keys[0]);
  for (int i = 1; i < game_keys_size; ++i) ASSERT_EQ(game_keys[i], static_cast<u64>(i)) << "slot " << i;
  EXPECT_EQ(b.white_piece[kind_king], Bit(Square("e1")));
  EXPECT_EQ(b.black_piece[kind_queen], Bit(Square("d8")));
  EXPECT_EQ(b.all_piece, 0xFFFF00000000FFFFULL);
  EXPECT_EQ(b.colour_move, 1);
  EXPECT_EQ(b.castling_K + b.castling_Q + b.castling_k + b.castling_q, 4);
  EXPECT_EQ(b.taking_passage_yes, 0);

  // Without "fen " any line sets the start position.
  T_Bitboard other{};
  Run_position(other, "position anything");
  EXPECT_EQ(game_ply, 0);
  EXPECT_EQ(game_keys[0], Key_of_fen(start_fen));
  EXPECT_EQ(out.Text(), "");
}

TEST(PositionCommand, FenWithoutMoves) {
  T_Bitboard b{};
  b.colour_move = 1;
  Run_position(b, "position fen 8/8/8/8/8/8/8/K6k b - - 0 1");
  EXPECT_EQ(game_ply, 0);
  EXPECT_EQ(b.all_white_piece, Bit(Square("a1")));
  EXPECT_EQ(b.white_piece[kind_king], Bit(Square("a1")));
  EXPECT_EQ(b.black_piece[kind_king], Bit(Square("h1")));
  EXPECT_EQ(b.colour_move, 0);
  EXPECT_EQ(b.castling_K + b.castling_Q + b.castling_k + b.castling_q, 0);
  EXPECT_EQ(b.taking_passage_yes, 0);
  EXPECT_EQ(game_keys[0], Key_of_fen("8/8/8/8/8/8/8/K6k b - - 0 1"));
}

TEST(PositionCommand, ReplayRecordsEveryKey) {
  const u64 after_e4 = Key_of_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
  const u64 after_e5 = Key_of_fen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2");
  for (const char* line : {"position startpos moves e2e4 e7e5", "position startpos moves e2e4  e7e5",
                           "position startpos moves e2e4 e7e5   "}) {
    T_Bitboard b{};
    Output_capture out;
    Run_position(b, line);
    EXPECT_EQ(out.Text(), "") << line;
    EXPECT_EQ(game_ply, 2) << line;
    EXPECT_EQ(game_keys[0], Key_of_fen(start_fen)) << line;
    EXPECT_EQ(game_keys[1], after_e4) << line;
    EXPECT_EQ(game_keys[2], after_e5) << line;
    EXPECT_EQ(game_keys[3], 3u) << line;
    EXPECT_EQ(b.colour_move, 1) << line;
    EXPECT_EQ(b.taking_passage_yes, 1) << line;
    EXPECT_EQ(b.taking_passage_x, 4) << line;
    EXPECT_EQ(b.taking_passage_y, 5) << line;
  }
}

// Castling is given as the king's move; en passant as the pawn's move to the passed square.
TEST(PositionCommand, CastlingAndEnPassantFromText) {
  const struct {
    const char* line;
    const char* result;  // the position after the moves, as FEN
  } cases[] = {
      {"position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1g1 e8c8", "2kr3r/8/8/8/8/8/8/R4RK1 w - - 0 2"},
      {"position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1c1 e8g8", "r4rk1/8/8/8/8/8/8/2KR3R w - - 0 2"},
      {"position startpos moves e2e4 a7a6 e4e5 d7d5 e5d6",
       "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3"},
  };
  for (const auto& c : cases) {
    T_Bitboard b{};
    Output_capture out;
    Run_position(b, c.line);
    EXPECT_EQ(out.Text(), "") << c.line;
    T_Bitboard expected{};
    Read_fen(expected, (std::string("fen ") + c.result).c_str());
    EXPECT_EQ(b.all_white_piece, expected.all_white_piece) << c.line;
    EXPECT_EQ(b.all_black_piece, expected.all_black_piece) << c.line;
    EXPECT_EQ(0, std::memcmp(b.white_name_from_coord, expected.white_name_from_coord, 64)) << c.line;
    EXPECT_EQ(0, std::memcmp(b.black_name_from_coord, expected.black_name_from_coord, 64)) << c.line;
    EXPECT_EQ(game_keys[game_ply], Key_of_fen(c.result)) << c.line;
  }
}

TEST(PositionCommand, Promotions) {
  const char* const fen = "position fen 1n5k/P7/8/8/8/8/8/4K3 w - - 0 1 moves ";
  const struct {
    const char* move;
    const char* to;
    int kind;  // kind_none: refused
  } cases[] = {
      {"a7a8q", "a8", kind_queen},   {"a7a8r", "a8", kind_rook},     {"a7a8b", "a8", kind_bishop},
      {"a7a8n", "a8", kind_knight},  {"a7a8", "a8", kind_queen},     {"a7b8q", "b8", kind_queen},
      {"a7b8r", "b8", kind_rook},    {"a7b8b", "b8", kind_bishop},   {"a7b8n", "b8", kind_knight},
      {"a7a8Q", "a8", kind_none},    {"a7a8k", "a8", kind_none},     {"a7a8p", "a8", kind_none},
  };
  for (const auto& c : cases) {
    T_Bitboard b{};
    Output_capture out;
    Run_position(b, std::string(fen) + c.move);
    EXPECT_EQ(game_ply, 1) << c.move;
    if (c.kind == kind_none) {
      EXPECT_EQ(out.Count(moves_warning), 1) << c.move;
      EXPECT_EQ(b.white_piece[kind_pawn], Bit(Square("a7"))) << c.move;
      EXPECT_EQ(b.colour_move, 1) << c.move;
      EXPECT_EQ(game_keys[1], game_keys[0]) << c.move;
    } else {
      EXPECT_EQ(out.Text(), "") << c.move;
      EXPECT_EQ(b.white_name_from_coord[Square(c.to)], c.kind) << c.move;
      EXPECT_EQ(b.white_piece[c.kind] & Bit(Square(c.to)), Bit(Square(c.to))) << c.move;
      EXPECT_EQ(b.white_piece[kind_pawn], 0u) << c.move;
      EXPECT_EQ(b.black_piece[kind_knight], std::strcmp(c.to, "b8") == 0 ? 0 : Bit(Square("b8"))) << c.move;
      EXPECT_EQ(b.colour_move, 0) << c.move;
      EXPECT_EQ(game_keys[1], Key_from_scratch(b)) << c.move;
    }
  }
  // Black promotes towards the first rank.
  T_Bitboard b{};
  Run_position(b, "position fen 4k3/8/8/8/8/8/p7/4K3 b - - 0 1 moves a2a1n");
  EXPECT_EQ(b.black_name_from_coord[Square("a1")], kind_knight);
  EXPECT_EQ(b.black_piece[kind_pawn], 0u);
}

// An unmatched token warns, keeps the position, and still takes a slot of the history.
TEST(PositionCommand, UnmatchedTokens) {
  const u64 start_key = Key_of_fen(start_fen);
  const u64 after_e4 = Key_of_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
  const struct {
    const char* line;
    int warnings;
    u16 game_ply;
    u64 last_key;
  } cases[] = {
      {"position startpos moves e2e5", 1, 1, start_key},
      {"position startpos moves e2e5 e2e4", 1, 2, after_e4},  // white is still to move
      {"position startpos moves e7e5", 1, 1, start_key},      // not white's move
      {"position startpos moves  e2e4", 1, 1, start_key},     // the first token begins with a space
      {"position startpos moves e2e4r", 1, 1, start_key},     // a letter on a move that does not promote
      {"position startpos moves", 0, 0, start_key},
      {"position startpos moves ", 0, 0, start_key},
  };
  for (const auto& c : cases) {
    T_Bitboard b{};
    Output_capture out;
    Run_position(b, c.line);
    EXPECT_EQ(out.Count(moves_warning), c.warnings) << c.line;
    EXPECT_EQ(out.Text().size(), c.warnings * moves_warning.size()) << c.line;
    EXPECT_EQ(game_ply, c.game_ply) << c.line;
    EXPECT_EQ(game_keys[game_ply], c.last_key) << c.line;
    if (c.game_ply >= 1) {
      EXPECT_EQ(game_keys[1], start_key) << c.line;
    }
    EXPECT_EQ(Key_from_scratch(b), c.last_key) << c.line;
  }
  // Tokens that name no squares: whatever the reply, the position stays and nothing
  // beyond the line is read.
  for (const char* line : {"position startpos moves e2", "position startpos moves e9e4", "position startpos moves z2z4"}) {
    T_Bitboard b{};
    Output_capture out;
    Run_position(b, line);
    EXPECT_EQ(Key_from_scratch(b), start_key) << line;
    EXPECT_EQ(game_keys[game_ply], start_key) << line;
  }
}

// Knights going out and back: after k tokens the position is one of four, by k mod 4.
TEST(PositionCommand, LongMoveLists) {
  const char* const tokens[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  const u64 state_keys[4] = {
      Key_of_fen(start_fen),
      Key_of_fen("rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq - 1 1"),
      Key_of_fen("rnbqkb1r/pppppppp/5n2/8/8/5N2/PPPPPPPP/RNBQKB1R w KQkq - 2 2"),
      Key_of_fen("rnbqkb1r/pppppppp/5n2/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 3 2"),
  };
  for (const int count : {4, 255, 256, 257, 999, 1000, 1200}) {
    std::string line = "position startpos moves";
    for (int i = 0; i < count; ++i) line += std::string(" ") + tokens[i % 4];
    T_Bitboard b{};
    Output_capture out;
    Run_position(b, line);
    const int replayed = count < game_keys_size - 1 ? count : game_keys_size - 1;
    ASSERT_EQ(game_ply, replayed) << count << " tokens";
    for (int k = 0; k <= replayed; ++k) ASSERT_EQ(game_keys[k], state_keys[k % 4]) << count << " tokens, slot " << k;
    for (int k = replayed + 1; k < game_keys_size; ++k) ASSERT_EQ(game_keys[k], static_cast<u64>(k));
    EXPECT_EQ(Key_from_scratch(b), game_keys[game_ply]) << count << " tokens: the record is the last recorded position";
    if (count <= replayed) {
      EXPECT_EQ(out.Text(), "") << count << " tokens";
    }
  }
}

// ---- the FEN reader on malformed text ----

// Every piece sits in exactly the sets its name array says, and nowhere else.
void Expect_consistent(const T_Bitboard& b, const std::string& what) {
  u64 white = 0, black = 0;
  for (int kind = 1; kind <= 6; ++kind) {
    white |= b.white_piece[kind];
    black |= b.black_piece[kind];
    for (int s = 0; s < 64; ++s) {
      EXPECT_EQ((b.white_piece[kind] >> s) & 1, b.white_name_from_coord[s] == kind ? 1u : 0u) << what << " square " << s;
      EXPECT_EQ((b.black_piece[kind] >> s) & 1, b.black_name_from_coord[s] == kind ? 1u : 0u) << what << " square " << s;
    }
  }
  EXPECT_EQ(b.all_white_piece, white) << what;
  EXPECT_EQ(b.all_black_piece, black) << what;
  EXPECT_EQ(b.all_piece, white | black) << what;
}

TEST(ReadFen, MalformedTextKeepsWhatIsReadable) {
  const std::string long_row = "fen K" + std::string(300, '1') + "/7k/8/8/8/8/8/8 b - e3 0 1";
  const struct {
    std::string text;
    u64 white, black;
    u8 colour;      // the board starts with colour_move 1
    int passage;    // -1: not checked; else taking_passage_yes
    u8 x, y;
  } cases[] = {
      {"fen 8/8/8/8/8/8/8/K6k/PPPPPPPP b - - 0 1", Bit(Square("a1")), Bit(Square("h1")), 0, 0, 0, 0},
      {"fen 8/K6kQQQ/8/8/8/8/8/8 b - - 0 1", Bit(Square("a7")), Bit(Square("h7")), 0, 0, 0, 0},
      {"fen K6kQQQ/8/8/8/8/8/8/8 b - - 0 1", Bit(Square("a8")), Bit(Square("h8")), 0, 0, 0, 0},
      {"fen 7K7k/8/8/8/8/8/8/8 b - - 0 1", Bit(Square("h8")), 0, 0, 0, 0, 0},
      {"fen 9K6/8/8/8/8/8/8/7k b - - 0 1", Bit(Square("b8")), Bit(Square("h1")), 0, 0, 0, 0},  // 9 is no digit: one square
      {"fen rnbqkbnr/pppppppp", 0, 0xFFFF000000000000ULL, 1, -1, 0, 0},
      {"fen 8/8/8/8/8/8/8/K6k", Bit(Square("a1")), Bit(Square("h1")), 1, -1, 0, 0},
      {"fen 8/8/8/8/8/8/8/K6k b", Bit(Square("a1")), Bit(Square("h1")), 0, -1, 0, 0},
      {"fen", 0, 0, 1, -1, 0, 0},
      {"", 0, 0, 1, -1, 0, 0},
      {"fen 8/8/8/8/8/8/8/K6k w - e3 0 1", Bit(Square("a1")), Bit(Square("h1")), 1, 1, 4, 2},
      {"fen 8/8/8/8/8/8/8/K6k w - h6 0 1", Bit(Square("a1")), Bit(Square("h1")), 1, 1, 7, 5},
      {"fen 8/8/8/8/8/8/8/K6k w - z9 0 1", Bit(Square("a1")), Bit(Square("h1")), 1, 0, 0, 0},
      {"fen 8/8/8/8/8/8/8/K6k w - e9 0 1", Bit(Square("a1")), Bit(Square("h1")), 1, 0, 0, 0},
      {"fen 8/8/8/8/8/8/8/K6k w - i3 0 1", Bit(Square("a1")), Bit(Square("h1")), 1, 0, 0, 0},
      {"fen 8/8/8/8/8/8/8/K6k w - e", Bit(Square("a1")), Bit(Square("h1")), 1, 0, 0, 0},
      {long_row, Bit(Square("a8")), Bit(Square("h7")), 0, 1, 4, 2},
  };
  for (const auto& c : cases) {
    T_Bitboard b{};
    b.colour_move = 1;
    Read_fen(b, c.text.c_str());
    const std::string what = c.text.substr(0, 48);
    EXPECT_EQ(b.all_white_piece, c.white) << what;
    EXPECT_EQ(b.all_black_piece, c.black) << what;
    EXPECT_EQ(b.colour_move, c.colour) << what;
    Expect_consistent(b, what);
    if (c.passage >= 0) {
      EXPECT_EQ(b.taking_passage_yes, c.passage) << what;
      if (c.passage == 1) {
        EXPECT_EQ(b.taking_passage_x, c.x) << what;
        EXPECT_EQ(b.taking_passage_y, c.y) << what;
      }
    }
  }
  // Castling letters that are there are read, even when the text stops after them.
  T_Bitboard b{};
  Read_fen(b, "fen 8/8/8/8/8/8/8/K6k w KQ");
  EXPECT_EQ(b.castling_K, 1);
  EXPECT_EQ(b.castling_Q, 1);
  EXPECT_EQ(b.castling_k, 0);
  EXPECT_EQ(b.castling_q, 0);
  EXPECT_EQ(b.taking_passage_yes, 0);
}

// ---- the input layer ----

class InputLayer : public ::testing::Test {
 protected:
  void TearDown() override {
    input_fd = 0;
    Input_reset();
  }
  static void Write_all(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      ASSERT_GT(n, 0);
      done += static_cast<std::size_t>(n);
    }
  }
  static char line[line_size];
};
char InputLayer::line[line_size];

TEST_F(InputLayer, CountsOwnBufferAndSystemBytes) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  input_fd = fds[0];
  Input_reset();
  EXPECT_EQ(Input_available(), 0u);
  Write_all(fds[1], "isready\nstop\n");
  EXPECT_EQ(Input_available(), 13u);
  ASSERT_TRUE(Read_line(line));
  EXPECT_STREQ(line, "isready");
  EXPECT_EQ(Input_available(), 5u) << "the rest of the input still waits, wherever it is held";
  Write_all(fds[1], "go\n");
  EXPECT_EQ(Input_available(), 8u);
  std::memset(line, 'x', sizeof line);
  ASSERT_TRUE(Read_line(line));
  EXPECT_STREQ(line, "stop");
  ASSERT_TRUE(Read_line(line));
  EXPECT_STREQ(line, "go");
  EXPECT_EQ(Input_available(), 0u);

  Write_all(fds[1], "\nlast");  // an empty line, then one without its line feed
  ::close(fds[1]);
  ASSERT_TRUE(Read_line(line));
  EXPECT_STREQ(line, "");
  ASSERT_TRUE(Read_line(line));
  EXPECT_STREQ(line, "last");
  EXPECT_FALSE(Read_line(line));
  EXPECT_FALSE(Read_line(line));
  ::close(fds[0]);
}

TEST_F(InputLayer, LongestLineAndTheFailureAfterIt) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const std::string longest(line_size - 1, 'a');  // 65533 characters
  const std::string too_long(line_size, 'b');     // 65534 characters
  Write_all(fileno(file), longest + "\n" + too_long + "\nquit\n");
  ASSERT_EQ(lseek(fileno(file), 0, SEEK_SET), 0);
  input_fd = fileno(file);
  Input_reset();

  ASSERT_TRUE(Read_line(line));
  EXPECT_EQ(std::strlen(line), longest.size());
  EXPECT_EQ(std::string(line), longest);
  EXPECT_FALSE(Read_line(line));
  EXPECT_FALSE(Read_line(line)) << "the failure lasts: the quit line after it is never read";
  std::fclose(file);
}

}  // namespace
