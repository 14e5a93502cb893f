// The input layer: lines are read from the input descriptor through our own buffer,
// and the poll can ask, without blocking, how much input is waiting, counting the
// bytes already in that buffer as well as those the operating system holds.
#pragma once
#include <cstdint>

extern int input_fd;  // 0 for the engine; tools may point it elsewhere

// Reads one line into buffer (line_size bytes), without its line feed, NUL-terminated.
// Returns false once the input has failed: at end of input with nothing read, or on
// a line longer than line_size - 1 characters. The failure is lasting.
bool Read_line(char* buffer);

// 0 when nothing is waiting, else a positive count of waiting bytes (1 when the
// descriptor cannot be examined but may be readable).
std::uint32_t Input_available();

// Forgets buffered input and a failure, for tools that reuse the layer.
void Input_reset();

// Removes one carriage return at the end of the line.
void Strip_carriage_return(char* line);
