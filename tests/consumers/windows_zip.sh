#!/usr/bin/env bash
# Makes a Windows build's ZIP, checks that it holds both import libraries,
# and uses it as a Windows user does: a find_package project, cross-built with
# the build's toolchain file and C run-time, runs under Wine beside the ZIP's
# DLL. The build's CTest test windows_zip passes what the configure knows:
#   tests/consumers/windows_zip.sh <build folder> <ZIP file name> <toolchain file> <msvcrt|ucrt>
set -euo pipefail
if (($# != 4)); then
  echo "usage: $0 <build folder> <ZIP file name> <toolchain file> <msvcrt|ucrt>" >&2
  exit 2
fi
build=$1 zip=$1/$2 toolchain=$3 crt=$4
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rm -f "$zip"
cmake --build "$build" --target package >/dev/null
cmake -E tar tf "$zip"
(cd "$work" && cmake -E tar xf "$zip")
package=$work/$(basename "$zip" .zip)
# Every ZIP promises both import libraries.
for library in lib/libtavik.dll.a lib/tavik.lib; do
  [[ -f $package/$library ]] || { echo "$(basename "$zip") has no $library" >&2; exit 1; }
done
cmake -S "$source_dir/tests/consumers/cmake" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DTAVIK_MINGW_CRT="$crt" -DCMAKE_FIND_ROOT_PATH="$package" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/build" >/dev/null
cp "$package/bin/libtavik.dll" "$work/build/"

cmake -DOUTPUT="$work/expected" -P "$source_dir/tests/expected_bars.cmake"
"$source_dir/scripts/wine-run" "$work/build/progress.exe" >"$work/output"
cmp "$work/output" "$work/expected"
echo "ok: a find_package host built against $(basename "$zip") drew the expected lines"
