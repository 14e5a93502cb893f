#!/usr/bin/env bash
# Configures and builds the two fuzz targets in build/fuzz with clang, the library
# compiled with the fuzzer's coverage and AddressSanitizer + UndefinedBehaviorSanitizer.
#   tools/fuzz/build.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

compiler=${CXX_FUZZ:-$(command -v clang++-14 || command -v clang++ || echo clang++)}
if ! command -v "$compiler" >/dev/null 2>&1; then
  echo "build.sh: $compiler not found (Debian: apt-get install clang-14 libclang-rt-14-dev)" >&2
  exit 2
fi
# libFuzzer's runtime comes with the compiler-rt package; without it the link fails.
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
     "$compiler" -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null; then
  echo "build.sh: $compiler cannot link -fsanitize=fuzzer (Debian: apt-get install libclang-rt-14-dev)" >&2
  exit 2
fi

cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INTERPROCEDURAL_OPTIMIZATION=OFF -DZARNIK_FUZZ=ON -DZARNIK_TESTS=OFF >/dev/null
cmake --build build/fuzz --target session_fuzzer fen_fuzzer -j 2
