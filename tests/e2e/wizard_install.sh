#!/usr/bin/env bash
# End-to-end installation with the real program under Wine, on a display of its own:
#   wizard_install.sh ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR
#     PRINTUI_STUB  the test-only printui.dll, put in the prefix in place of Wine's own
#     (the other arguments as for wizard_walk.sh; screenshots go to
#      BUILD_DIR/screenshots/ARCH-install-*.png)
#
# 1. The whole wizard on the sample medium, no USB printer: Finish installs the first
#    model of "KV系列" on LPT1:, the success box appears, the wizard ends, and the printer
#    is in Wine's spooler as the default printer.
# 2. The printer user-interface entry point fails (TAMRIN_PRINTUI_FAIL): the failure box
#    appears, then the wizard stays open on the finish page with its buttons usable.
# 3. Cancel on each page ends the process at once and creates no printer.
# The seconds from start to the welcome page and each page's activation are printed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/wizard_lib.sh"
e2e_on_display "$@"

arch=$1 build=$2 program=$3 probe=$4 stub=$5 medium=$6
work=$build/e2e/wizard_install
shots=$build/screenshots
exe_name=$(basename "$program")
printer='Korvel KV-100'

rm -rf "$work"
mkdir -p "$work/medium" "$shots"
rm -f "$shots/$arch"-install-*.png "$shots/$arch-failure.png"
cp -r "$medium/." "$work/medium/"
cp "$program" "$work/medium/"
export WINEDLLOVERRIDES="mscoree,mshtml=;printui=n"

trap 'e2e_stop; rm -rf "$work/prefix"' EXIT

fresh_prefix() { e2e_fresh_prefix "$stub"; }

printers() { probe printers; }

# --- 1. Success.
fresh_prefix
started=$(date +%s%N)
start_wizard "$work/medium/$exe_name"
probe buttons "$(step 1)" "$only_next" 30000 >/dev/null || fail "no welcome page"
echo "start to welcome page: $(( ($(date +%s%N) - started) / 1000000 )) ms (probe poll included)"
screenshot "$(step 1)" install-page1-welcome
for hop in "1 2 driver" "2 3 port" "3 4 finish"; do
  read -r from to name <<<"$hop"
  ms=$(probe press "$(step "$from")" $next "$(step "$to")") || fail "Next on step $from did not lead to step $to"
  echo "activation of step $to: $ms ms"
  if [ "$to" = 4 ]; then buttons=$back_finish; else buttons=$back_next; fi
  expect_page "$(step "$to")" "$buttons" "install-page$to-$name"
done
[ "$(probe text "$(step 4)" 1021)" = "驱动：$printer" ] || fail "driver line is [$(probe text "$(step 4)" 1021)]"
[ "$(probe text "$(step 4)" 1022)" = "端口：LPT1:" ] || fail "port line is [$(probe text "$(step 4)" 1022)]"
[ "$(probe text "$(step 4)" 1027)" = "状态：" ] || fail "status label is [$(probe text "$(step 4)" 1027)]"
click "$(step 4)" $finish
expect_page OK "$box_buttons" install-success-box
[ "$(probe text OK 0xffff)" = "打印机驱动安装成功！" ] || fail "success box says [$(probe text OK 0xffff)]"
[ "$(probe text "$(step 4)" 1028)" = "打印机驱动已成功安装！" ] || fail "status after success is [$(probe text "$(step 4)" 1028)]"
screenshot "$(step 4)" install-page4-installed
click OK 1
status=0
wait_exit || status=$?
[ $status = 0 ] || fail "the wizard ended with exit code $status after the success box"
state=$(printers)
grep -qx "$printer" <<<"$state" || fail "no printer \"$printer\" after the installation: [$state]"
grep -qx "default=$printer" <<<"$state" || fail "\"$printer\" is not the default printer: [$state]"
log=$(cat "$work/printui.log")
grep -q '/if' <<<"$log" || fail "printui was not asked to install: [$log]"
grep -q '/y' <<<"$log" || fail "printui was not asked to set the default printer: [$log]"
if grep -q '/k' <<<"$log"; then fail "a test page was printed: [$log]"; fi
echo "success: \"$printer\" installed as the default printer"

# --- 2. Failure: the box, then the wizard stays open with its buttons back.
fresh_prefix
export TAMRIN_PRINTUI_FAIL=1
start_wizard "$work/medium/$exe_name"
walk_to_finish install-fail-
click "$(step 4)" $finish
expect_page ERROR "$box_buttons" install-failure-box
[ "$(probe text ERROR 0xffff)" = "打印机驱动安装失败！" ] || fail "failure box says [$(probe text ERROR 0xffff)]"
click ERROR 1
expect_page "$(step 4)" "$back_finish" install-page4-failed
[ "$(probe text "$(step 4)" 1028)" = "打印机驱动安装失败！" ] || fail "status after failure is [$(probe text "$(step 4)" 1028)]"
kill -0 "$wizard_pid" 2>/dev/null || fail "the wizard ended after a failed installation"
click "$(step 4)" $cancel
wait_exit || fail "Cancel after the failure did not end the program cleanly"
unset TAMRIN_PRINTUI_FAIL
if printers | grep -qx "$printer"; then fail "a printer was created although printui failed"; fi
echo "failure: ERROR box, wizard kept open, buttons back"

# --- 3. Cancel on each page.
for page in 1 2 3 4; do
  fresh_prefix
  start_wizard "$work/medium/$exe_name"
  expect_page "$(step 1)" "$only_next" cancel-ignored
  for ((p = 1; p < page; p++)); do
    click "$(step $p)" $next
    probe buttons "$(step $((p + 1)))" "$([ $((p + 1)) = 4 ] && echo "$back_finish" || echo "$back_next")" 30000 >/dev/null \
      || fail "no step $((p + 1))"
  done
  click "$(step $page)" $cancel
  status=0
  wait_exit || status=$?
  [ $status = 0 ] || fail "Cancel on step $page: exit code $status"
  if printers | grep -q Korvel; then fail "Cancel on step $page left a printer"; fi
  [ ! -s "$work/printui.log" ] || fail "Cancel on step $page called printui"
done
rm -f "$shots/$arch-cancel-ignored.png"
echo "cancel: every page ends the program, nothing installed"
