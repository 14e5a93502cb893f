#!/usr/bin/env bash
# Builds both fuzz targets and runs each for the given number of seconds, starting
# from the seed corpora in tools/fuzz/. Any crash, sanitizer report, leak or slow
# input fails the run; the failing input is left in build/fuzz/artifacts/.
#   tools/fuzz/run.sh SECONDS
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:?usage: tools/fuzz/run.sh SECONDS}

tools/fuzz/build.sh
mkdir -p build/fuzz/artifacts

status=0
run() {
  local name=$1 seeds=$2 max_len=$3
  local work=build/fuzz/work_$name log=build/fuzz/$name.log
  mkdir -p "$work"
  echo "== ${name}_fuzzer for $seconds s"
  # New inputs go to the work corpus; the seed corpus in the tree is only read.
  if build/fuzz/tools/${name}_fuzzer "$work" tools/fuzz/$seeds \
       -dict=tools/fuzz/$name.dict -max_total_time="$seconds" -max_len="$max_len" \
       -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix=build/fuzz/artifacts/${name}_ >"$log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true
    grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$log" || true
  else
    echo "${name}_fuzzer FAILED; the end of its log ($log):"
    tail -n 60 "$log"
    status=1
  fi
}
run session corpus_sessions 4096
run fen corpus_fen 512
exit $status
