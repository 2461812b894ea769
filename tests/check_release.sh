#!/usr/bin/env bash
# Checks the release archive as a Windows user gets it: exactly the saver, its setup program, the
# read-me and the licence; the read-me in Windows-1252 with CRLF naming the version; both programs
# 32-bit Windows GUI programs carrying that version, the setup program one that loads on Windows 95;
# the saver with its description, both icon groups and the configuration dialog.
set -u
archive=${1:?usage: check_release.sh tavrixsaver-<version>.zip <version>}
version=${2:?usage: check_release.sh tavrixsaver-<version>.zip <version>}
source "$(dirname "$0")/checks.sh"

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

for program in tavrixsaver.scr tavrixsaver-setup.exe; do
  headers=$(i686-w64-mingw32-objdump -p "$unpacked/$program")
  check "$program is a 32-bit Windows GUI program for Windows 95 and later" \
    grep -qPz '(?s)\A(?=.*file format pei-i386)(?=.*\nMajorSubsystemVersion\s+4\nMinorSubsystemVersion\s+0\n)(?=.*\nSubsystem\s+00000002)' <<<"$headers"
  check "$program carries the version $version" grep -qx "$version" <<<"$(strings -el "$unpacked/$program")"
done

headers=$(i686-w64-mingw32-objdump -p "$unpacked/tavrixsaver.scr")
check "the saver carries the description \"Tavrix Bildschirmschoner\"" \
  grep -q 'Tavrix Bildschirmschoner' <<<"$(strings -el "$unpacked/tavrixsaver.scr")"
# The resource tree as objdump prints it: types two blanks in, their names four blanks in.
resource_names() {  # type id as printed, e.g. 0x00000e for icon groups
  sed -n '/The .rsrc Resource Directory/,$p' <<<"$headers" |
    awk -v type="$1" '/^[0-9a-f]+   Entry:/ { inside = ($3 == "ID:" && $4 == type ",") }
                      inside && /^[0-9a-f]+     Entry:/ { print ($3 == "ID:") ? $4 : $8 }'
}
icon_groups=$(resource_names 0x00000e)
echo "icon groups: $(echo $icon_groups)"
check "the saver has the icon group \"ICON1\"" grep -qx 'ICON1,' <<<"$icon_groups"
check "the saver has the icon group 103" grep -qx '0x000067,' <<<"$icon_groups"
check "the saver has no icon group 100 (its window class goes without an icon)" \
  test -z "$(grep -x '0x000064,' <<<"$icon_groups")"
check "the saver has the configuration dialog 2003" grep -qx '0x0007d3,' <<<"$(resource_names 0x000005)"
checks_done "release checks"
