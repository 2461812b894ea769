#!/usr/bin/env bash
# Checks the release archive as a Windows user gets it: exactly the saver, its setup program, the
# read-me and the licence; the read-me in Windows-1252 with CRLF naming the version; both programs
# 32-bit Windows programs carrying that version, the setup program one that loads on Windows 95.
set -u
archive=${1:?usage: check_release.sh tavrixsaver-<version>.zip <version>}
version=${2:?usage: check_release.sh tavrixsaver-<version>.zip <version>}
objdump=i686-w64-mingw32-objdump
failures=0
passes=0
check() {  # description, command...
  local description=$1; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $description"; passes=$((passes + 1)); else echo "FAILED: $description"; failures=$((failures + 1)); fi
}

check "is named after the version" test "$(basename "$archive")" = "tavrixsaver-$version.zip"
listing=$(unzip -Z1 "$archive" | sort | tr '\n' ' ')
echo "holds: $listing"
check "holds exactly the saver, the setup program, LIESMICH.TXT and LICENSE.TXT" \
  test "$listing" = "LICENSE.TXT LIESMICH.TXT tavrixsaver-setup.exe tavrixsaver.scr "

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$archive" -d "$unpacked"
readme=$unpacked/LIESMICH.TXT

check "LIESMICH.TXT names the version" grep -q "Version $version" "$readme"
check "LIESMICH.TXT ends every line with CRLF" bash -c "! grep -qv \$'\\r\$' '$readme'"
check "LIESMICH.TXT is Windows-1252 (its umlauts are single bytes, not UTF-8)" \
  bash -c "grep -q \$'\\xfc' '$readme' && ! iconv -f UTF-8 -t UTF-8 '$readme'"
check "LICENSE.TXT is the MIT licence of the Tavrix developers, with CRLF" \
  bash -c "grep -q 'MIT License' '$unpacked/LICENSE.TXT' && grep -q 'Copyright (c) 2026 Die Tavrix-Entwickler' '$unpacked/LICENSE.TXT' && ! grep -qv \$'\\r\$' '$unpacked/LICENSE.TXT'"

is_32_bit_gui_program() {
  local headers
  headers=$($objdump -p "$1") || return 1
  grep -q 'file format pei-i386' <<<"$headers" && grep -qE '^Subsystem\s+00000002' <<<"$headers"
}
loads_on_windows_95() {  # the subsystem version it asks for is 4.0
  local headers
  headers=$($objdump -p "$1") || return 1
  grep -qE '^MajorSubsystemVersion\s+4$' <<<"$headers" && grep -qE '^MinorSubsystemVersion\s+0$' <<<"$headers"
}
carries_version() {
  strings -el "$1" | grep -qx "$2"
}

for program in tavrixsaver.scr tavrixsaver-setup.exe; do
  check "$program is a 32-bit Windows GUI program" is_32_bit_gui_program "$unpacked/$program"
  check "$program carries the version $version" carries_version "$unpacked/$program" "$version"
done
check "the setup program asks for no newer Windows than 95" loads_on_windows_95 "$unpacked/tavrixsaver-setup.exe"

echo "release checks: $passes passed, $failures failed"
exit $((failures > 0))
