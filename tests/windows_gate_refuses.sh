#!/usr/bin/env bash
# Shows that the Windows-version gate has teeth: it must refuse a program built for newer
# Windows and newer processors, and name what it refuses.
#   windows_gate_refuses.sh too_new_program.exe
set -u
program=${1:?usage: windows_gate_refuses.sh program}
here=$(cd "$(dirname "$0")" && pwd)
output=$(bash "$here/windows_gate.sh" "$program")
status=$?
echo "$output"
echo "--- the gate ended with exit code $status"
failures=0
expect() {  # description, pattern the gate must have printed on a REFUSED line
  if grep -E '^REFUSED:' <<<"$output" | grep -qE -- "$2"; then
    echo "ok: refused $1"
  else
    echo "FAILED: the gate did not refuse $1"
    failures=$((failures + 1))
  fi
}
[ "$status" -ne 0 ] || { echo "FAILED: the gate passed a program it must refuse"; failures=$((failures + 1)); }
expect "Vista's GetTickCount64" 'KERNEL32\.DLL!GetTickCount64: not among'
expect "the Unicode CreateFileW" 'KERNEL32\.DLL!CreateFileW: a Unicode function'
expect "the Vista subsystem version" 'subsystem version 6\.0'
expect "SSE code" '%xmm[0-9]'
exit $((failures > 0))
