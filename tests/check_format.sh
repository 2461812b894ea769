#!/usr/bin/env bash
# Our C++ as .clang-format lays it out: a dry run that names each file and line that differs.
# The layout is applied with: clang-format -i $(git ls-files '*.cpp' '*.h' '*.c')
#   check_format.sh SOURCE_ROOT
set -euo pipefail
cd "${1:?usage: check_format.sh SOURCE_ROOT}"
mapfile -t files < <(find host settings imaging engine win32 resources tests tools \
                       \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -type f | sort)
if ! clang-format --dry-run -Werror "${files[@]}"; then
  echo "FAILED: the places above differ from .clang-format (clang-format -i FILE lays one out)"
  exit 1
fi
echo "passed: ${#files[@]} files laid out as .clang-format asks"
