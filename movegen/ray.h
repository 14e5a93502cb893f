// Nearest blocker along a ray: the lowest set bit for the rays whose squares grow
// away from the piece (up, right, up-right, up-left), the highest for the others.
#pragma once
#include <bit>

#include "movegen/tables.h"

enum class Scan { low, high };

template <Scan scan>
inline int Nearest(u64 set) {
  if constexpr (scan == Scan::low)
    return std::countr_zero(set);
  else
    return 63 - std::countl_zero(set);
}
