#!/usr/bin/env bash
# The Windows-version gate: fails when the 32-bit product asks for more than Windows 95 and
# NT 4.0 can give: an import their DLLs do not export, a Unicode import, a header asking for
# a later system, a delay-load table, a machine other than i386, an instruction newer than
# the Pentium Pro.
#   windows_gate.sh program.scr
# The allowed imports live in win95-exports/<DLL>.txt, the allowed newer instructions in
# i686-instructions.txt.
set -u
program=${1:?usage: windows_gate.sh program}
here=$(cd "$(dirname "$0")" && pwd)
objdump=i686-w64-mingw32-objdump
source "$here/checks.sh"
pass() { echo "ok: $*"; passes=$((passes + 1)); }
refuse() { echo "REFUSED: $*"; failures=$((failures + 1)); }

headers=$($objdump -p "$program" 2>&1) || { echo "REFUSED: not a PE file: $program"; exit 1; }

# --- The header: machine, PE32, versions, delay loading ---
header_field() { awk -v name="$1" '$1 == name { print $2; exit }' <<<"$headers"; }
pe_offset=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$program" | tr -d ' ')
if [ "$machine" = 014c ]; then pass "machine is i386"; else refuse "machine 0x$machine is not i386 (0x014c)"; fi
if [ "$(header_field Magic)" = 010b ]; then pass "PE32 optional header"; else refuse "optional header magic $(header_field Magic) is not PE32 (010b)"; fi
for version in "Subsystem subsystem" "OSystem operating system"; do
  read -r field what <<<"$version"
  major=$(header_field "Major${field}Version"); minor=$(header_field "Minor${field}Version")
  [ -n "$major" ] && [ -n "$minor" ] && ((major < 4 || (major == 4 && minor == 0))) && pass "$what version $major.$minor" ||
    refuse "$what version ${major:-?}.${minor:-?}: Windows 95 and NT 4.0 load nothing above 4.0"
done
delay=$(awk '/Delay Import Directory/ { print $3, $4 }' <<<"$headers")
[ "$delay" = "00000000 00000000" ] && pass "no delay-load import table" ||
  refuse "a delay-load import table ($delay), which Windows 95 and NT 4.0 do not know"

# --- The imports: every one exported by the Windows 95 / NT 4.0 version of its DLL ---
# Lines "DLL function", read from objdump's import tables; "<none>" marks an import by number.
imports=$(awk '/^The Import Tables/ { inside = 1; next }
               inside && /^(The |PE File Base Relocations)/ { inside = 0 }
               inside && /DLL Name:/ { dll = toupper($3); sub(/\.DLL$/, "", dll); next }
               inside && /^\t[0-9a-f]+\t +[0-9]+ +/ { print dll, $3 }' <<<"$headers")
# The lists: "name" or "name ... # why", one a line; "#" lines are comments.
declare -A allowed explained
for list in "$here"/win95-exports/*.txt; do
  dll=$(basename "$list" .txt)
  while read -r name rest; do
    case "$name" in '' | '#'*) continue ;; esac
    allowed[$dll!$name]=1
    [[ $rest == *'#'* ]] && explained[$dll!$name]=1
  done <"$list"
done
import_count=0
unicode_count=0
declare -A imported
while read -r dll name; do
  [ -n "$dll" ] || continue
  import_count=$((import_count + 1))
  imported[$dll!$name]=1
  if [ ! -f "$here/win95-exports/$dll.txt" ]; then
    refuse "$dll.DLL!$name: $dll.DLL is none of the DLLs the product may import"
  elif [ "$name" = "<none>" ]; then
    refuse "$dll.DLL: an import by number, which differs between Windows versions"
  elif [ "$dll" != MSVCRT ] && [[ $name =~ [a-z0-9]W$ ]]; then
    [ -n "${explained[$dll!$name]:-}" ] && unicode_count=$((unicode_count + 1)) ||
      refuse "$dll.DLL!$name: a Unicode function, a failing stub on Windows 95/98 (harmless ones are explained in win95-exports/$dll.txt)"
  elif [ -z "${allowed[$dll!$name]:-}" ]; then
    refuse "$dll.DLL!$name: not among the Windows 95 / NT 4.0 exports in win95-exports/$dll.txt"
  fi
done <<<"$imports"
[ "$import_count" -gt 0 ] && pass "$import_count imports read, $unicode_count of them Unicode with a reason" ||
  refuse "no imports found: the gate cannot judge this file"
# The lists are exact: a name the product no longer imports leaves them, so that they say what it needs.
unused=0
for entry in "${!allowed[@]}"; do
  [ -n "${imported[$entry]:-}" ] && continue
  refuse "${entry/!/.DLL!} is listed in win95-exports/${entry%%!*}.txt but no longer imported"
  unused=$((unused + 1))
done
[ "$unused" -gt 0 ] || pass "every listed name is imported"

# --- The code: nothing newer than the Pentium Pro (no MMX, SSE, AVX, ...) ---
# Every instruction objdump decodes in the code section is judged, except in the data tables
# the linker places there (exception tables, constructor and destructor lists).
newer='%[xyz]mm[0-9]|%mm[0-7]|%k[0-7]|^(fisttp|[lms]fence|clflush|prefetch|movnti|popcnt|lzcnt|tzcnt|movbe|crc32|rdrand|rdseed|rdtscp|xgetbv|emms|femms|andn|bextr|blsi|blsmsk|blsr|bzhi|pdep|pext|sarx|shlx|shrx|rorx|adcx|adox)'
allowances=$(sed -E 's/#.*//' "$here/i686-instructions.txt" | awk 'NF >= 2 { print $1, $2 }')
newer_found=$($objdump -d --no-show-raw-insn "$program" | awk -v newer="$newer" -v allowances="$allowances" '
  BEGIN { n = split(allowances, lines, "\n"); for (i = 1; i <= n; i++) { split(lines[i], f, " "); where[i] = f[1]; what[i] = f[2] } }
  /^[0-9a-f]+ <.*>:$/ {
    label = $2; sub(/^</, "", label); sub(/>:$/, "", label)
    data = (label ~ /^\.gcc_except_table|^\.ctors|^\.dtors|^_+[CD]TOR_LIST__$/)
    next
  }
  data || !/^ +[0-9a-f]+:\t/ { next }
  {
    instruction = $0; sub(/^ +[0-9a-f]+:\t/, "", instruction)
    split(instruction, words, /[ \t]+/); mnemonic = words[1]
    if (mnemonic ~ /^(rep|repz|repnz|lock|data16|addr16)$/) mnemonic = words[2]
    if (!(mnemonic ~ newer || instruction ~ newer)) next
    for (i = 1; i <= n; i++)
      if ((where[i] == "*" || index(label, where[i]) > 0) && mnemonic == what[i]) next
    print label ": " instruction
  }')
[ -z "$newer_found" ] && pass "no instruction newer than the Pentium Pro"
# The first twenty, and how many more.
while read -r line; do [ -z "$line" ] || refuse "newer than the Pentium Pro: $line"; done <<<"$(head -n 20 <<<"$newer_found")"
extra=$(($(grep -c . <<<"$newer_found") - 20))
[ "$extra" -le 0 ] || refuse "... and $extra more such instructions"

checks_done "windows gate"
