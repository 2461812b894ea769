#!/usr/bin/env bash
# Shows that the Windows-version gate has teeth: it must refuse a program built for newer
# Windows and newer processors, and name what it refuses.
#   windows_gate_refuses.sh too_new_program.exe
set -u
program=${1:?usage: windows_gate_refuses.sh program}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
output=$(bash "$here/windows_gate.sh" "$program")
status=$?
echo "$output"
echo "--- the gate ended with exit code $status"
refused=$(grep -E '^REFUSED:' <<<"$output")
check "the gate fails the program" test "$status" -ne 0
check "refused Vista's GetTickCount64" grep -qE 'KERNEL32\.DLL!GetTickCount64: not among' <<<"$refused"
check "refused the Unicode CreateFileW" grep -qE 'KERNEL32\.DLL!CreateFileW: a Unicode function' <<<"$refused"
check "refused the Vista subsystem version" grep -qE 'subsystem version 6\.0' <<<"$refused"
check "refused SSE code" grep -qE '%xmm[0-9]' <<<"$refused"
check "refused the listed names it does not import" grep -qE 'listed in win95-exports/.*no longer imported' <<<"$refused"
checks_done "gate refusals"
