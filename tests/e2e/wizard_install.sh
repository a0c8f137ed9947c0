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
# 2. The same with the keyboard alone: Return on every page, on Finish and on the success
#    box (the default button has the focus on every page); started with /log, the wizard
#    writes the install command line and its exit code to the log.
# 3. A slow installation (TAMRIN_PRINTUI_DELAY_MS): Escape and Alt+F4 while it runs leave
#    the wizard on screen with every button disabled; then the success box appears and
#    the printer is installed.
# 4. The printer user-interface entry point fails (TAMRIN_PRINTUI_FAIL): the failure box
#    appears, then the wizard stays open on the finish page with its buttons usable and
#    the focus on Finish (Return tries again).
# 5. Cancel on each page ends the process at once and creates no printer; so do Escape
#    and Alt+F4 when nothing runs (which also shows that the keys of 3. reach the wizard).
# Exit codes (read whole through the probe): 0 after the success box, 1603 for Cancel
# after a failed installation, 1602 for Cancel, Escape and Alt+F4 with nothing installed.
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
# The INF names its signed catalog, which the sample medium cannot carry; Wine's staging
# only needs a file of that name to copy the package.
for head in 24pin 9pin; do printf 'catalog stand-in' >"$work/medium/PrinterDriver/$head/korvel.cat"; done
export WINEDLLOVERRIDES="mscoree,mshtml=;printui=n"

trap 'e2e_stop; rm -rf "$work/prefix"' EXIT

fresh_prefix() { e2e_fresh_prefix "$stub"; }

printers() { probe printers; }

# The printer is installed and the default one, and printui was asked to install it.
expect_installed() {
  local state log
  state=$(printers)
  grep -qx "$printer" <<<"$state" || fail "$1: no printer \"$printer\" after the installation: [$state]"
  grep -qx "default=$printer" <<<"$state" || fail "$1: \"$printer\" is not the default printer: [$state]"
  log=$(cat "$work/printui.log")
  grep -q '/if' <<<"$log" || fail "$1: printui was not asked to install: [$log]"
}

busy='back=disabled next=hidden finish=disabled cancel=disabled help=hidden'

# --- 1. Success.
fresh_prefix
started=$(date +%s%N)
start_watched "$work/medium/$exe_name"
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
wait_exit || fail "the program did not end cleanly"
[ "$(watched_exit)" = 0 ] || fail "the wizard ended with exit code [$(watched_exit)] after the success box"
state=$(printers)
grep -qx "$printer" <<<"$state" || fail "no printer \"$printer\" after the installation: [$state]"
grep -qx "default=$printer" <<<"$state" || fail "\"$printer\" is not the default printer: [$state]"
log=$(cat "$work/printui.log")
grep -q '/if' <<<"$log" || fail "printui was not asked to install: [$log]"
grep -q '/y' <<<"$log" || fail "printui was not asked to set the default printer: [$log]"
if grep -q '/k' <<<"$log"; then fail "a test page was printed: [$log]"; fi
# The driver package is staged for a printer plugged in later: a copy of the medium's INF
# in the system's INF folder (Windows names it oem<N>.inf; Wine keeps its name).
staged=$(find "$TAMRIN_WINEPREFIX/drive_c/windows/inf" -maxdepth 1 -type f -iname 'oem*.inf' | head -1)
[ -n "$staged" ] && cmp -s "$staged" "$work/medium/PrinterDriver/24pin/OEMPRINT.INF" \
  || fail "no copy of the driver INF in the prefix's inf folder"
echo "success: \"$printer\" installed as the default printer, driver package staged ($(basename "$staged"))"

# --- 2. The keyboard alone: Return from the welcome page to the end; with /log the
# wizard writes the setup log.
fresh_prefix
rm -f "$work/wizard.log"
start_wizard "$work/medium/$exe_name" /log "$(windows_path "$work/wizard.log")"
walk_to_finish install-keys- keys
press_key "$(step 4)" Return
expect_page OK "$box_buttons" install-keys-success-box
press_key OK Return
status=0
wait_exit || status=$?
[ $status = 0 ] || fail "the wizard ended with exit code $status after Return on the success box"
expect_installed "Return alone"
wizard_log=$(cat "$work/wizard.log" 2>/dev/null || true)
grep -F "rundll32.exe PRINTUI.DLL,PrintUIEntry /if /n \"$printer\"" <<<"$wizard_log" >/dev/null ||
  fail "the wizard's log lacks the install command line: [$wizard_log]"
grep -F "Exit code 0" <<<"$wizard_log" >/dev/null || fail "the wizard's log lacks its exit code: [$wizard_log]"
echo "keyboard: Return alone walked the wizard and installed \"$printer\""

