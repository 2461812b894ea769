#!/usr/bin/env bash
# Checks that the build notices every change to the program's resources: each file the
# resource script reads (the scripts and headers it includes, the icons and pictures it
# names) must be an input ninja watches for the compiled resources, and those must be an
# input of the program. Asks the ninja files and deps log of finished builds; builds nothing.
#   check_resource_inputs.sh build-folder program-file-name [build-folder program ...]
set -u
source "$(dirname "$0")/checks.sh"
absolute() { realpath -m -- "$1"; }

check_build() {  # build folder, program file name
  local dir program res command windres gcc source includes=() watched needed
  dir=$(absolute "$1"); program=$2
  res=$(ninja -C "$dir" -t query "$program" | awk '/^  input:/ { inside = 1; next } /^  outputs:/ { inside = 0 }
                                                   inside && $1 ~ /\.res$/ { print $1 }')
  check "$program in $dir is built from compiled resources" test -n "$res"
  [ -n "$res" ] || return
  # The resource compiler's command: its include folders and the script it compiles.
  command=$(ninja -C "$dir" -t commands "$res" | tail -n 1)
  read -ra words <<<"$command"
  windres=${words[0]}
  gcc=${windres%windres}gcc
  for ((i = 0; i < ${#words[@]}; i++)); do
    case "${words[i]}" in
      -I) includes+=("$(absolute "${words[i + 1]}")") ;;
      *.rc) source=$(absolute "${words[i]}") ;;
    esac
  done
  # What ninja watches: the declared inputs and the dependencies the last build recorded.
  watched=$( (cd "$dir" && {
    ninja -t query "$res" | awk '/^  input:/ { inside = 1; next } /^  outputs:/ { inside = 0 }
                                 inside { print $NF }'
    ninja -t deps "$res" | tail -n +2 | awk 'NF { print $1 }'
  } | xargs -r realpath -m --) | sort -u)
  # What the script reads: the files the preprocessor opens (not the system's headers) ...
  local include_flags=()
  for folder in "${includes[@]}"; do include_flags+=(-I "$folder"); done
  needed=$("$gcc" -E -xc -DRC_INVOKED -MM "${include_flags[@]}" "$source" 2>/dev/null |
    sed 's/^[^:]*://; s/\\$//' | tr ' ' '\n' | awk 'NF')
  check "the preprocessor reads the resource script $(basename "$source")" test -n "$needed"
  # ... and the files its statements name: NAME TYPE "file".
  local named
  named=$("$gcc" -E -xc -DRC_INVOKED -P "${include_flags[@]}" "$source" 2>/dev/null |
    sed -nE 's/^[[:space:]]*[A-Za-z0-9_]+[[:space:]]+[A-Za-z0-9_]+[[:space:]]+"([^"]+)"[[:space:]]*$/\1/p')
  for file in $named; do
    local found=""
    for folder in "$(dirname "$source")" "${includes[@]}"; do
      [ -f "$folder/$file" ] && { found="$folder/$file"; break; }
    done
    needed+=$'\n'"${found:-$file (not found in the include folders)}"
  done
  local -A watching=()
  while read -r path; do [ -n "$path" ] && watching[$path]=1; done <<<"$watched"
  while read -r file; do
    [ -n "$file" ] || continue
    check "a change to ${file##*/} rebuilds $program (${dir##*/})" test -n "${watching[$(absolute "$file")]:-}"
  done <<<"$needed"
}

while [ $# -ge 2 ]; do
  check_build "$1" "$2"
  shift 2
done
checks_done "resource inputs"
