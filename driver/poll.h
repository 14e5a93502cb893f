// The input poll the search runs at each leaf entry: every 50001 entries it looks
// for a waiting line ("quit", "stop") and checks the hard time limit.
#pragma once
#include <cstdint>

extern std::uint16_t poll_counter;
inline constexpr std::uint16_t poll_interval = 50000;

void Poll_input_now();  // the look itself, out of the hot path

inline void Poll_input() {
  if (poll_counter > poll_interval)
    Poll_input_now();
  else
    ++poll_counter;
}
