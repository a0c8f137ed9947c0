#!/usr/bin/env bash
# The unattended mode (/quiet) of the real program under Wine, on a display of its own:
#   quiet_mode.sh ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR (see wizard_lib.sh)
# Every run goes through the probe's "run", which
# reads the whole 32-bit exit code and counts the windows the program showed.
# 1. Installation on the sample medium: exit 0, no window, the printer made the default,
#    the exact printer-interface lines in the log; without /log the log goes to %TEMP%,
#    and switches and the port name are read without regard to case.
# 2. The printer interface fails: 1603, no printer, no attempt to make it the default.
# 3. Removal takes the model's printer and its copies, keeps a look-alike and the driver
#    it uses; a second removal finds nothing and succeeds.
# 4. /whatif, installing over a printer and removing it: the plan in the log, the
#    spooler, the INF folder and the printer interface untouched.
# 5. Invalid command lines: 1639, the reason in the log, nothing touched, even with a
#    printer of the model present; a switch that needs /quiet without it shows a box
#    (BUILD_DIR/screenshots/quiet_mode/ARCH-quiet-invalid-box.png). Without /log, with a
#    folder planted under the default log's name, the log is a new file beside it.
# 6. One setup at a time: a quiet run while the wizard runs, or while another quiet run
#    installs, ends with 1618 and changes nothing; the wizard then cancelled gives 1602.
# 7. /update keeps the printers on the model's driver as they are (a changed comment
#    stays) and installs the driver again; with /uninstall it is refused with 1639.
source "$(dirname "$0")/wizard_lib.sh"
e2e_begin quiet_mode "$@"

printer='Korvel KV-100'
caption='Korvel Printer Driver Setup'
e2e_lay_out_medium
exe=$(windows_path "$work/medium/$exe_name")
inf="$(windows_path "$work/medium")\\PrinterDriver\\24pin\\OEMPRINT.INF"
install_line="rundll32.exe PRINTUI.DLL,PrintUIEntry /if /q /n \"$printer\" /f \"$inf\" /r \"LPT1:\" /m \"$printer\" "
default_line="rundll32.exe PRINTUI.DLL,PrintUIEntry /y /q /n \"$printer\""

names() { printers | grep -v '^default=' || true; }
log_path() { windows_path "$work/$1.log"; }
ms_since() { echo $(( (${EPOCHREALTIME/./} - $1) / 1000 )); }

# A printer made by the stand-in directly, as another program would: add_printer NAME PORT [DRIVER]
add_printer() {
  wine rundll32.exe printui.dll,PrintUIEntry /if /n "$1" /f "$inf" /r "$2" /m "${3:-$printer}"
  names | grep -xF "$1" >/dev/null || fail "the printer \"$1\" was not made for the test"
}

# expect_run CODE ARGS...: the program, run with ARGS, ends with CODE and shows no window.
expect_run() {
  local want=$1 out code windows
  shift
  out=$(probe run "$exe" "$@") || fail "the probe could not run the program with [$*]: [$out]"
  code=$(sed -n 's/^exit=//p' <<<"$out") windows=$(sed -n 's/^windows=//p' <<<"$out")
  [ "$code" = "$want" ] && [ "$windows" = 0 ] || fail "[$*]: exit=$code windows=$windows, expected exit=$want windows=0"
}

# The log's lines (Windows line ends) without their time stamps; every line must have one.
logged() {
  [ -f "$1" ] || fail "no log $1"
  if grep -avE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} ' "$1" | grep . >/dev/null; then
    fail "$1 has lines without a time stamp: [$(cat "$1")]"
  fi
  tr -d '\r' <"$1" | sed -E 's/^[^ ]+ [^ ]+ //'
}

# expect_logged FILE LINE...: each LINE is a whole line of the log.
expect_logged() {
  local file=$1 text line
  shift
  text=$(logged "$file")
  for line in "$@"; do grep -qxF -- "$line" <<<"$text" || fail "$file lacks the line [$line]: [$text]"; done
}

