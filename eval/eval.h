// Static evaluation: the positional part of the score from white's side. Material
// is not counted here; the record carries it in eval.
#pragma once
#include "position/position.h"

i32 Evaluate(const T_Bitboard& b);
int Rook_file_mobility(int square, u64 occupied, u64 own);
