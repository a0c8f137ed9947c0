#!/usr/bin/env bash
# The released program installs a printer, on a display of its own:
#   package_install.sh win64 BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR RELEASE_WORK
# (see wizard_lib.sh; RELEASE_WORK: the scratch folder of the package tests, whose release
# package_test.sh build makes; screenshots go to BUILD_DIR/screenshots/package_install/)
#
# The zip of the release is unpacked and its tamrin64.exe started from the unpacked
# medium: Next through the pages, Finish, the success box, and "Korvel KV-100" is Wine's
# default printer.
source "$(dirname "$0")/wizard_lib.sh"
e2e_begin package_install "$@"

release=${e2e_more[0]}
printer='Korvel KV-100'
zip=$(ls "$release"/a/dist/tamrin-*.zip 2>/dev/null) || fail "no release in $release/a (part \"build\" failed?)"
unzip -q "$zip" -d "$work"
e2e_fresh_prefix
start_wizard "$work/medium/tamrin64.exe"
walk_to_finish package-
click "$(step 4)" $finish
expect_page OK "$box_buttons" package-success-box
[ "$(probe text OK 0xffff)" = "打印机驱动安装成功！" ] || fail "success box says [$(probe text OK 0xffff)]"
click OK 1
status=0
wait_exit || status=$?
[ $status = 0 ] || fail "the released program ended with exit code $status after the success box"
state=$(printers)
grep -qx "default=$printer" <<<"$state" || fail "\"$printer\" is not the default printer: [$state]"
echo "the released tamrin64.exe installed \"$printer\" as the default printer"
