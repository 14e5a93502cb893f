// The output layer: every piece goes straight to the output descriptor with one
// write call and no user-space buffer, so a controller sees each line as soon as it
// is complete.
#pragma once
#include <cstddef>
#include <cstdint>

extern int output_fd;  // 1 for the engine; tools may point it elsewhere

void Write_bytes(const char* text, std::size_t length);
void Write_text(const char* text);
void Write_signed(std::int64_t value);
void Write_unsigned(std::uint64_t value);

// Ends the process with the exit code ("quit", the fatal table messages). A tool may
// set a hook that leaves by other means; the hook must not return.
extern void (*end_process_hook)(int code);
[[noreturn]] void End_process(int code);
