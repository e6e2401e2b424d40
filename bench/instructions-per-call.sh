#!/usr/bin/env bash
# Instructions per call of print_progress_bar, glibc included, as callgrind
# counts them: a run of 2000 calls minus a run of 1000, divided by 1000, so
# that start-up and exit cancel out. Unlike timings, the count is the same
# from run to run and machine to machine: the figure to compare before and
# after a change to the library.
#   bench/instructions-per-call.sh [build-dir]        (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target tavik_call_loop >/dev/null
count() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$build/bench/tavik_call_loop" "$1" 2>&1 >/dev/null |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
thousand=$(count 1000)
two_thousand=$(count 2000)
echo "instructions per call: $(((two_thousand - thousand) / 1000))"
