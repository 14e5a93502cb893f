// Unbuffered writes to the output descriptor, retried until every byte is out.
#include "driver/output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int output_fd = 1;

void Write_bytes(const char* text, std::size_t length) {
  while (length > 0) {
    const ssize_t written = ::write(output_fd, text, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;  // a closed output is not our failure to report: the engine goes on
    }
    text += written;
    length -= static_cast<std::size_t>(written);
  }
}

void Write_text(const char* text) { Write_bytes(text, std::strlen(text)); }

void Write_unsigned(std::uint64_t value) {
  char digits[24];
  int n = sizeof digits;
  do {
    digits[--n] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  Write_bytes(digits + n, sizeof digits - n);
}

void Write_signed(std::int64_t value) {
  if (value < 0) {
    char digits[24];
    int n = sizeof digits;
    std::uint64_t magnitude = 0 - static_cast<std::uint64_t>(value);
    do {
      digits[--n] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    digits[--n] = '-';
    Write_bytes(digits + n, sizeof digits - n);
    return;
  }
  Write_unsigned(static_cast<std::uint64_t>(value));
}

void (*end_process_hook)(int code) = nullptr;

void End_process(int code) {
  if (end_process_hook) end_process_hook(code);
  std::exit(code);
}
