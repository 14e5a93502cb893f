// The positional score of whole positions, each worked out by hand from the tables
// and terms of the evaluation (king, pawns, rooks, minor pieces), kings included.
#include <gtest/gtest.h>

#include <string>

#include "driver/driver.h"
#include "eval/eval.h"

namespace {

i32 Evaluate_fen(const std::string& fen) {
  T_Bitboard b{};
  Read_fen(b, ("fen " + fen).c_str());
  return Evaluate(b);
}

struct Eval_case {
  const char* what;
  const char* fen;
  i32 score;
};

// Phase shorthand: W and B are the piece sums of white and black. "end" for a side
// means its king and pawns use the endgame rules (the opponent's sum is 1800 or less).
const Eval_case eval_cases[] = {
    {"start position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0},
    // e2 empty: white shield -20; e4 +25 from the middlegame table, no free file (e7).
    {"after 1.e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 5},
    // -20 white shield, +25 e4, +10 knight f3, +20 black shield (e7 empty), -25 e5.
    {"after 1.e4 e5 2.Nf3", "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2", 10},

    // Both sides end, kings a1/h8 on 0. Pawn e5: 30 table + 20 file + 10 + 10 sides + 50 passed.
    {"lone pawn e5, endgame", "7k/8/8/4P3/8/8/8/K7 w - - 0 1", 120},
    // Two black queens: B 2400, white middlegame. King a1: 30 minus gaps h1, a2, b2 (60)
    // = -30. Pawn e5: 25 + 20 + 10 + 10, no passed bonus. Black king end on h8: 0.
    {"lone pawn e5, middlegame", "qq5k/8/8/4P3/8/8/8/K7 w - - 0 1", 35},
    // B exactly 1800 (queen and rook) is still the endgame. Rook a8 sees a7 to a1: -7.
    {"black pieces worth exactly 1800", "rq5k/8/8/4P3/8/8/8/7K w - - 0 1", 120 - 7},
    // A white queen only raises W to 1200: black stays in the endgame, nothing changes.
    {"queen changes nothing below the threshold", "7k/8/8/4P3/3Q4/8/8/K7 w - - 0 1", 120},
    // Black mirror of the lone pawn: e4 is e5 seen from black.
    {"lone black pawn e4, endgame", "7k/8/8/8/4p3/8/8/K7 b - - 0 1", -120},
    // a5: the edge is one free side, the b-file the other: 30 + 20 + 10 + 50.
    {"pawn a5, edge counts as a side", "7k/8/8/P7/8/8/8/7K w - - 0 1", 110},
    // White middlegame (black queens), black endgame. King a1 -30. e4: 25 + 20 + 10 (f-file);
    // d5 stands ahead on the d-file. d5: -(20 + 20 + 10 (c-file)); e4 is ahead on e.
    {"e4 against d5", "qq5k/8/8/3p4/4P3/8/8/K7 w - - 0 1", -25},
    // Endgame. e2: 0 + 40, bonus 0; e3: 10 + 40 + 20; e4: 20 + 40 + 30; doubled -20 once.
    {"three white pawns on one file", "7k/8/8/8/4P3/4P3/4P3/K7 w - - 0 1", 180},
    {"two white pawns on one file", "7k/8/8/8/4P3/8/4P3/K7 w - - 0 1", 110},
    // Black e7: -40; e6: -(10 + 40 + 20); doubled +20.
    {"two black pawns on one file", "7k/4p3/4p3/8/8/8/8/K7 w - - 0 1", -90},

    // Rooks count their file only; kings h1/h8 (end) on 0; knights on the a-file are 0.
    {"rook a1, open file", "7k/8/8/8/8/8/8/R6K w - - 0 1", 7},
    {"rook a1, black piece on a5", "7k/8/8/n7/8/8/8/R6K w - - 0 1", 4},
    {"rook a1, white piece on a5", "7k/8/8/N7/8/8/8/R6K w - - 0 1", 3},
    // Up a5, a6, a7 (enemy counted); down a3, then the own knight on a2 stops it.
    {"rook a4, both directions", "7k/n7/8/8/R7/8/N7/7K w - - 0 1", 4},
    {"black rook h8, open file", "k6r/8/8/8/8/8/8/K7 w - - 0 1", -7},
    // Bishop b2 +15, black knight d6 0, black bishop c5 -20.
    {"minor pieces", "7k/8/3n4/2b5/8/8/1B6/K7 w - - 0 1", -5},

    // King g1 shields, B 2400 from two black queens. Middlegame pawns on rank 2:
    // f2 20 + 10 + 10, g2 the same, h2 20 + 10. King g1 30 minus the gaps.
    {"king g1, full shield", "qq5k/8/8/8/8/8/5PPP/6K1 w - - 0 1", 30 + 110},
    {"king g1, h2 missing", "qq5k/8/8/8/8/8/5PP1/6K1 w - - 0 1", 10 + 80},
    {"king g1, no piece in front", "qq5k/8/8/8/8/8/8/6K1 w - - 0 1", 30 - 60},
    // B 0: king g1 on the endgame table (0); pawns f2 40, g2 40, h2 30, rank-2 bonus 0.
    {"king g1, full shield, endgame", "7k/8/8/8/8/8/5PPP/6K1 w - - 0 1", 0 + 110},
    // Black mirror with W 2400: shield full, -30 for g8, pawns -110.
    {"black king g8, full shield", "6k1/5ppp/8/8/8/8/8/QQ5K w - - 0 1", -30 - 110},
    // One white queen less: W 1200, black king on its endgame table (0), pawns still -110.
    {"black king g8, endgame", "6k1/5ppp/8/8/8/8/8/Q6K w - - 0 1", -110},

    // Shield squares beyond the board are gaps. Pieces on the squares the name array
    // would run into (the other colour's array) must not count as cover.
    // White king e8 (table 0): all three squares off the board, -60. Black queens d1 e1 f1.
    {"white king on the eighth rank", "4K3/8/8/8/k7/8/8/3qqq2 w - - 0 1", -60},
    // The same with own knights (0 on rank 1) on the squares the shield would wrap to.
    {"white king on the eighth rank, own pieces on the first", "4K3/8/8/k7/8/qq6/8/3NNN2 w - - 0 1", -60},
    // White king h7 (-5): g8 and h8 covered by knights (0 on rank 8), the third square is
    // off the board: -20. Black queens a1 b1. Black king a4: endgame 0.
    {"white king on h7", "6NN/7K/8/8/k7/8/8/qq6 w - - 0 1", -25},
    // Black king e1 (table 0), all three below the board: +60. White queens d8 e8 f8.
    {"black king on the first rank", "3QQQ2/8/8/K7/8/8/8/4k3 w - - 0 1", 60},
    {"black king on the first rank, own pieces on the eighth", "3nnn2/8/QQ6/8/K7/8/8/4k3 w - - 0 1", 60},
    // Black king a2 (-5): a1 and b1 covered by knights (0), the third is off: 20 + 5.
    {"black king on a2", "6QQ/8/8/K7/8/8/k7/nn6 w - - 0 1", 25},

    // A colour without a king has no king term.
    {"no black king, endgame", "8/8/8/4P3/3K4/8/8/8 w - - 0 1", 120 + 15},
    {"no black king, middlegame", "8/8/8/8/8/8/8/QQ4K1 w - - 0 1", 0},
    {"no white king, middlegame", "6k1/8/8/8/8/8/8/qq6 w - - 0 1", 0},
};

TEST(Eval, ScoresOfWorkedPositions) {
  for (const Eval_case& c : eval_cases) EXPECT_EQ(Evaluate_fen(c.fen), c.score) << c.what << ": " << c.fen;
}

// The side to move is not part of the score.
TEST(Eval, SideToMoveGivesNoBonus) {
  EXPECT_EQ(Evaluate_fen("qq5k/8/8/3p4/4P3/8/8/K7 b - - 0 1"), Evaluate_fen("qq5k/8/8/3p4/4P3/8/8/K7 w - - 0 1"));
}

}  // namespace
