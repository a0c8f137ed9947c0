#!/usr/bin/env bash
# The released program installs a printer, on a display of its own:
#   package_install.sh WORK BUILD_DIR PROBE PRINTUI_STUB
#     WORK          scratch folder of the package tests (its release is made by package_test.sh build)
#     BUILD_DIR     the win64 build tree (its Wine prefix is copied; screenshots go to
#                   BUILD_DIR/screenshots/win64-package-*.png)
#     PROBE, PRINTUI_STUB  as for wizard_install.sh
#
# The zip of the release is unpacked and its tamrin64.exe started from the unpacked
# medium: Next through the pages, Finish, the success box, and "Korvel KV-100" is Wine's
# default printer.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/wizard_lib.sh"
e2e_on_display "$@"

work=$1 build=$2 probe=$3 stub=$4
arch=win64
shots=$build/screenshots
printer='Korvel KV-100'
zip=$(ls "$work"/a/dist/tamrin-*.zip 2>/dev/null) || { echo "FAIL: no release in $work/a (part \"build\" failed?)" >&2; exit 1; }
run=$work/install

rm -rf "$run"
mkdir -p "$run" "$shots"
rm -f "$shots/$arch"-package-*.png
unzip -q "$zip" -d "$run"
export WINEDLLOVERRIDES="mscoree,mshtml=;printui=n"
export TAMRIN_WINEPREFIX=$run/prefix
export TAMRIN_PRINTUI_LOG="Z:${run//\//\\}\\printui.log"
trap 'e2e_stop; rm -rf "$run/prefix"' EXIT

e2e_place_printui "$stub"
e2e_unmanaged_windows
start_wizard "$run/medium/tamrin64.exe"
walk_to_finish package-
click "$(step 4)" $finish
expect_page OK "$box_buttons" package-success-box
[ "$(probe text OK 0xffff)" = "打印机驱动安装成功！" ] || fail "success box says [$(probe text OK 0xffff)]"
click OK 1
status=0
wait_exit || status=$?
[ $status = 0 ] || fail "the released program ended with exit code $status after the success box"
state=$(probe printers)
grep -qx "default=$printer" <<<"$state" || fail "\"$printer\" is not the default printer: [$state]"
echo "the released tamrin64.exe installed \"$printer\" as the default printer"
