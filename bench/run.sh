#!/usr/bin/env bash
# Runs the benchmark with repeated measurements, for a single-threaded host,
# then with two threads calling at once (a process of its own); the results
# also go to JSON files in the build folder. Further arguments go to the
# benchmark, as the bench step's short run passes them:
#   bench/run.sh [build-dir] [--benchmark_repetitions=1]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true

cmake --build "$build" --target tavik_bench
bench=$build/bench/tavik_bench
flags=(--benchmark_repetitions=9 --benchmark_report_aggregates_only=true "$@")
"$bench" "${flags[@]}" --benchmark_out="$build/bench-single.json" --benchmark_out_format=json
"$bench" --threaded "${flags[@]}" --benchmark_out="$build/bench-threaded.json" --benchmark_out_format=json