# --- 3. Escape and Alt+F4 while a slow installation runs.
fresh_prefix
export TAMRIN_PRINTUI_DELAY_MS=8000
start_wizard "$work/medium/$exe_name"
walk_to_finish install-busy-
click "$(step 4)" $finish
for i in $(seq 300); do
  grep -q '/if' "$work/printui.log" 2>/dev/null && break
  sleep 0.1
done
grep -q '/if' "$work/printui.log" 2>/dev/null || fail "printui was not started"
expect_page "$(step 4)" "$busy" install-page4-installing
for keys in Escape alt+F4; do
  press_key "$(step 4)" "$keys"
  sleep 1
  kill -0 "$wizard_pid" 2>/dev/null || fail "$keys during the installation ended the program"
  probe buttons "$(step 4)" "$busy" 2000 >/dev/null || fail "$keys during the installation closed the wizard"
done
expect_page OK "$box_buttons" install-busy-success-box
click OK 1
status=0
wait_exit || status=$?
[ $status = 0 ] || fail "the wizard ended with exit code $status after the success box"
expect_installed "slow installation"
unset TAMRIN_PRINTUI_DELAY_MS
echo "closing while installing: Escape and Alt+F4 refused, the outcome reported"

# --- 4. Failure: the box, then the wizard stays open with its buttons back.
fresh_prefix
export TAMRIN_PRINTUI_FAIL=1
start_watched "$work/medium/$exe_name"
walk_to_finish install-fail-
click "$(step 4)" $finish
expect_page ERROR "$box_buttons" install-failure-box
[ "$(probe text ERROR 0xffff)" = "打印机驱动安装失败！" ] || fail "failure box says [$(probe text ERROR 0xffff)]"
click ERROR 1
expect_page "$(step 4)" "$back_finish" install-page4-failed
[ "$(probe text "$(step 4)" 1028)" = "打印机驱动安装失败！" ] || fail "status after failure is [$(probe text "$(step 4)" 1028)]"
kill -0 "$wizard_pid" 2>/dev/null || fail "the wizard ended after a failed installation"
# The focus is back on Finish: Return tries again.
press_key "$(step 4)" Return
expect_page ERROR "$box_buttons" install-failure-box-again
click ERROR 1
expect_page "$(step 4)" "$back_finish" install-page4-failed-again
click "$(step 4)" $cancel
wait_exit || fail "Cancel after the failure did not end the program cleanly"
[ "$(watched_exit)" = 1603 ] || fail "Cancel after a failed installation: exit code [$(watched_exit)], not 1603"
unset TAMRIN_PRINTUI_FAIL
if printers | grep -x "$printer" >/dev/null; then fail "a printer was created although printui failed"; fi
echo "failure: ERROR box, wizard kept open, buttons back; exit code 1603 after Cancel"

# --- 5. Cancel on each page.
for page in 1 2 3 4; do
  fresh_prefix
  start_watched "$work/medium/$exe_name"
  expect_page "$(step 1)" "$only_next" cancel-ignored
  for ((p = 1; p < page; p++)); do
    click "$(step $p)" $next
    probe buttons "$(step $((p + 1)))" "$([ $((p + 1)) = 4 ] && echo "$back_finish" || echo "$back_next")" 30000 >/dev/null \
      || fail "no step $((p + 1))"
  done
  click "$(step $page)" $cancel
  wait_exit || fail "Cancel on step $page: the program did not end cleanly"
  [ "$(watched_exit)" = 1602 ] || fail "Cancel on step $page: exit code [$(watched_exit)], not 1602"
  if printers | grep Korvel >/dev/null; then fail "Cancel on step $page left a printer"; fi
  [ ! -s "$work/printui.log" ] || fail "Cancel on step $page called printui"
done
rm -f "$shots/$arch-cancel-ignored.png"
echo "cancel: every page ends the program with exit code 1602, nothing installed"

for keys in Escape alt+F4; do
  fresh_prefix
  start_watched "$work/medium/$exe_name"
  walk_to_finish cancel-ignored- keys
  press_key "$(step 4)" "$keys"
  wait_exit || fail "$keys on the finish page: the program did not end cleanly"
  [ "$(watched_exit)" = 1602 ] || fail "$keys on the finish page: exit code [$(watched_exit)], not 1602"
  [ ! -s "$work/printui.log" ] || fail "$keys on the finish page called printui"
done
rm -f "$shots/$arch"-cancel-ignored-*.png
echo "Escape and Alt+F4 end the program when nothing runs"
