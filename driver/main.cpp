// The engine: a UCI command loop on standard input and output.
#include <csignal>

#include "driver/driver.h"

int main() {
  std::signal(SIGPIPE, SIG_IGN);  // a closed output must not kill the engine mid-search
  return Command_loop();
}
