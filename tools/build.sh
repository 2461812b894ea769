#!/usr/bin/env bash
# Builds both programs from one source: build/win32 (the product and its setup program) and
# build/win64 (the twin, with the tests that run it); then build/test32, the same tests built for
# 32-bit Windows, which run the product. TAVRIX_BUILD_DIR chooses another folder than build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}

"$top/tools/install-deps.sh"

configure() {  # build dir, toolchain, extra options
  local dir=$1 toolchain=$2; shift 2
  # CMake keeps the compilers and flags it found first: a changed toolchain file starts afresh.
  local stamp="$dir/toolchain.sha256" wanted
  wanted=$(sha256sum "$top/cmake/$toolchain" | cut -d ' ' -f 1)
  if [ -f "$dir/build.ninja" ] && [ "$(cat "$stamp" 2>/dev/null)" != "$wanted" ]; then
    echo "The toolchain file $toolchain changed: configuring $dir afresh"
    rm -rf "$dir"
  fi
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain" "$@" >/dev/null
    echo "$wanted" >"$stamp"
  fi
}

configure "$build/win32" toolchain-i686-w64-mingw32.cmake
cmake --build "$build/win32"
# The product's build draws the pictures and the icon; the others take them from there.
art="$build/win32/resources/art"
configure "$build/win64" toolchain-x86_64-w64-mingw32.cmake \
  -DTAVRIX_TESTS=ON -DTAVRIX_PRODUCT="$build/win32/tavrixsaver.scr" -DTAVRIX_ARTWORK="$art"
cmake --build "$build/win64"
configure "$build/test32" toolchain-i686-w64-mingw32-tests.cmake \
  -DTAVRIX_TESTS=ON -DTAVRIX_TEST_THE_PRODUCT=ON -DTAVRIX_PRODUCT="$build/win32/tavrixsaver.scr" \
  -DTAVRIX_ARTWORK="$art"
cmake --build "$build/test32"
