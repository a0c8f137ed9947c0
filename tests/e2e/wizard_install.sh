#!/usr/bin/env bash
# End-to-end installation with the real program under Wine, on a display of its own:
#   wizard_install.sh ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR (see wizard_lib.sh)
# Screenshots go to BUILD_DIR/screenshots/wizard_install/ARCH-*.png.
#
# 1. The whole wizard on the sample medium, no USB printer: Finish installs the first
#    model of "KV系列" on LPT1:, the success box appears, the wizard ends, and the printer
#    is in Wine's spooler as the default printer.
# 2. The same with the keyboard alone: Return on every page, on Finish and on the success
#    box (the default button has the focus on every page); started with /log, the wizard
#    writes the install command line and its exit code to the log.
# 3. A slow installation (TAMRIN_PRINTUI_HOLD: printui returns when the test lets it):
#    Escape and Alt+F4 while it runs leave the wizard on screen with every button
#    disabled; then the success box appears and the printer is installed.
# 4. The printer user-interface entry point fails (TAMRIN_PRINTUI_FAIL): the failure box
#    appears, then the wizard stays open on the finish page with its buttons usable and
#    the focus on Finish (Return tries again).
# 5. Cancel on each page ends the process at once and creates no printer; so do Escape
#    and Alt+F4 when nothing runs (which also shows that the keys of 3. reach the wizard).
# Exit codes (read whole through the probe): 0 after the success box, 1603 for Cancel
# after a failed installation, 1602 for Cancel, Escape and Alt+F4 with nothing installed.
# The seconds from start to the welcome page and each page's activation are printed.
source "$(dirname "$0")/wizard_lib.sh"
e2e_begin wizard_install "$@"

printer='Korvel KV-100'
e2e_lay_out_medium

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
e2e_fresh_prefix
started=${EPOCHREALTIME/./}
start_watched "$work/medium/$exe_name"
probe buttons "$(step 1)" "$only_next" 30000 >/dev/null || fail "no welcome page"
echo "start to welcome page: $(( (${EPOCHREALTIME/./} - started) / 1000 )) ms (probe poll included)"
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
[ "$(watched exit)" = 0 ] || fail "the wizard ended with exit code [$(watched exit)] after the success box"
expect_installed "Finish"
log=$(cat "$work/printui.log")
grep -q '/y' <<<"$log" || fail "printui was not asked to set the default printer: [$log]"
if grep -q '/k' <<<"$log"; then fail "a test page was printed: [$log]"; fi
# The driver package is staged for a printer plugged in later: a copy of the medium's INF
# in the system's INF folder (Windows names it oem<N>.inf; Wine keeps its name).
staged=$(find "$TAMRIN_WINEPREFIX/drive_c/windows/inf" -maxdepth 1 -type f -iname 'oem*.inf' -print -quit)
[ -n "$staged" ] && cmp -s "$staged" "$work/medium/PrinterDriver/24pin/OEMPRINT.INF" \
  || fail "no copy of the driver INF in the prefix's inf folder"
echo "success: \"$printer\" installed as the default printer, driver package staged ($(basename "$staged"))"

# --- 2. The keyboard alone: Return from the welcome page to the end; with /log the
# wizard writes the setup log.
e2e_fresh_prefix
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
e2e_fresh_prefix
export TAMRIN_PRINTUI_HOLD="$(windows_path "$work/release")"
start_wizard "$work/medium/$exe_name"
walk_to_finish install-busy-
click "$(step 4)" $finish
wait_for 30 "printui was not started" grep -qs '/if' "$work/printui.log"
expect_page "$(step 4)" "$busy" install-page4-installing
still_busy() { e2e_running "$wizard_pid" && probe buttons "$(step 4)" "$busy" 0 >/dev/null; }
for keys in Escape alt+F4; do
  press_key "$(step 4)" "$keys"
  holds_for 1 "$keys during the installation ended the program or changed the page" still_busy
done
touch "$work/release"
expect_page OK "$box_buttons" install-busy-success-box
click OK 1
status=0
wait_exit || status=$?
[ $status = 0 ] || fail "the wizard ended with exit code $status after the success box"
expect_installed "slow installation"
unset TAMRIN_PRINTUI_HOLD
echo "closing while installing: Escape and Alt+F4 refused, the outcome reported"

# --- 4. Failure: the box, then the wizard stays open with its buttons back.
e2e_fresh_prefix
export TAMRIN_PRINTUI_FAIL=1
start_watched "$work/medium/$exe_name"
walk_to_finish install-fail-
click "$(step 4)" $finish
expect_page ERROR "$box_buttons" install-failure-box
[ "$(probe text ERROR 0xffff)" = "打印机驱动安装失败！" ] || fail "failure box says [$(probe text ERROR 0xffff)]"
click ERROR 1
expect_page "$(step 4)" "$back_finish" install-page4-failed
[ "$(probe text "$(step 4)" 1028)" = "打印机驱动安装失败！" ] || fail "status after failure is [$(probe text "$(step 4)" 1028)]"
e2e_running "$wizard_pid" || fail "the wizard ended after a failed installation"
# The focus is back on Finish: Return tries again.
press_key "$(step 4)" Return
expect_page ERROR "$box_buttons" install-failure-box-again
click ERROR 1
expect_page "$(step 4)" "$back_finish" install-page4-failed-again
click "$(step 4)" $cancel
wait_exit || fail "Cancel after the failure did not end the program cleanly"
[ "$(watched exit)" = 1603 ] || fail "Cancel after a failed installation: exit code [$(watched exit)], not 1603"
unset TAMRIN_PRINTUI_FAIL
if printers | grep -x "$printer" >/dev/null; then fail "a printer was created although printui failed"; fi
echo "failure: ERROR box, wizard kept open, buttons back; exit code 1603 after Cancel"

# --- 5. Cancel on each page, in the prefix of 4. (no printer): each run is shown to leave nothing.
for page in 1 2 3 4; do
  rm -f "$work/printui.log"
  start_watched "$work/medium/$exe_name"
  expect_page "$(step 1)" "$only_next" cancel-ignored
  # Next by the button's own click (the walks above show the mouse and the keyboard), which
  # returns once the page is active: no pointer event to lose on a loaded machine.
  for ((p = 1; p < page; p++)); do
    probe press "$(step $p)" $next "$(step $((p + 1)))" >/dev/null || fail "no step $((p + 1))"
  done
  click "$(step $page)" $cancel
  wait_exit || fail "Cancel on step $page: the program did not end cleanly"
  [ "$(watched exit)" = 1602 ] || fail "Cancel on step $page: exit code [$(watched exit)], not 1602"
  if printers | grep Korvel >/dev/null; then fail "Cancel on step $page left a printer"; fi
  [ ! -s "$work/printui.log" ] || fail "Cancel on step $page called printui"
done
echo "cancel: every page ends the program with exit code 1602, nothing installed"

for keys in Escape alt+F4; do
  rm -f "$work/printui.log"
  start_watched "$work/medium/$exe_name"
  walk_to_finish cancel-ignored- keys
  press_key "$(step 4)" "$keys"
  wait_exit || fail "$keys on the finish page: the program did not end cleanly"
  [ "$(watched exit)" = 1602 ] || fail "$keys on the finish page: exit code [$(watched exit)], not 1602"
  [ ! -s "$work/printui.log" ] || fail "$keys on the finish page called printui"
done
rm -f "$shots/$arch"-cancel-ignored*.png
echo "Escape and Alt+F4 end the program when nothing runs"