expect_log_ends() {
  local last
  last=$(logged "$1" | tail -1)
  [ "$last" = "Exit code $2" ] || fail "$1 ends with [$last], not [Exit code $2]"
}

no_printui() { [ ! -e "$work/printui.log" ] || fail "$1: the printer interface was called: [$(cat "$work/printui.log")]"; }

# --- 1. Installation.
e2e_fresh_prefix
started=${EPOCHREALTIME/./}
expect_run 0 /quiet /model KV-100 /port LPT1: /log "$(log_path install)"
echo "quiet installation: $(ms_since "$started") ms"
state=$(printers)
grep -qxF "$printer" <<<"$state" && grep -qxF "default=$printer" <<<"$state" \
  || fail "\"$printer\" is not installed as the default printer: [$state]"
expect_logged "$work/install.log" "$install_line" "$default_line" Installed
expect_log_ends "$work/install.log" 0
[ "$(cat "$work/printui.log")" = "${install_line#rundll32.exe PRINTUI.DLL,PrintUIEntry }
${default_line#rundll32.exe PRINTUI.DLL,PrintUIEntry }" ] || fail "printui was called with [$(cat "$work/printui.log")]"
# Again over the installed printer, without /log, in other cases: the spooler's spelling
# of the port reaches the printer interface.
expect_run 0 -QUIET -Model KV-100 -port lpt1:
temp_log=$(find "$TAMRIN_WINEPREFIX/drive_c/users" -name tamrin-setup.log -path '*Temp*' -print -quit)
[ -n "$temp_log" ] || fail "no tamrin-setup.log in the prefix's temporary folder"
expect_logged "$temp_log" "$install_line" Installed
expect_log_ends "$temp_log" 0
grep -qxF "default=$printer" <<<"$(printers)" || fail "\"$printer\" is not the default printer after the second run"
echo "installed as the default printer; without /log the log is ${temp_log#"$TAMRIN_WINEPREFIX"/}"

# --- 2. The printer interface fails.
e2e_fresh_prefix
before=$(printers)
TAMRIN_PRINTUI_FAIL=1 expect_run 1603 /quiet /model KV-100 /port LPT1: /log "$(log_path fail)"
[ "$(printers)" = "$before" ] || fail "the spooler changed although printui failed: [$(printers)]"
expect_logged "$work/fail.log" "The printer \"$printer\" is not there after the printer interface ended" \
  "The installation failed"
expect_log_ends "$work/fail.log" 1603
if grep -q '/y' "$work/printui.log"; then fail "a printer that is not there was made the default"; fi
echo "printer interface failing: exit 1603, nothing installed"

# --- 3. Removal of the model's printers.
e2e_fresh_prefix
add_printer "$printer" LPT1:
add_printer "$printer (2)" LPT2:
add_printer 'Korvel KV-1000' LPT3:  # a look-alike name, on the model's driver
started=${EPOCHREALTIME/./}
expect_run 0 /quiet /uninstall /model KV-100 /log "$(log_path remove)"
echo "quiet removal: $(ms_since "$started") ms"
[ "$(names)" = 'Korvel KV-1000' ] || fail "after the removal the printers are [$(names)]"
expect_logged "$work/remove.log" "Removing the printer \"$printer\"" "Removing the printer \"$printer (2)\"" \
  "Keeping the driver \"$printer\": the printer \"Korvel KV-1000\" uses it" Removed
expect_log_ends "$work/remove.log" 0
expect_run 0 /quiet /uninstall /model KV-100 /log "$(log_path remove-again)"
expect_logged "$work/remove-again.log" "No printer of \"$printer\" is installed: nothing to remove"
echo "removal: the printer and its copy gone, the look-alike and its driver kept; again: nothing to remove"

# --- 4. What if: the plan, nothing changed.
e2e_fresh_prefix
add_printer "$printer" LPT1:
rm -f "$work/printui.log"
before=$(printers) inf_before=$(ls "$TAMRIN_WINEPREFIX/drive_c/windows/inf")
expect_run 0 /quiet /whatif /model KV-100 /port LPT2: /log "$(log_path whatif)"
expect_run 0 /quiet /whatif /uninstall /model KV-100 /log "$(log_path whatif)"
[ "$(printers)" = "$before" ] || fail "/whatif changed the spooler: [$before] became [$(printers)]"
[ "$(ls "$TAMRIN_WINEPREFIX/drive_c/windows/inf")" = "$inf_before" ] || fail "/whatif staged a driver package"
no_printui /whatif
expect_logged "$work/whatif.log" "[what if] Removing the printer \"$printer\"" "[what if] Deleting the driver \"$printer\"" \
  "[what if] ${install_line/\"LPT1:\"/\"LPT2:\"}" "[what if] $default_line" \
  "[what if] Removing the printer \"$printer\"" "[what if] Deleting the driver \"$printer\"" \
  "[what if] The driver store does not say which package the driver \"$printer\" came from: no package is removed"
[ "$(logged "$work/whatif.log" | grep -c '^Exit code 0$')" = 2 ] || fail "the second /whatif run did not append to the log"
echo "what if: both plans logged, nothing changed"

# --- 5. Invalid command lines, with a printer of the model present.
e2e_fresh_prefix
add_printer "$printer" LPT1:
rm -f "$work/printui.log"
before=$(printers)
catalogue_says="the model \"KV-999\" is not listed in [KV系列] of $(windows_path "$work/medium")\\PrinterInfor.Inf"
refusals=(
  '/quiet /bogus|Invalid command line: unknown switch "/bogus"'
  '/quiet /model|Invalid command line: "/model" needs a value'
  "/quiet /model KV-999 /port LPT1:|Refused, nothing changed: $catalogue_says (it lists KV-100, KV-200, KV-300K, KV-9100)"
  '/quiet /model KV-100 /port LPT9:|Refused, nothing changed: the port "LPT9:" is not one the spooler lists ('
  '/quiet /model KV-100|Refused, nothing changed: no /port given, and no USB port of an attached printer was found'
)
for n in "${!refusals[@]}"; do
  args=${refusals[n]%%|*} reason=${refusals[n]#*|}
  # shellcheck disable=SC2086  # the switches are split at blanks on purpose
  expect_run 1639 /log "$(log_path "invalid-$n")" $args
  logged "$work/invalid-$n.log" | grep -F -- "$reason" >/dev/null || fail "[$args]: the log lacks [$reason]: [$(logged "$work/invalid-$n.log")]"
  expect_log_ends "$work/invalid-$n.log" 1639
  [ "$(printers)" = "$before" ] || fail "[$args] changed the spooler: [$(printers)]"
  no_printui "[$args]"
done
# A folder in the default log's place is left alone; the log goes beside it and says why.
temp=$(find "$TAMRIN_WINEPREFIX/drive_c/users" -maxdepth 2 -type d -name Temp -print -quit)
mkdir "$temp/tamrin-setup.log"
expect_run 1639 /quiet /bogus
beside=$(find "$temp" -maxdepth 1 -type f -name 'tamrin-setup-*.log' -print -quit)
[ -n "$beside" ] || fail "no log beside the folder planted in $temp: [$(ls "$temp")]"
logged "$beside" | sed -n 1p | grep -F 'tamrin-setup.log", which may not serve: it cannot be opened as a file: error 5' \
  >/dev/null || fail "the log beside the folder does not start with why: [$(logged "$beside")]"
expect_log_ends "$beside" 1639
[ -z "$(ls -A "$temp/tamrin-setup.log")" ] || fail "the planted folder was written into"
# Without /quiet the refusal is shown in a box as well.
start_watched "$work/medium/$exe_name" /model KV-100 /log "$(log_path invalid-box)"
expect_page "$caption" "$box_buttons" quiet-invalid-box
said=$(probe text "$caption" 0xffff)
[[ $said == '命令行无效：/model 需要与 /quiet 一起使用\n\n'* ]] || fail "the box says [$said]"
press_key "$caption" Return
wait_exit || fail "the probe watching the boxed run failed"
[ "$(watched windows) $(watched exit)" = "1 1639" ] || fail "boxed refusal: [$(cat "$work/watched.out")]"
expect_logged "$work/invalid-box.log" 'Invalid command line: /model needs /quiet'
[ "$(printers)" = "$before" ] || fail "the boxed refusal changed the spooler: [$(printers)]"
no_printui "/model without /quiet"
echo "invalid command lines: $((${#refusals[@]} + 2)) refused with 1639, the reason logged, nothing changed; the log beside a planted folder: ${beside##*/}"

# --- 6. One setup at a time.
e2e_fresh_prefix
start_watched "$work/medium/$exe_name"
expect_page "$(step 1)" "$only_next" quiet-busy-wizard
expect_run 1618 /quiet /model KV-100 /port LPT1: /log "$(log_path busy-wizard)"
expect_logged "$work/busy-wizard.log" 'Another setup is running; nothing was changed'
expect_log_ends "$work/busy-wizard.log" 1618
[ -z "$(names)" ] || fail "a quiet run beside the wizard made [$(names)]"
no_printui "a quiet run beside the wizard"
click "$(step 1)" $cancel
wait_exit || fail "the probe watching the wizard failed"
[ "$(watched exit)" = 1602 ] || fail "the cancelled wizard: [$(cat "$work/watched.out")]"
# A slow quiet installation holds off a second one.
TAMRIN_PRINTUI_HOLD=$(windows_path "$work/release") start_watched "$work/medium/$exe_name" /quiet /model KV-100 /port LPT1: /log "$(log_path slow)"
wait_for 30 "the slow installation did not call printui" grep -qs '/if' "$work/printui.log"
# Both write to one log, which the running setup holds open: the refusal is in it too.
expect_run 1618 /quiet /model KV-200 /port LPT2: /log "$(log_path slow)"
expect_logged "$work/slow.log" 'Another setup is running; nothing was changed'
touch "$work/release"
wait_exit || fail "the probe watching the slow installation failed"
[ "$(watched exit)" = 0 ] || fail "the slow installation: [$(cat "$work/watched.out")]"
[ "$(names)" = "$printer" ] || fail "beside the slow installation the printers became [$(names)]"
echo "one setup at a time: 1618 beside the wizard and beside a quiet run; the wizard cancelled: 1602"

# --- 7. /update: the printers on the model's driver, one renamed and its comment changed,
# are kept as they are and given the driver again (Wine has no
# InstallPrinterDriverFromPackage: the printer interface's /ia); none is removed or made.
e2e_fresh_prefix
add_printer "$printer" LPT1:
add_printer Invoices LPT2:
[ "$(probe comment Invoices 'Counter 2')" = 'Counter 2' ] || fail "the test could not set the printer's comment"
rm -f "$work/printui.log"
before=$(printers)
expect_run 0 /quiet /update /model KV-100 /log "$(log_path update)"
[ "$(printers)" = "$before" ] || fail "/update changed the printers: [$before] became [$(printers)]"
[ "$(probe comment Invoices)" = 'Counter 2' ] || fail "/update lost the printer's comment: [$(probe comment Invoices)]"
kept="as it is (queue, name, port, settings, sharing, permissions, jobs); its driver is updated"
expect_logged "$work/update.log" "Keeping the printer \"$printer\" $kept" "Keeping the printer \"Invoices\" $kept" \
  "rundll32.exe PRINTUI.DLL,PrintUIEntry /ia /q /m \"$printer\" /f \"$inf\"" \
  'The default printer stays as it is: an update keeps the printers it finds' Updated
expect_log_ends "$work/update.log" 0
grep -qF "/if" "$work/printui.log" && fail "/update asked the printer interface for a printer: [$(cat "$work/printui.log")]"
expect_run 1639 /quiet /update /uninstall /model KV-100 /log "$(log_path update-uninstall)"
expect_logged "$work/update-uninstall.log" 'Invalid command line: /update cannot be combined with /uninstall'
echo "update: both printers on the model's driver kept with their comment, the driver installed again; with /uninstall: 1639"
