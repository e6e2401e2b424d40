#!/usr/bin/env bash
# Runs the Windows timing host of a Windows preset's build under Wine, with
# stdout in a file, and prints its table:
#   bench/windows.sh windows-x64|windows-x64-ucrt|windows-x86|windows-x86-ucrt [calls per round]
# Timings of 32-bit Wine under qemu emulation mean nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:?usage: bench/windows.sh <windows preset> [calls per round]}
shift
case $preset in
  windows-x64*) wine_arch=win64 ;;
  windows-x86*) wine_arch=win32 ;;
  *) echo "not a Windows preset: $preset" >&2; exit 2 ;;
esac
build=build-$preset
cmake --build "$build" --target tavik_windows_bench >/dev/null
sink=$(mktemp)
trap 'rm -f "$sink"' EXIT
scripts/wine-run "$wine_arch" "$build/bin/tavik_windows_bench.exe" "$@" >"$sink"
