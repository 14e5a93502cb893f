// Bench: a fixed list of positions, each searched through the engine's own command
// path ("ucinewgame", "position fen ...", "go depth N") with its output captured and
// read back. Prints nodes and milliseconds per position and the totals; the total
// node count is the engine's signature. Usage: bench [depth] [positions file]
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/output.h"

namespace {

constexpr int default_depth = 10;

struct Captured {
  std::uint64_t nodes = 0;
  int faults = 0;  // self-check lines: "ERROR ..." or "white test_..."
};

void Run(const std::string& line) {
  std::strncpy(command_line, line.c_str(), line_size - 1);
  command_line[line_size - 1] = '\0';
  Dispatch(bitboard);
}

// Reads back what the engine wrote since the last call and empties the capture.
Captured Collect(int fd) {
  Captured result;
  const off_t size = lseek(fd, 0, SEEK_END);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (pread(fd, text.data(), text.size(), 0) != size) std::perror("pread");
  if (ftruncate(fd, 0) != 0) std::perror("ftruncate");
  lseek(fd, 0, SEEK_SET);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string row = text.substr(start, end - start);
    if (row.rfind("ERROR ", 0) == 0 || row.rfind("white test_", 0) == 0) ++result.faults;
    if (row.rfind("info  nps ", 0) == 0) {
      const std::size_t at = row.find(" nodes ");
      if (at != std::string::npos) result.nodes += std::strtoull(row.c_str() + at + 7, nullptr, 10);
    }
    start = end + 1;
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int depth = argc > 1 ? std::atoi(argv[1]) : default_depth;
  const char* path = argc > 2 ? argv[2] : ZARNIK_BENCH_POSITIONS;
  std::ifstream file(path);
  std::vector<std::string> fens;
  for (std::string row; std::getline(file, row);)
    if (!row.empty() && row[0] != '#') fens.push_back(row);
  if (fens.empty() || depth < 1 || depth > 50) {
    std::fprintf(stderr, "usage: bench [depth 1-50] [positions file]\n");
    return 2;
  }
  const int capture = memfd_create("bench-output", 0);
  if (capture < 0) {
    std::perror("memfd_create");
    return 2;
  }
  output_fd = capture;
  Run("uci");
  Collect(capture);

  std::uint64_t total_nodes = 0;
  int total_faults = 0;
  double total_ms = 0;
  for (std::size_t i = 0; i < fens.size(); ++i) {
    const auto start = std::chrono::steady_clock::now();
    Run("ucinewgame");
    Run("position fen " + fens[i]);
    Run("go depth " + std::to_string(depth));
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const Captured got = Collect(capture);
    total_nodes += got.nodes;
    total_faults += got.faults;
    total_ms += ms;
    std::printf("position %2zu nodes %12llu ms %9.1f%s\n", i + 1, static_cast<unsigned long long>(got.nodes), ms,
                got.faults ? "  SELF-CHECK FAULTS" : "");
  }
  std::printf("total nodes %llu ms %.0f nps %.0f faults %d\n", static_cast<unsigned long long>(total_nodes), total_ms,
              total_ms > 0 ? total_nodes / (total_ms / 1000.0) : 0.0, total_faults);
  return total_faults ? 1 : 0;
}
