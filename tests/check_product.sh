#!/usr/bin/env bash
# Checks the 32-bit product as Windows will see it: PE32, GUI subsystem, the DLLs it may
# import, its description string and both icon groups.
set -u
product=${1:?usage: check_product.sh tavrixsaver.scr}
objdump=i686-w64-mingw32-objdump
failures=0
passes=0
check() {  # description, command...
  local description=$1; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $description"; passes=$((passes + 1)); else echo "FAILED: $description"; failures=$((failures + 1)); fi
}

headers=$($objdump -p "$product")
check "is a PE32 file for i386" grep -q 'file format pei-i386' <<<"$headers"
check "uses the GUI subsystem" grep -qE '^Subsystem\s+00000002' <<<"$headers"

allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|COMDLG32|WINMM|msvcrt)\.dll$'
imports=$(grep -oP 'DLL Name: \K\S+' <<<"$headers")
echo "imports: $(echo $imports)"
unexpected=$(grep -viE "$allowed" <<<"$imports")
check "imports only the system DLLs it is allowed" test -z "$unexpected"
for lazy in IMM32 PASSWORD MPR; do
  check "does not import $lazy (bound at run time)" bash -c "! grep -qi '^$lazy' <<<'$imports'"
done

strings=$(strings -el "$product")
check "carries the description \"Tavrix Bildschirmschoner\"" grep -q 'Tavrix Bildschirmschoner' <<<"$strings"
# The resource tree as objdump prints it: types two blanks in, their names four blanks in.
resource_names() {  # type id as printed, e.g. 0x00000e for icon groups
  sed -n '/The .rsrc Resource Directory/,$p' <<<"$headers" |
    awk -v type="$1" '/^[0-9a-f]+   Entry:/ { inside = ($3 == "ID:" && $4 == type ",") }
                      inside && /^[0-9a-f]+     Entry:/ { print ($3 == "ID:") ? $4 : $8 }'
}
icon_groups=$(resource_names 0x00000e)
echo "icon groups: $(echo $icon_groups)"
check "has the icon group \"ICON1\"" grep -qx 'ICON1,' <<<"$icon_groups"
check "has the icon group 103" grep -qx '0x000067,' <<<"$icon_groups"
check "has no icon group 100 (the window class goes without an icon)" bash -c "! grep -qx '0x000064,' <<<'$icon_groups'"
check "has the configuration dialog 2003" grep -qx '0x0007d3,' <<<"$(resource_names 0x000005)"

echo "product checks: $passes passed, $failures failed"
exit $((failures > 0))
