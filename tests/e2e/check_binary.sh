#!/usr/bin/env bash
# Checks what the shipped program carries: check_binary.sh OBJDUMP EXE ARCH [BUDGET]
# (ARCH amd64 or x86; BUDGET in bytes, given for a release build)
#  - it is no larger than its budget: the budget grows only in the change that needs the
#    bytes, saying why;
#  - it imports only system libraries that Windows always loads from its own directory
#    (no runtime DLL beside the program, and no winspool/newdev/cfgmgr32, which the
#    program loads at run time from the system directory);
#  - its manifest asks for administrator rights and binds the common controls 6.0 of
#    its own processor architecture, and declares the process system DPI aware for every
#    Windows from 7 on ("Setting the default DPI awareness for a process": <dpiAware>
#    for Windows before 10 1607, <dpiAwareness> from then on, where it overrides the other).
set -euo pipefail

objdump=$1 exe=$2 arch=$3 budget=${4:-}
allowed='^(kernel32|user32|gdi32|advapi32|shell32|setupapi|ole32|oleaut32|comctl32|comdlg32|shlwapi|msvcrt)\.dll$'
failures=0

mapfile -t imports < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
if ((${#imports[@]} == 0)); then
  echo "FAIL: no import table found in $exe"
  failures=1
fi
for dll in "${imports[@]}"; do
  if [[ ! $dll =~ $allowed ]]; then
    echo "FAIL: $exe imports $dll"
    failures=1
  fi
done
echo "imports: ${imports[*]}"

size=$(stat -c %s "$exe")
if [ -n "$budget" ] && ((size > budget)); then
  echo "FAIL: $exe has $size bytes, over its budget of $budget"
  failures=1
fi
echo "size: $size bytes${budget:+ (budget $budget)}"

# The manifest resource is plain text inside the program.
manifest=$(strings -n 4 "$exe" | awk '/<assembly /,/<\/assembly>/')
# holds TEXT NEEDLE WHAT: a failure naming WHAT unless TEXT holds NEEDLE.
holds() {
  if ! grep -q -- "$2" <<<"$1"; then
    echo "FAIL: $3 $2"
    failures=1
  fi
}
check() { holds "$manifest" "$1" "manifest lacks"; }
check 'requestedExecutionLevel level="requireAdministrator" uiAccess="false"'
check 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'
other=$([ "$arch" = amd64 ] && echo x86 || echo amd64)
if grep -q "processorArchitecture=\"$other\"" <<<"$manifest"; then
  echo "FAIL: manifest names processorArchitecture=\"$other\""
  failures=1
fi
check "processorArchitecture=\"$arch\""
# Both DPI settings live in the asm.v3 application's windowsSettings; anything else is ignored.
settings=$(awk '/<application xmlns="urn:schemas-microsoft-com:asm.v3">/,/<\/application>/' <<<"$manifest" |
  awk '/<windowsSettings>/,/<\/windowsSettings>/')
dpi_check() { holds "$settings" "$1" "manifest's windowsSettings lack"; }
dpi_check '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>'
dpi_check '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">system</dpiAwareness>'
if [ "$(grep -c '<dpiAware' <<<"$manifest")" != 2 ]; then
  echo "FAIL: expected exactly one <dpiAware> and one <dpiAwareness> setting"
  failures=1
fi
if [ "$(grep -c '<assembly ' <<<"$manifest")" != 1 ]; then
  echo "FAIL: expected exactly one manifest"
  failures=1
fi

exit $failures
