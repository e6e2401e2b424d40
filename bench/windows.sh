#!/usr/bin/env bash
# Runs the Windows timing host of a Windows build under Wine, with stdout in
# a file, and prints its table:
#   bench/windows.sh build-windows-x64 [calls per round]
# Timings of 32-bit Wine under qemu emulation mean nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: bench/windows.sh <build folder of a Windows build> [calls per round]}
shift
cmake --build "$build" --target tavik_windows_bench >/dev/null
sink=$(mktemp)
trap 'rm -f "$sink"' EXIT
scripts/wine-run "$build/bin/tavik_windows_bench.exe" "$@" >"$sink"
