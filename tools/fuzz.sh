#!/usr/bin/env bash
# Fuzzes the BMP header rules and the pixel conversion natively with libFuzzer, address and
# undefined-behaviour checks: tools/fuzz.sh [seconds=60]. The corpus is kept in build/fuzz/corpus
# and seeded with the loader tests' picture as ImageMagick writes it in each BMP form.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}/fuzz
seconds=${1:-60}

mkdir -p "$build/corpus"
clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$top" "$top/tests/fuzz/dib_format_fuzz.cpp" "$top/imaging/dib_format.cpp" "$top/imaging/dib_pixels.cpp" \
  -o "$build/dib_format_fuzz"

if command -v convert >/dev/null && [ -z "$(ls -A "$build/corpus")" ]; then
  source="$top/tests/fixtures/editor_picture.ppm"
  convert "$source" BMP2:"$build/corpus/core_24.bmp"
  convert "$source" BMP3:"$build/corpus/info_24.bmp"
  convert "$source" BMP:"$build/corpus/v5_24.bmp"
  convert "$source" -define bmp:subtype=RGB565 BMP:"$build/corpus/v5_565.bmp"
  convert "$source" -alpha on BMP:"$build/corpus/v5_alpha32.bmp"
  convert "$source" -type palette BMP:"$build/corpus/v5_palette4.bmp"
  convert "$source" -type palette -compress RLE BMP3:"$build/corpus/info_rle8.bmp"
  convert "$source" -type bilevel BMP:"$build/corpus/v4_1.bmp"
fi

cd "$build"
"$build/dib_format_fuzz" -max_total_time="$seconds" -print_final_stats=1 corpus 2>&1 |
  tee "$build/last-run.log" | grep -E "^#[0-9]+ *(INITED|DONE)|Done [0-9]+ runs|ERROR|SUMMARY|crash-" || true
grep -q "Done [0-9]* runs" "$build/last-run.log"
