// Pseudo-legal move generation into a move list, and the king-attack tests that
// decide legality and check.
#pragma once
#include "position/position.h"

// Tactical moves (captures, promotions, en passant) with their sort keys, from index 0.
void Generator_captures_white(T_List& list, const T_Bitboard& b);
void Generator_captures_black(T_List& list, const T_Bitboard& b);
// The remaining moves, appended after the tactical ones of the same colour.
void Generator_move_white(T_List& list, const T_Bitboard& b);
void Generator_move_black(T_List& list, const T_Bitboard& b);

void Add_castling(int type, T_List& list, int king_square, int destination);
u8 White_castling_square_attacked(const T_Bitboard& b, int square);
u8 Black_castling_square_attacked(const T_Bitboard& b, int square);

// 0 when the king is not attacked (or the colour has no king), else the kind of the
// first attacker found.
u8 King_white_check(const T_Bitboard& b);
u8 King_black_check(const T_Bitboard& b);
