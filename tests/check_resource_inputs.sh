#!/usr/bin/env bash
# Checks that the build notices every change to the program's resources: each file the
# resource script reads (the scripts and headers it includes, the icons and pictures it
# names) must be an input ninja watches for the compiled resources, and those must be an
# input of the program. Asks the ninja files and deps log of finished builds; builds nothing.
#   check_resource_inputs.sh build-folder program-file-name [build-folder program ...]
set -u
source "$(dirname "$0")/checks.sh"
inputs() { awk '/^  input:/ { inside = 1; next } /^  outputs:/ { inside = 0 } inside { print $NF }'; }

check_build() {  # build folder, program file name
  local dir=$1 program=$2 res words gcc source flags=() watched needed named folders found
  res=$(ninja -C "$dir" -t query "$program" | inputs | grep '\.res$')
  check "$program in $dir is built from compiled resources" test -n "$res"
  [ -n "$res" ] || return
  # The resource compiler's command: its include folders and the script it compiles.
  read -ra words <<<"$(ninja -C "$dir" -t commands "$res" | tail -n 1)"
  gcc=${words[0]%windres}gcc
  for ((i = 0; i < ${#words[@]}; i++)); do
    case "${words[i]}" in
      -I) flags+=(-I "$(cd "$dir" && realpath -m -- "${words[i + 1]}")") ;;
      *.rc) source=$(cd "$dir" && realpath -m -- "${words[i]}") ;;
    esac
  done
  # What ninja watches: the declared inputs and the dependencies the last build recorded.
  watched=$(cd "$dir" && { ninja -t query "$res" | inputs; ninja -t deps "$res" | tail -n +2 | awk 'NF { print $1 }'; } |
    xargs -r realpath -m -- | sort -u)
  # What the script reads: the files the preprocessor opens (not the system's headers), and the
  # files its statements name (NAME TYPE "file"), looked for beside it and in the include folders.
  needed=$("$gcc" -E -xc -DRC_INVOKED -MM "${flags[@]}" "$source" | sed 's/^[^:]*://; s/\\$//' | tr ' ' '\n')
  named=$("$gcc" -E -xc -DRC_INVOKED -P "${flags[@]}" "$source" |
    sed -nE 's/^[[:space:]]*[A-Za-z0-9_]+[[:space:]]+[A-Za-z0-9_]+[[:space:]]+"([^"]+)"[[:space:]]*$/\1/p')
  folders=("$(dirname "$source")")
  for ((i = 1; i < ${#flags[@]}; i += 2)); do folders+=("${flags[i]}"); done
  for file in $named; do
    found="$file (not found in the include folders)"
    for folder in "${folders[@]}"; do [ -f "$folder/$file" ] && { found=$folder/$file; break; }; done
    needed+=$'\n'$found
  done
  needed=$(awk 'NF' <<<"$needed" | xargs realpath -m -- | sort -u)
  check "the preprocessor reads the resource script $(basename "$source")" test -n "$needed"
  for file in $(comm -23 <(echo "$needed") <(echo "$watched")); do
    check "a change to $file rebuilds $program (${dir##*/})" false
  done
  echo "the resource script reads $(wc -l <<<"$needed") files for $program (${dir##*/})"
}

for ((; $# >= 2; )); do check_build "$1" "$2"; shift 2; done
checks_done "resource inputs"
