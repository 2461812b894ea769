#!/usr/bin/env bash
# Makes the release archive tavrixsaver-<version>.zip for Windows users: the 32-bit saver, its setup
# program, LIESMICH.TXT (Windows-1252, CRLF) and the licence; then checks what it holds.
#   tools/release.sh [--no-build] [folder]     (default folder: build/release)
# --no-build uses the programs already built (the test of the archive does); the setup program is
# still made if it is missing. TAVRIX_BUILD_DIR chooses the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}

build_first=1
if [ "${1:-}" = --no-build ]; then build_first=0; shift; fi
output=${1:-$build/release}

[ $build_first -eq 0 ] || "$top/tools/build.sh"
cmake --build "$build/win32" --target setup

version=$(cat "$build/win32/version.txt")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

cp "$build/win32/tavrixsaver.scr" "$build/win32/tavrixsaver-setup.exe" "$stage/"
# Notepad on Windows 95 reads Windows-1252 and needs CRLF; iconv fails on any character it lacks.
iconv -f UTF-8 -t WINDOWS-1252 "$build/win32/LIESMICH-utf8.txt" | sed 's/$/\r/' >"$stage/LIESMICH.TXT"
sed 's/$/\r/' "$top/LICENSE" >"$stage/LICENSE.TXT"

# The same sources give the same archive: every file dated by the last commit.
stamp=$(git -C "$top" log -1 --format=%cI 2>/dev/null || date -Iseconds)
touch -d "$stamp" "$stage"/*

mkdir -p "$output"
archive="$(cd "$output" && pwd)/tavrixsaver-$version.zip"
rm -f "$archive"
(cd "$stage" && TZ=UTC zip -q -X "$archive" tavrixsaver-setup.exe tavrixsaver.scr LIESMICH.TXT LICENSE.TXT)

bash "$top/tests/check_release.sh" "$archive" "$version"
echo "Wrote $archive"
