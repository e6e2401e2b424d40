#!/usr/bin/env bash
# Builds and runs programs against libtavik as its users take it, and checks
# what they draw: 1. find_package(tavik); 2. pkg-config, C89 and C17; 3. the
# Debian packages given (dpkg, as root: scripts/as-root) and `cc app.c
# -ltavik'; 4. the static library in a program and in a shared object of the
# host's own (as bindings link it); 5. a second prefix; 6. a clone embedded.
#   tests/consumers/run.sh ../libtavik1_*.deb ../libtavik-dev_*.deb
set -euo pipefail
if (($# != 2)); then
  echo "usage: $0 libtavik1_<version>_<arch>.deb libtavik-dev_<version>_<arch>.deb" >&2
  exit 2
fi
debs=("$(realpath "$1")" "$(realpath "$2")")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
consumers=$source_dir/tests/consumers
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
jobs=$(nproc)

expected=$work/expected
cmake -DOUTPUT="$expected" -P "$source_dir/tests/expected_bars.cmake"

check_output() { # program...
  "$@" >"$work/output"
  cmp "$work/output" "$expected"
  echo "ok: $* drew the expected lines"
}

build_and_install() { # folder prefix [cmake options...]
  local build=$1 prefix=$2
  shift 2
  cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DTAVIK_BUILD_TESTS=OFF -DTAVIK_BUILD_EXAMPLES=OFF -DTAVIK_BUILD_BENCHMARKS=OFF "$@" >/dev/null
  cmake --build "$build" -j "$jobs" >/dev/null
  cmake --install "$build" >/dev/null
}

echo "== installing the shared library into a prefix"
shared=$work/shared-prefix
build_and_install "$work/build-shared" "$shared"
(cd "$shared" && find . -type f -o -type l | sort)
libdir=$(dirname "$(find "$shared" -name 'libtavik.so' | head -n 1)")

echo "== 1. CMake: find_package(tavik) and tavik::tavik"
cmake -S "$consumers/cmake" -B "$work/consumer-cmake" -DCMAKE_PREFIX_PATH="$shared" >/dev/null
cmake --build "$work/consumer-cmake" >/dev/null
check_output "$work/consumer-cmake/progress"

echo "== 2. pkg-config, C89 and C17"
for standard in c89 c17; do
  # shellcheck disable=SC2046
  gcc -std=$standard -pedantic -Wall -Wextra -Werror "$consumers/progress.c" -o "$work/progress-$standard" \
    $(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs tavik)
  LD_LIBRARY_PATH=$libdir check_output "$work/progress-$standard"
done

echo "== 3. the Debian packages"
for deb in "${debs[@]}"; do
  echo "-- $(basename "$deb")"
  dpkg-deb -I "$deb"
  dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; print "   " $0 }'
done
as_root=$source_dir/scripts/as-root
"$as_root" dpkg -i "${debs[@]}" >/dev/null
trap '"$as_root" dpkg -r libtavik-dev libtavik1 >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cc "$consumers/progress.c" -ltavik -o "$work/progress-deb"
check_output "$work/progress-deb"
"$as_root" dpkg -r libtavik-dev libtavik1 >/dev/null

echo "== 4. the static library"
static=$work/static-prefix
build_and_install "$work/build-static" "$static" -DBUILD_SHARED_LIBS=OFF
cmake -S "$consumers/cmake" -B "$work/consumer-static" -DCMAKE_PREFIX_PATH="$static" >/dev/null
cmake --build "$work/consumer-static" >/dev/null
if ldd "$work/consumer-static/progress" | grep -q libtavik; then
  echo "the static consumer still loads libtavik dynamically" >&2
  exit 1
fi
check_output "$work/consumer-static/progress"
static_library=$(find "$static" -name libtavik.a | head -n 1)
gcc -shared -o "$work/libbinding.so" -Wl,--whole-archive "$static_library" -Wl,--no-whole-archive
gcc -std=c17 -Wall -Werror -I"$static/include" "$consumers/progress.c" -L"$work" -lbinding -o "$work/progress-binding"
LD_LIBRARY_PATH=$work check_output "$work/progress-binding"

echo "== 5. installed again into a second prefix"
moved=$work/second-prefix
cmake --install "$work/build-shared" --prefix "$moved" >/dev/null
moved_pc=$(find "$moved" -name tavik.pc)
flags=$(PKG_CONFIG_PATH=$(dirname "$moved_pc") pkg-config --cflags --libs tavik)
echo "pkg-config: $flags"
[[ $flags == *"-I$moved/"* && $flags == *"-L$moved/"* ]] || { echo "tavik.pc does not point into $moved" >&2; exit 1; }
# shellcheck disable=SC2086
gcc -std=c89 -pedantic -Wall -Werror "$consumers/progress.c" $flags -o "$work/progress-moved"
LD_LIBRARY_PATH=$(dirname "$(find "$moved" -name libtavik.so)") check_output "$work/progress-moved"

echo "== 6. embedded in a parent with a library of its own and CPack: add_subdirectory, FetchContent"
git clone -q "$source_dir" "$work/clone"
for parent in {add_subdirectory,FetchContent}-{OFF,ON}; do
  build=$work/parent-$parent
  cmake -S "$consumers/cmake" -B "$build" -DTAVIK_EMBED="${parent%-*}" -DTAVIK_SOURCE="$work/clone" \
    -DTAVIK_INSTALL="${parent#*-}" -DCMAKE_INSTALL_PREFIX="$build/prefix" >/dev/null
  cmake --build "$build" -j "$jobs" >/dev/null && cmake --install "$build" >/dev/null
  check_output "$build/progress"
  installed=$(cd "$build/prefix" && find . -type f | sort | paste -sd ' ')
  echo "$parent: installs $installed"
  problems=$(grep '^BUILD_SHARED_LIBS:\|^CMAKE_BUILD_TYPE:.*=.' "$build/CMakeCache.txt" || true
    grep -q '^set(CPACK_PACKAGE_NAME "app")$' "$build/CPackConfig.cmake" || echo "CPack does not package app"
    [[ -f $build/libapp_core.a && -n $(find "$build" -name libtavik.a) && -z $(find "$build" -name 'libtavik.so*') ]] ||
      echo "the parent's library or libtavik is not static"
    [[ $parent == *-ON && $installed == *include/tavik.h* || $parent == *-OFF && $installed != *tavik* ]] ||
      echo "TAVIK_INSTALL=${parent#*-}, yet it installed: $installed")
  [[ -z $problems ]] || { echo "$parent: $problems" >&2; exit 1; }
  echo "ok: $parent: nothing of the parent's build changed"
done
echo "all six consumer checks passed"
