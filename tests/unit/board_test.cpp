// Edge cases of the board machinery: the constant tables, the order and contents of
// the generated lists, castling conditions, the flag and material rules of make and
// unmake, the king-attack tests, the Zobrist keys and the record comparison.
#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/output.h"
#include "movegen/movegen.h"

namespace {

T_Bitboard Set_up(const std::string& fen) {
  T_Bitboard b{};
  Read_fen(b, ("fen " + fen).c_str());
  b.eval = test_eval(b);
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

bool Is_promotion(int type) { return (type >= 12 && type <= 15) || (type >= 22 && type <= 25); }

std::string Move_text(i32 m) {
  std::string text;
  text += static_cast<char>('a' + Move_from(m) % 8);
  text += static_cast<char>('1' + Move_from(m) / 8);
  text += static_cast<char>('a' + Move_to(m) % 8);
  text += static_cast<char>('1' + Move_to(m) / 8);
  if (Is_promotion(Move_type(m))) text += " nbrq"[Move_type(m) % 10 - 1];
  return text;
}

// "e7d8q:25:4:25": the move, its type, the captured kind and the sort key.
std::string Tactical_text(const T_List& list, int i) {
  const i32 m = list.move[i];
  return Move_text(m) + ":" + std::to_string(Move_type(m)) + ":" + std::to_string(Move_captured(m)) + ":" +
         std::to_string(list.sort[i]);
}

std::vector<std::string> Texts(const T_List& list, int begin, int end) {
  std::vector<std::string> texts;
  for (int i = begin; i < end; ++i) texts.push_back(Move_text(list.move[i]));
  return texts;
}

int Find(const T_List& list, const std::string& text) {
  for (int i = 0; i < list.end_list; ++i)
    if (Move_text(list.move[i]) == text) return i;
  return -1;
}

// Everything the record comparison writes while it runs.
std::string Compare_text(const T_Bitboard& test, const T_Bitboard& b) {
  FILE* file = std::tmpfile();
  const int saved = output_fd;
  output_fd = fileno(file);
  Compare_bitboard(test, b);
  output_fd = saved;
  std::string text(static_cast<size_t>(lseek(fileno(file), 0, SEEK_CUR)), '\0');
  const ssize_t n = text.empty() ? 0 : pread(fileno(file), text.data(), text.size(), 0);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  std::fclose(file);
  return text;
}

// ---------------------------------------------------------------------------------
// Tables

TEST(Tables, StepCountsRayUnionsAndEmptyEdges) {
  EXPECT_EQ(std::popcount(knight_attack[0]), 2);
  EXPECT_EQ(std::popcount(knight_attack[27]), 8);  // d4
  for (int s = 0; s < 64; ++s) {
    SCOPED_TRACE("square " + std::to_string(s));
    const int f = s % 8, r = s / 8;
    const bool file_edge = f == 0 || f == 7, rank_edge = r == 0 || r == 7;
    EXPECT_EQ(std::popcount(king_attack[s]), file_edge && rank_edge ? 3 : file_edge || rank_edge ? 5 : 8);

    const u64 file = 0x0101010101010101ULL << f, rank = 0xFFULL << (8 * r), self = u64{1} << s;
    EXPECT_EQ(ray_up[s] | ray_down[s], file & ~self);
    EXPECT_EQ(ray_up[s] & ray_down[s], 0u);
    EXPECT_EQ(ray_left[s] | ray_right[s], rank & ~self);
    EXPECT_EQ(ray_left[s] & ray_right[s], 0u);
    // A diagonal is empty exactly where its direction leaves the board at once.
    EXPECT_EQ(ray_up_right[s] == 0, f == 7 || r == 7);
    EXPECT_EQ(ray_up_left[s] == 0, f == 0 || r == 7);
    EXPECT_EQ(ray_down_right[s] == 0, f == 7 || r == 0);
    EXPECT_EQ(ray_down_left[s] == 0, f == 0 || r == 0);

    EXPECT_EQ(pawn_attack_white[s] == 0, rank_edge);
    EXPECT_EQ(pawn_attack_black[s] == 0, rank_edge);
  }
}

// ---------------------------------------------------------------------------------
// Generation

TEST(Generation, StartPositionOrder) {
  const struct {
    const char* fen;
    std::vector<std::string> moves;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       {"b1a3", "b1c3", "g1f3", "g1h3", "a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4",
        "d2d3", "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"}},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1",
       {"b8a6", "b8c6", "g8f6", "g8h6", "a7a5", "a7a6", "b7b5", "b7b6", "c7c5", "c7c6",
        "d7d5", "d7d6", "e7e5", "e7e6", "f7f5", "f7f6", "g7g5", "g7g6", "h7h5", "h7h6"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fen);
    const T_Bitboard b = Set_up(c.fen);
    T_List list;
    Generate(list, b);
    EXPECT_EQ(list.end_captures, 0);
    EXPECT_EQ(Texts(list, 0, list.end_list), c.moves);
    for (int i = 0; i < list.end_list; ++i) {
      const i32 m = list.move[i];
      const u8* names = b.colour_move ? b.white_name_from_coord : b.black_name_from_coord;
      EXPECT_EQ(Move_type(m), quiet);
      EXPECT_EQ(Move_captured(m), 0);
      EXPECT_EQ(Move_piece(m), names[Move_from(m)]);
    }
  }
}

// The tactical prefix, entry by entry: promotions queen, rook, bishop, knight; en
// passant after the pawn's ordinary captures; captured kinds read from the board.
TEST(Generation, TacticalListsInOrder) {
  const struct {
    const char* fen;
    std::vector<std::string> tactical;
  } cases[] = {
      {"3r1r2/4P3/8/8/8/7k/8/K7 w - - 0 1",
       {"e7e8q:15:0:15", "e7e8r:14:0:14", "e7e8b:13:0:13", "e7e8n:12:0:12",
        "e7d8q:25:4:25", "e7d8r:24:4:24", "e7d8b:23:4:23", "e7d8n:22:4:22",
        "e7f8q:25:4:25", "e7f8r:24:4:24", "e7f8b:23:4:23", "e7f8n:22:4:22"}},
      {"3rkr2/4P3/8/8/8/8/8/K7 w - - 0 1",
       {"e7d8q:25:4:25", "e7d8r:24:4:24", "e7d8b:23:4:23", "e7d8n:22:4:22",
        "e7f8q:25:4:25", "e7f8r:24:4:24", "e7f8b:23:4:23", "e7f8n:22:4:22"}},
      {"k7/8/8/8/8/8/4p3/3R1R1K b - - 0 1",
       {"e2e1q:15:0:15", "e2e1r:14:0:14", "e2e1b:13:0:13", "e2e1n:12:0:12",
        "e2d1q:25:4:25", "e2d1r:24:4:24", "e2d1b:23:4:23", "e2d1n:22:4:22",
        "e2f1q:25:4:25", "e2f1r:24:4:24", "e2f1b:23:4:23", "e2f1n:22:4:22"}},
      {"4k3/8/5n2/3pP3/8/8/8/4K3 w - d6 0 1", {"e5f6:2:2:19", "e5d6:5:1:5"}},
      {"4k3/8/5n2/2PpP3/8/8/8/4K3 w - d6 0 1", {"c5d6:5:1:5", "e5f6:2:2:19", "e5d6:5:1:5"}},
      {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", {"d4e3:5:1:5"}},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", {}},
      // Along the a-file the rook stops at the first piece and takes it only if black.
      {"4k3/8/8/8/P7/8/8/R3K3 w - - 0 1", {}},
      {"4k3/8/8/8/p7/8/8/R3K3 w - - 0 1", {"a1a4:2:1:6"}},
      // A king in reach is taken like any other piece.
      {"4k3/8/8/8/8/8/8/K3R3 w - - 0 1", {"e1e8:2:6:56"}},
      {"4k3/8/8/8/8/2n5/3P4/4K3 w - - 0 1", {"d2c3:2:2:19"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fen);
    const T_Bitboard b = Set_up(c.fen);
    T_List list;
    Generate(list, b);
    const u8* names = b.colour_move ? b.white_name_from_coord : b.black_name_from_coord;
    std::vector<std::string> tactical;
    for (int i = 0; i < list.end_captures; ++i) {
      tactical.push_back(Tactical_text(list, i));
      EXPECT_EQ(Move_piece(list.move[i]), names[Move_from(list.move[i])]);
    }
    EXPECT_EQ(tactical, c.tactical);
  }
}

TEST(Generation, RookRayStopsAtFirstPiece) {
  const struct {
    const char* fen;
    std::vector<std::string> rook_moves;  // quiet and tactical moves from a1, in list order
  } cases[] = {
      {"4k3/8/8/8/P7/8/8/R3K3 w - - 0 1", {"a1a2", "a1a3", "a1b1", "a1c1", "a1d1"}},
      {"4k3/8/8/8/p7/8/8/R3K3 w - - 0 1", {"a1a4", "a1a2", "a1a3", "a1b1", "a1c1", "a1d1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fen);
    T_List list;
    Generate(list, Set_up(c.fen));
    std::vector<std::string> rook_moves;
    for (const auto& text : Texts(list, 0, list.end_list))
      if (text.rfind("a1", 0) == 0) rook_moves.push_back(text);
    EXPECT_EQ(rook_moves, c.rook_moves);
  }
}

// With the black pawns taken out of the enemy set, as the quiescence search does for
// one call, no pawn is captured, yet the pawn still stops the rook's ray.
TEST(Generation, CaptureTargetsFromEnemySetBlockersFromAllPieces) {
  T_Bitboard b = Set_up("r3k3/8/8/8/p7/8/8/R3K3 w - - 0 1");
  T_List list;
  Generator_captures_white(list, b);
  ASSERT_EQ(list.end_captures, 1);
  EXPECT_EQ(Tactical_text(list, 0), "a1a4:2:1:6");
  b.all_black_piece &= ~b.black_piece[kind_pawn];
  Generator_captures_white(list, b);
  EXPECT_EQ(list.end_captures, 0);
  EXPECT_EQ(list.end_list, 0);
}

TEST(Generation, CastlingNeedsRightEmptySquaresAndSafeKingPath) {
  const struct {
    const char* fen;
    bool queen_side;
    bool king_side;
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, true},
      {"1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", true, true},    // only b1 attacked
      {"2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", false, true},   // c1 attacked
      {"4k3/8/8/8/6b1/8/8/R3K2R w KQ - 0 1", false, true},   // d1 attacked
      {"k3r3/8/8/8/8/8/8/R3K2R w KQ - 0 1", false, false},   // e1 attacked
      {"4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", false, true},    // b1 occupied
      {"4k3/8/8/8/2b5/8/8/R3K2R w KQ - 0 1", true, false},   // f1 attacked
      {"4k3/8/8/8/8/8/7p/R3K2R w KQ - 0 1", true, false},    // g1 attacked by a pawn
      {"4k2r/8/8/8/8/8/8/R3K2R w KQ - 0 1", true, true},     // only h1 attacked
      {"4k3/8/8/8/8/8/8/R3K2R w Q - 0 1", true, false},
      {"4k3/8/8/8/8/8/8/R3K1NR w KQ - 0 1", true, false},    // g1 occupied
      {"r3k2r/8/8/8/8/8/8/4K3 b kq - 0 1", true, true},
      {"r3k2r/8/8/8/8/8/8/1R2K3 b kq - 0 1", true, true},    // only b8 attacked
      {"r3k2r/8/8/8/8/8/8/3RK3 b kq - 0 1", false, true},    // d8 attacked
      {"r3k2r/8/8/8/8/8/8/4K1R1 b kq - 0 1", true, false},   // g8 attacked
      {"r3k2r/8/8/8/8/8/8/4KR2 b kq - 0 1", true, false},    // f8 attacked
      {"r3k2r/8/8/8/8/8/8/2R1K3 b kq - 0 1", false, true},   // c8 attacked
      {"r3k2r/3P4/8/8/8/8/8/4K3 b kq - 0 1", false, false},  // e8 attacked by a pawn
      {"rn2k2r/8/8/8/8/8/8/4K3 b kq - 0 1", false, true},    // b8 occupied
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fen);
    const T_Bitboard b = Set_up(c.fen);
    T_List list;
    Generate(list, b);
    const int home = b.colour_move ? 4 : 60;
    int queen_side = 0, king_side = 0;
    for (int i = 0; i < list.end_list; ++i) {
      const i32 m = list.move[i];
      const int type = Move_type(m);
      if (type != castling_queen_side && type != castling_king_side) continue;
      (type == castling_queen_side ? queen_side : king_side) += 1;
      EXPECT_EQ(Move_from(m), home);
      EXPECT_EQ(Move_to(m), home + (type == castling_queen_side ? -2 : 2));
      EXPECT_EQ(Move_piece(m), kind_king);
      EXPECT_EQ(list.sort[i], type);
    }
    EXPECT_EQ(queen_side, c.queen_side ? 1 : 0);
    EXPECT_EQ(king_side, c.king_side ? 1 : 0);
  }
}

// The quiet generator writes castling right after the king's steps, before the rooks.
TEST(Generation, CastlingFollowsKingSteps) {
  T_List list;
  Generate(list, Set_up("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"));
  ASSERT_GE(list.end_list, 8);
  EXPECT_EQ(Texts(list, list.end_captures, list.end_captures + 8),
            (std::vector<std::string>{"e1d1", "e1f1", "e1d2", "e1e2", "e1f2", "e1c1", "e1g1", "a1a2"}));
}

// ---------------------------------------------------------------------------------
// Make and unmake

struct T_Square_kinds {
  int square;
  u8 white;
  u8 black;
};

TEST(MakeUnmake, FlagsMaterialAndSquaresThenExactRestore) {
  const char* all_rights = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
  const char* all_rights_black = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";
  const struct {
    const char* fen;
    const char* move;
    int type;
    int captured;
    const char* flags_after;  // castling_Q, castling_K, castling_q, castling_k
    i32 eval_change;
    std::vector<T_Square_kinds> squares_after;
  } cases[] = {
      {all_rights, "e1f1", quiet, 0, "0011", 0, {{4, 0, 0}, {5, 6, 0}}},
      {all_rights, "a1a8", capture, 4, "0101", 600, {{0, 0, 0}, {56, 4, 0}}},
      {all_rights, "h1h5", quiet, 0, "1011", 0, {{7, 0, 0}, {39, 4, 0}}},
      {all_rights, "e1g1", castling_king_side, 0, "0011", 0, {{4, 0, 0}, {5, 4, 0}, {6, 6, 0}, {7, 0, 0}}},
      {all_rights, "e1c1", castling_queen_side, 0, "0011", 0, {{0, 0, 0}, {2, 6, 0}, {3, 4, 0}, {4, 0, 0}}},
      {all_rights_black, "e8c8", castling_queen_side, 0, "1100", 0, {{56, 0, 0}, {58, 0, 6}, {59, 0, 4}, {60, 0, 0}}},
      {all_rights_black, "e8g8", castling_king_side, 0, "1100", 0, {{60, 0, 0}, {61, 0, 4}, {62, 0, 6}, {63, 0, 0}}},
      {all_rights_black, "h8h1", capture, 4, "1010", -600, {{7, 0, 4}, {63, 0, 0}}},
      {"4k3/8/8/8/8/8/6b1/R3K2R b KQ - 0 1", "g2h1", capture, 4, "1000", -600, {{7, 0, 3}}},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", taking_passage, 1, "0000", 100,
       {{35, 0, 0}, {36, 0, 0}, {43, 1, 0}}},
      {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4e3", taking_passage, 1, "0000", -100,
       {{27, 0, 0}, {28, 0, 0}, {20, 0, 1}}},
      {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8q", 15, 0, "0000", 1100, {{48, 0, 0}, {56, 5, 0}}},
      {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a2a1r", 14, 0, "0000", -500, {{8, 0, 0}, {0, 0, 4}}},
      {"r3k3/1P6/8/8/8/8/8/4K3 w q - 0 1", "b7a8n", 22, 4, "0000", 900, {{49, 0, 0}, {56, 2, 0}}},
      {"4k3/8/8/8/8/8/1p6/R3K3 b Q - 0 1", "b2a1q", 25, 4, "0000", -1700, {{9, 0, 0}, {0, 0, 5}}},
      {"4k3/8/8/8/8/8/8/K3R3 w - - 0 1", "e1e8", capture, 6, "0000", 90000, {{60, 4, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fen) + " " + c.move);
    T_Bitboard b = Set_up(c.fen);
    T_Bitboard before;
    Copy_bitboard(before, b);
    T_List list;
    Generate(list, b);
    const int index = Find(list, c.move);
    ASSERT_GE(index, 0);
    EXPECT_EQ(Move_type(list.move[index]), c.type);
    EXPECT_EQ(Move_captured(list.move[index]), c.captured);

    const u8 white = b.colour_move;
    T_Undo undo;
    const u8 i = static_cast<u8>(index);
    white ? Make_move_white(undo, b, i, list) : Make_move_black(undo, b, i, list);
    const std::string flags{char('0' + b.castling_Q), char('0' + b.castling_K), char('0' + b.castling_q),
                            char('0' + b.castling_k)};
    EXPECT_EQ(flags, c.flags_after);
    EXPECT_EQ(b.eval - before.eval, c.eval_change);
    EXPECT_EQ(b.eval, test_eval(b));
    EXPECT_EQ(b.colour_move, white ? 0 : 1);
    EXPECT_EQ(b.taking_passage_yes, 0);
    EXPECT_EQ(b.all_piece, b.all_white_piece | b.all_black_piece);
    for (const auto& q : c.squares_after) {
      EXPECT_EQ(b.white_name_from_coord[q.square], q.white) << "square " << q.square;
      EXPECT_EQ(b.black_name_from_coord[q.square], q.black) << "square " << q.square;
      for (int kind = 1; kind <= 6; ++kind) {
        EXPECT_EQ((b.white_piece[kind] >> q.square) & 1, kind == q.white ? 1u : 0u) << "square " << q.square;
        EXPECT_EQ((b.black_piece[kind] >> q.square) & 1, kind == q.black ? 1u : 0u) << "square " << q.square;
      }
    }

    white ? Unmake_move_white(b, undo, i, list) : Unmake_move_black(b, undo, i, list);
    EXPECT_EQ(Compare_text(before, b), "");
  }
}

// The en-passant file and rank are written only by a double step and stay put after
// any other move; unmaking the moves in reverse gives back the start exactly.
TEST(MakeUnmake, DoubleStepSetsEnPassantFields) {
  const struct {
    const char* move;
    u8 yes, x, y, colour;
  } steps[] = {
      {"e2e4", 1, 4, 2, 0},
      {"d7d5", 1, 3, 5, 1},
      {"a2a3", 0, 3, 5, 0},
      {"g8f6", 0, 3, 5, 1},
  };
  T_Bitboard b = Set_up("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  T_Bitboard start;
  Copy_bitboard(start, b);
  T_List lists[4];
  T_Undo undos[4];
  u8 indices[4];
  for (int n = 0; n < 4; ++n) {
    SCOPED_TRACE(steps[n].move);
    Generate(lists[n], b);
    const int index = Find(lists[n], steps[n].move);
    ASSERT_GE(index, 0);
    indices[n] = static_cast<u8>(index);
    const T_Bitboard before = b;
    if (b.colour_move)
      Make_move_white(undos[n], b, indices[n], lists[n]);
    else
      Make_move_black(undos[n], b, indices[n], lists[n]);
    EXPECT_EQ(b.taking_passage_yes, steps[n].yes);
    EXPECT_EQ(b.taking_passage_x, steps[n].x);
    EXPECT_EQ(b.taking_passage_y, steps[n].y);
    EXPECT_EQ(b.colour_move, steps[n].colour);
    const T_Undo& u = undos[n];
    EXPECT_EQ(u.taking_passage_yes, before.taking_passage_yes);
    EXPECT_EQ(u.taking_passage_x, before.taking_passage_x);
    EXPECT_EQ(u.taking_passage_y, before.taking_passage_y);
    EXPECT_EQ(u.castling_Q + u.castling_K + u.castling_q + u.castling_k, 4);
  }
  for (int n = 3; n >= 0; --n) {
    if (b.colour_move)
      Unmake_move_black(b, undos[n], indices[n], lists[n]);
    else
      Unmake_move_white(b, undos[n], indices[n], lists[n]);
  }
  EXPECT_EQ(Compare_text(start, b), "");
}

// ---------------------------------------------------------------------------------
// King attacks

TEST(Attacks, KingCheckReportsFirstAttackerKind) {
  const struct {
    const char* fen;
    int white_check;
    int black_check;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0, 0},
      {"4r2k/8/8/8/8/8/8/4K3 w - - 0 1", 4, 0},
      {"4r2k/8/8/8/4N3/8/8/4K3 w - - 0 1", 0, 0},
      {"4r2k/8/8/8/4n3/8/8/4K3 w - - 0 1", 0, 0},
      {"7k/8/8/8/7q/8/8/4K3 w - - 0 1", 5, 0},
      {"7k/8/8/8/7q/8/5P2/4K3 w - - 0 1", 0, 0},
      {"7k/8/8/8/8/8/3p4/4K3 w - - 0 1", 1, 0},
      {"7k/8/8/8/8/8/4p3/4K3 w - - 0 1", 0, 0},
      {"7k/8/8/8/K6p/8/8/8 w - - 0 1", 0, 0},  // h4 is a4 + 7, but on the far edge
      {"7k/8/8/1p6/K7/8/8/8 w - - 0 1", 1, 0},
      {"4k3/8/5N2/8/8/8/8/K7 b - - 0 1", 0, 2},
      {"4k3/3K4/8/8/8/8/8/8 b - - 0 1", 6, 6},
      {"8/8/8/8/8/3k4/2P5/K7 b - - 0 1", 0, 1},
      {"8/8/8/8/8/3k4/4P3/K7 b - - 0 1", 0, 1},
      {"8/8/8/8/8/3k4/3P4/K7 b - - 0 1", 0, 0},
      {"k7/8/8/8/8/8/8/R3K3 b - - 0 1", 0, 4},
      {"k7/8/8/8/8/8/8/Q3K3 b - - 0 1", 0, 5},
      {"k7/8/8/8/8/8/8/4K2B b - - 0 1", 0, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fen);
    const T_Bitboard b = Set_up(c.fen);
    EXPECT_EQ(King_white_check(b), c.white_check);
    EXPECT_EQ(King_black_check(b), c.black_check);
  }
}

// ---------------------------------------------------------------------------------
// Zobrist keys

TEST(Zobrist, PieceKeysLeaveBits30And46Clear) {
  Init_zobrist();
  for (int colour = 0; colour < 2; ++colour)
    for (int s = 0; s < 64; ++s) {
      EXPECT_EQ(zobrist_piece[colour][0][s], 0u);
      for (int kind = 1; kind <= 6; ++kind) {
        const u64 key = zobrist_piece[colour][kind][s];
        EXPECT_EQ(key & ((u64{1} << 30) | (u64{1} << 46)), 0u) << colour << " " << kind << " " << s;
      }
    }
}

// Before the key tables are filled, the placement adds nothing to a key.
TEST(Zobrist, StartKeyWithEmptyTablesHoldsOnlyFixedKeys) {
  static u64 saved[2][7][64];
  std::memcpy(saved, zobrist_piece, sizeof saved);
  std::memset(zobrist_piece, 0, sizeof zobrist_piece);
  T_Bitboard b = Set_up("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  Hash_key_from_scratch(b);
  std::memcpy(zobrist_piece, saved, sizeof saved);
  EXPECT_EQ(b.hash_key,
            zobrist_white_to_move ^ zobrist_castling_K ^ zobrist_castling_Q ^ zobrist_castling_k ^ zobrist_castling_q);
}

// The source's state is not visible, and earlier tests may have drawn from it, so
// the test recovers the state from a few draws of its own: a draw shows bits 16-30
// of the state, and only bits 0-30 ever reach a draw. From there it predicts every
// key of the next fill, and it checks that the state lies on the path from seed 1.
TEST(Zobrist, FillFollowsTheSourceFromSeedOne) {
  constexpr u32 mask = 0x7FFFFFFF;
  auto step = [](u32 x) { return x * 214013u + 2531011u; };
  auto draw_of = [](u32 x) { return (x >> 16) & 0x7FFF; };

  u32 draws[4];
  for (u32& d : draws) d = Zobrist_random();
  std::vector<u32> states;
  for (u32 low = 0; low < 0x10000; ++low) {
    u32 x = (draws[0] << 16) | low;
    bool fits = true;
    for (int n = 1; n < 4 && fits; ++n) fits = draw_of(x = step(x)) == draws[n];
    if (fits) states.push_back((draws[0] << 16) | low);
  }
  ASSERT_EQ(states.size(), 1u);

  u32 x = states[0];
  for (int n = 1; n < 4; ++n) x = step(x);
  u64 expected[2][7][64] = {};
  for (int colour = 0; colour < 2; ++colour)
    for (int kind = 1; kind <= 6; ++kind)
      for (int s = 0; s < 64; ++s) {
        u64 r[5];
        for (u64& v : r) v = draw_of(x = step(x));
        expected[colour][kind][s] = (r[0] << 59) ^ (r[1] << 47) ^ (r[2] << 31) ^ (r[3] << 15) ^ r[4];
      }
  Init_zobrist();
  EXPECT_EQ(std::memcmp(expected, zobrist_piece, sizeof expected), 0);

  bool on_path = false;
  u32 y = 1;
  for (int n = 0; n < (1 << 22) && !on_path; ++n) on_path = ((y = step(y)) & mask) == (states[0] & mask);
  EXPECT_TRUE(on_path);
}

// ---------------------------------------------------------------------------------
// Self-test

TEST(SelfTest, MaterialFromScratch) {
  const struct {
    const char* fen;
    i32 material;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1", -1200},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1BNR w kq - 0 1", -90000},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKKNR w kq - 0 1", -400},  // two kings count once
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0},
      {"4k3/pppppppp/8/8/8/8/8/QRBNK3 w - - 0 1", 1200 + 600 + 400 + 400 - 800},
  };
  for (const auto& c : cases) EXPECT_EQ(test_eval(Set_up(c.fen)), c.material) << c.fen;
}

TEST(SelfTest, CompareWritesOneLinePerDifferingField) {
  const T_Bitboard start = Set_up("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1");
  const struct {
    std::function<void(T_Bitboard&)> change;
    const char* line;
  } cases[] = {
      {[](T_Bitboard& b) { b.all_piece ^= 1; }, "white test_all_piece != bitboard->all_piece\n"},
      {[](T_Bitboard& b) { b.all_white_piece ^= u64{1} << 63; },
       "white test_all_white_piece != bitboard->all_white_piece\n"},
      {[](T_Bitboard& b) { b.all_black_piece = 0; }, "white test_all_black_piece != bitboard->all_black_piece\n"},
      {[](T_Bitboard& b) { b.colour_move = 0; }, "white test_colour_move != bitboard->colour_move\n"},
      {[](T_Bitboard& b) { b.taking_passage_yes = 1; },
       "white test_taking_passage_yes != bitboard->taking_passage_yes\n"},
      {[](T_Bitboard& b) { b.taking_passage_x = 3; }, "white test_taking_passage_x != bitboard->taking_passage_x\n"},
      {[](T_Bitboard& b) { b.taking_passage_y = 5; }, "white test_taking_passage_y != bitboard->taking_passage_y\n"},
      {[](T_Bitboard& b) { b.castling_Q = 0; }, "white test_castling_Q != bitboard->castling_Q\n"},
      {[](T_Bitboard& b) { b.castling_K = 0; }, "white test_castling_K != bitboard->castling_K\n"},
      {[](T_Bitboard& b) { b.castling_q = 0; }, "white test_castling_q != bitboard->castling_q\n"},
      {[](T_Bitboard& b) { b.castling_k = 0; }, "white test_castling_k != bitboard->castling_k\n"},
      {[](T_Bitboard& b) { b.hash_key ^= 1; }, "white test_hash_key !=  bitboard->hash_key\n"},
      {[](T_Bitboard& b) { b.eval += 1; }, "white test_eval != bitboard->eval\n"},
      {[](T_Bitboard& b) { b.white_piece[0] = 1; }, "white test_white_piece[n] = bitboard->white_piece[n]0\n"},
      {[](T_Bitboard& b) { b.black_piece[6] = 0; }, "white test_black_piece[n] = bitboard->black_piece[n]6\n"},
      {[](T_Bitboard& b) { b.white_name_from_coord[12] = 0; },
       "white test_white_name_from_coord[k] = bitboard->white_name_from_coord[k]12\n"},
      {[](T_Bitboard& b) { b.black_name_from_coord[0] = 2; },
       "white test_black_name_from_coord[k] = bitboard->black_name_from_coord[k]0\n"},
  };
  for (const auto& c : cases) {
    T_Bitboard b;
    Copy_bitboard(b, start);
    c.change(b);
    EXPECT_EQ(Compare_text(start, b), c.line);
  }
  T_Bitboard same;
  Copy_bitboard(same, start);
  EXPECT_EQ(Compare_text(start, same), "");
}

// The lines follow the fixed field order, whatever order the fields were changed in,
// and the indexed rows go up by index with white before black at each index.
TEST(SelfTest, CompareLinesFollowFieldOrder) {
  const T_Bitboard start = Set_up("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1");
  T_Bitboard b;
  Copy_bitboard(b, start);
  b.black_name_from_coord[40] = 1;
  b.white_name_from_coord[40] = 1;
  b.white_name_from_coord[7] = 0;
  b.black_piece[2] ^= 1;
  b.white_piece[5] ^= 1;
  b.eval = -5;
  b.castling_k = 0;
  b.hash_key ^= 4;
  b.taking_passage_x = 6;
  b.all_black_piece ^= 2;
  EXPECT_EQ(Compare_text(start, b),
            "white test_all_black_piece != bitboard->all_black_piece\n"
            "white test_taking_passage_x != bitboard->taking_passage_x\n"
            "white test_castling_k != bitboard->castling_k\n"
            "white test_hash_key !=  bitboard->hash_key\n"
            "white test_eval != bitboard->eval\n"
            "white test_black_piece[n] = bitboard->black_piece[n]2\n"
            "white test_white_piece[n] = bitboard->white_piece[n]5\n"
            "white test_white_name_from_coord[k] = bitboard->white_name_from_coord[k]7\n"
            "white test_white_name_from_coord[k] = bitboard->white_name_from_coord[k]40\n"
            "white test_black_name_from_coord[k] = bitboard->black_name_from_coord[k]40\n");
}

}  // namespace
