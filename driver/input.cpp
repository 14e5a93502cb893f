// Line reading on a POSIX descriptor with a buffer of our own, and the non-blocking
// count of waiting input (our buffer plus FIONREAD, or poll where FIONREAD fails).
#include "driver/input.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "driver/driver.h"

int input_fd = 0;

namespace {

char pending[1 << 16];
std::size_t pending_begin = 0, pending_end = 0;
bool input_ended = false;   // the descriptor reported end of input
bool input_failed = false;  // a read failed: every later read fails too

// Fills the empty buffer; false at end of input or on an error.
bool Refill() {
  if (input_ended) return false;
  for (;;) {
    const ssize_t got = ::read(input_fd, pending, sizeof pending);
    if (got > 0) {
      pending_begin = 0;
      pending_end = static_cast<std::size_t>(got);
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    input_ended = true;
    return false;
  }
}

}  // namespace

bool Read_line(char* buffer) {
  if (input_failed) return false;
  int n = 0;
  for (;;) {
    if (pending_begin == pending_end && !Refill()) {
      if (n == 0) {
        input_failed = true;
        return false;
      }
      buffer[n] = '\0';  // a last line without its line feed still counts
      return true;
    }
    const char c = pending[pending_begin++];
    if (c == '\n') {
      buffer[n] = '\0';
      return true;
    }
    if (n == line_size - 1) {
      buffer[n] = '\0';
      input_failed = true;
      return false;
    }
    buffer[n++] = c;
  }
}

std::uint32_t Input_available() {
  const std::size_t buffered = pending_end - pending_begin;
  int waiting = 0;
  if (::ioctl(input_fd, FIONREAD, &waiting) == 0) {
    const std::size_t total = buffered + static_cast<std::size_t>(waiting > 0 ? waiting : 0);
    return total > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(total);
  }
  if (buffered > 0) return static_cast<std::uint32_t>(buffered);
  pollfd query{input_fd, POLLIN, 0};
  return (::poll(&query, 1, 0) > 0 && (query.revents & (POLLIN | POLLHUP | POLLERR))) ? 1 : 0;
}

void Input_reset() {
  pending_begin = pending_end = 0;
  input_ended = false;
  input_failed = false;
}

void Strip_carriage_return(char* line) {
  const std::size_t length = std::strlen(line);
  if (length > 0 && line[length - 1] == '\r') line[length - 1] = '\0';
}
