// The look the poll takes every 50001 leaf entries: one waiting line is read and
// acted on, then the hard time limit of the current iteration is checked.
#include <cstring>

#include "driver/driver.h"
#include "driver/input.h"
#include "driver/output.h"
#include "driver/poll.h"
#include "search/search.h"

std::uint16_t poll_counter;

namespace {
char poll_line[line_size];
}

void Poll_input_now() {
  if (Input_available() != 0 && Read_line(poll_line)) {
    Strip_carriage_return(poll_line);
    if (std::strcmp(poll_line, "quit") == 0) {
      Hash_table_release();
      End_process(1);
    }
    if (std::strcmp(poll_line, "stop") == 0) stop_search = 1;
    // any other line is dropped: a search answers nothing else
  }
  end_clock = Clock_now();
  const double elapsed = Elapsed_time();
  if (hard_time_limit > 0 && hard_time_limit < elapsed) stop_search = 1;
  poll_counter = 1;
}
