#!/usr/bin/env bash
# Unpacks a Windows ZIP of libtavik, checks that it holds both import
# libraries, and uses it as a Windows user does: a CMake project finds it with
# find_package, is cross-built with the ZIP's architecture and C run-time, and
# runs under Wine beside the ZIP's DLL.
#   tests/consumers/windows_zip.sh build-windows-x86/libtavik-1.1.0-x86-msvcrt.zip
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
zip=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# libtavik-<version>-<x86|x64>-<msvcrt|ucrt>.zip
if [[ ! $(basename "$zip") =~ ^libtavik-[0-9.]+-(x86|x64)-(msvcrt|ucrt)\.zip$ ]]; then
  echo "not a libtavik Windows ZIP: $zip" >&2
  exit 2
fi
crt=${BASH_REMATCH[2]}
if [[ ${BASH_REMATCH[1]} == x86 ]]; then
  toolchain=$source_dir/cmake/mingw-w64-i686.cmake
else
  toolchain=$source_dir/cmake/mingw-w64-x86_64.cmake
fi

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
