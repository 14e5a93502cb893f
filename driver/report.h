// The "info currmove" line the root search writes for every legal root move.
#pragma once
#include "movegen/list.h"
#include <cstdint>

void Report_currmove(const T_List& list, std::uint8_t number, std::uint8_t index, std::uint8_t depth);
