#!/usr/bin/env bash
# A USB printer attached: the real program under Wine with the test USB printer
# (tests/usb_printer) plugged into its prefix, on a display of its own:
#   usb_attached.sh ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR USB_PRINTER
#     USB_PRINTER  the helper that plugs the test printer in (its driver and INF beside it)
#     (the other arguments as wizard_lib.sh says; screenshots go to
#      BUILD_DIR/screenshots/usb_attached/ARCH-usb-*.png)
#
# 1. A KV-100 attached: the driver page offers KV-100 alone, the port page names the
#    detected USB001, Finish takes the plug-and-play route with the INF's hardware ID, and
#    the device below the printer ends with the medium's driver package: printer class,
#    driver key of the INF's section, the model's description. The queue is the one made
#    for the device on USB001, named by that description (the helper registers a stand-in
#    for Windows' printer class installer, which Wine lacks): the printer interface is only
#    asked to make it the default, by that name.
# 2. The quiet mode with neither /model nor /port, the KV-100 still attached: its model
#    and port are taken, the queue of 1. removed, and the plug-and-play route installs it
#    again (exit 0); unplugged, the same command line is refused with 1639.
# 3. A printer of a model the catalogue does not list: the warning box, whose OK leaves
#    the models of "KV系列" to choose from; the model chosen is installed through the
#    printer interface on the detected port.
# 4. A printer that never answers the device-ID request (with the printer of 3. still
#    installed): the warning box comes after the request's wait, as for a model not
#    listed; the earlier printer is removed, the devices re-scanned, and the printer
#    interface installs the model again; nothing hangs.
# 5. The device's queue already there under another name and driver: the update gives it
#    the model's driver, and it is the printer installed and made the default.
# 6. Two printers: another maker's printer, which Windows lists first, on USB001, and a
#    KV-100 on USB002, of one vendor and product ID, so that only their device instances
#    tell their ports apart: the quiet dry run without and with /model, and the wizard's
#    installation, take the KV-100 on USB002.
# 7. Two KV-100: the port page proposes the first one's port with both in its list; the
#    quiet mode without /port is refused with 1639, naming both ports.
# The first four share one prefix. Wine's device host keeps the printer only while it runs, so
# one Wine server is kept alive there until the script ends. What a
# failing run leaves to read: BUILD_DIR/e2e/usb_attached/ (the helper's output in
# plug.out, the setup logs *.log, the printer interface's calls in printui.log, the
# registry queries reg.out) and the screenshot ARCH-failure.png beside the others.
source "$(dirname "$0")/wizard_lib.sh"
e2e_begin usb_attached "$@"

usb_printer=${e2e_more[0]}
exe=$work/medium/$exe_name
inf="$(windows_path "$work/medium")\\PrinterDriver\\24pin\\OEMPRINT.INF"
hardware_id='USBPRINT\KORVELKV-1001A2B'
warning_caption='欢迎使用科维打印机'
ok_cancel_box='back=hidden next=hidden finish=hidden cancel=enabled help=hidden'

e2e_lay_out_medium

# A fresh prefix whose Wine server stays until the next one (or the end).
fresh_prefix() {
  e2e_fresh_prefix
  e2e_stop
  WINEPREFIX=$TAMRIN_WINEPREFIX /usr/lib/wine/wineserver -p
}

# plug SERIAL DEVICE_ID [HELPER OPTIONS...]: a printer USB\VID_1A2B&PID_3C4D\SERIAL on USB001.
plug() {
  local serial=$1 id=$2
  shift 2
  wine "$usb_printer" plug --instance "USB\\VID_1A2B&PID_3C4D\\$serial" --device-id "$id" "$@" \
    >"$work/plug.out" 2>&1 || fail "the printer was not plugged in: [$(cat "$work/plug.out")]"
}

# The value NAME of registry key KEY in the prefix (empty when it is not there).
registry_value() {
  wine reg query "$1" /v "$2" >"$work/reg.out" 2>&1 || true
  tr -d '\r' <"$work/reg.out" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# The wizard with /log FILE from the welcome page to the finish page, where the summary
# names the model and the port ($walk_port): walk LOG MODEL_ENTRY PRINTER SHOT_PREFIX;
# with "unlisted" as the fifth argument the driver page warns first and OK leaves the series.
walk_port=USB001
walk() {
  local log=$1 entry=$2 printer=$3 shots_prefix=$4 unlisted=${5:-} started items
  start_watched "$exe" /log "$(windows_path "$work/$log")"
  expect_page "$(step 1)" "$only_next" "${shots_prefix}page1-welcome"
  started=$(date +%s%N)
  click "$(step 1)" $next
  if [ -n "$unlisted" ]; then
    expect_page "$warning_caption" "$ok_cancel_box" "${shots_prefix}warning"
    echo "$shots_prefix: the warning after $(( ($(date +%s%N) - started) / 1000000 )) ms (probe poll included)"
    click "$warning_caption" 1
  fi
  expect_page "$(step 2)" "$back_next" "${shots_prefix}page2-driver"
  items=$(probe items "$(step 2)" 1010)
  if [ -n "$unlisted" ]; then
    [ "$items" = $'KV-100\nKV-200\nKV-300K\nKV-9100' ] || fail "$shots_prefix: the driver page offers [$items]"
  else
    [ "$items" = "$entry" ] || fail "$shots_prefix: the driver page offers [$items], not $entry alone"
  fi
  click "$(step 2)" $next
  expect_page "$(step 3)" "$back_next" "${shots_prefix}page3-port"
  [[ $(probe text "$(step 3)" 1032) == *"端口：$walk_port\\n"* ]] \
    || fail "$shots_prefix: the port page says [$(probe text "$(step 3)" 1032)]"
  click "$(step 3)" $next
  expect_page "$(step 4)" "$back_finish" "${shots_prefix}page4-finish"
  [ "$(probe text "$(step 4)" 1021)" = "驱动：$printer" ] || fail "driver line is [$(probe text "$(step 4)" 1021)]"
  [ "$(probe text "$(step 4)" 1022)" = "端口：$walk_port" ] || fail "port line is [$(probe text "$(step 4)" 1022)]"
}

# Finish, the success box, OK, and the wizard's exit code 0.
finish() {
  click "$(step 4)" $finish
  expect_page OK "$box_buttons" "$1success-box"
  [ "$(probe text OK 0xffff)" = "打印机驱动安装成功！" ] || fail "the box says [$(probe text OK 0xffff)]"
  click OK 1
  wait_exit || fail "the wizard did not end cleanly"
  [ "$(watched exit)" = 0 ] || fail "the wizard ended with exit code [$(watched exit)]"
}

logged() { grep -F -- "$2" "$work/$1" >/dev/null || fail "$1 lacks [$2]: [$(cat "$work/$1")]"; }

# --- 1. A KV-100 attached: the plug-and-play route.
fresh_prefix
plug KV100A 'MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;' --hardware-id "$hardware_id"
device="HKLM\\SYSTEM\\CurrentControlSet\\Enum\\$hardware_id\\KV100A"
[ -z "$(registry_value "$device" Class)" ] || fail "the printer's device has a driver before the installation"
walk wizard.log KV-100 'Korvel KV-100' usb-
finish usb-
logged wizard.log "Updating the driver of the attached printer: hardware ID \"$hardware_id\", driver \"$inf\""
logged wizard.log 'Windows made the printer "KORVEL KV-100" on the port "USB001"'
if grep -q '/if' "$work/printui.log"; then fail "the printer interface installed a printer: [$(cat "$work/printui.log")]"; fi
grep -q '^/y /q /n "KORVEL KV-100"$' "$work/printui.log" || fail "no default printer asked for: [$(cat "$work/printui.log")]"
grep -qx 'KORVEL KV-100' <<<"$(probe printers)" || fail "no queue for the device: [$(probe printers)]"
[ "$(registry_value "$device" Class)" = Printer ] || fail "the printer's device is not of the printer class: [$(cat "$work/reg.out")]"
[ "$(registry_value "$device" DeviceDesc)" = 'KORVEL KV-100' ] || fail "the device's description: [$(cat "$work/reg.out")]"
driver_key=$(registry_value "$device" Driver)
[ "$(registry_value "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\$driver_key" InfSection)" = KV100 ] \
  || fail "the device's driver key $driver_key: [$(cat "$work/reg.out")]"
echo "KV-100 attached: plug-and-play update with $hardware_id; the device has the medium's driver ($driver_key)"

# --- 2. The quiet mode takes the attached printer's model and port.
# The removal's re-scan, which Wine's configuration manager cannot do, says so on standard
# output before the probe's two lines.
out=$(probe run "$(windows_path "$exe")" /quiet /log "$(windows_path "$work/quiet.log")")
[ "$(tail -n 2 <<<"$out")" = $'windows=0\nexit=0' ] || fail "the quiet run with the printer attached: [$out] [$(cat "$work/quiet.log")]"
logged quiet.log "port USB001"
logged quiet.log 'Removing the printer "KORVEL KV-100"'
logged quiet.log "Updating the driver of the attached printer: hardware ID \"$hardware_id\""
logged quiet.log 'Windows made the printer "KORVEL KV-100" on the port "USB001"'
wine "$usb_printer" unplug >"$work/plug.out" 2>&1 || fail "the printer was not unplugged: [$(cat "$work/plug.out")]"
out=$(probe run "$(windows_path "$exe")" /quiet /log "$(windows_path "$work/quiet-unplugged.log")")
[ "$out" = $'windows=0\nexit=1639' ] || fail "the quiet run with the printer unplugged: [$out]"
logged quiet-unplugged.log "no /model given, and no USB printer is attached"
echo "quiet mode: the attached KV-100 on USB001 installed; unplugged, refused with 1639"

# --- 3. A model the catalogue does not list: the printer interface on the detected port.
plug KV999A 'MFG:KORVEL;CMD:ESC/P;MDL:KV-999;CLS:PRINTER;'
walk unlisted.log KV-100 'Korvel KV-100' usb-unlisted- unlisted
finish usb-unlisted-
grep -qF "/if /n \"Korvel KV-100\" /f \"$inf\" /r \"USB001\" /m \"Korvel KV-100\"" "$work/printui.log" \
  || fail "the printer interface was not asked to install on USB001: [$(cat "$work/printui.log")]"
grep -qx 'Korvel KV-100' <<<"$(probe printers)" || fail "no printer after the installation: [$(probe printers)]"
echo "KV-999 attached: the warning, then KV-100 installed through the printer interface on USB001"

# --- 4. A printer that never answers: on after the wait, as for a model not listed.
wine "$usb_printer" unplug >"$work/plug.out" 2>&1 || fail "the printer was not unplugged: [$(cat "$work/plug.out")]"
plug KV100B 'MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;' --answer never
rm -f "$work/printui.log"
walk silent.log KV-100 'Korvel KV-100' usb-silent- unlisted
finish usb-silent-
logged silent.log 'Re-scanning the devices'
grep -q '/if' "$work/printui.log" || fail "the printer interface was not asked to install: [$(cat "$work/printui.log")]"
echo "a printer that never answers: the wizard went on after the wait, removed, re-scanned and installed"

# --- 5. The device's queue is there, renamed by its user and on another driver: the
# update gives it the model's driver instead of making a second queue (Windows keeps one
# queue per device), and the installation makes that queue the default.
fresh_prefix
plug KV100C 'MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;' --hardware-id "$hardware_id"
wine rundll32.exe printui.dll,PrintUIEntry /if /n Invoices /f "$inf" /r USB001 /m 'KORVEL KV-200'
[ "$(probe printers)" = $'Invoices\ndefault=' ] || fail "the renamed queue was not made for the test: [$(probe printers)]"
out=$(probe run "$(windows_path "$exe")" /quiet /model KV-100 /log "$(windows_path "$work/kept.log")")
[ "$(tail -n 2 <<<"$out")" = $'windows=0\nexit=0' ] || fail "the quiet run over the device's queue: [$out] [$(cat "$work/kept.log")]"
logged kept.log 'Windows gave the printer "Invoices" on the port "USB001" the driver "Korvel KV-100"'
[ "$(probe printers)" = $'Invoices\ndefault=Invoices' ] || fail "after the update the printers are [$(probe printers)]"
echo "the device's renamed queue: given the model's driver, no second queue, made the default"

# --- 6. Two printers: the KV-100 on its own port, whichever Windows lists first.
fresh_prefix
plug EPS0001 'MFG:OTHER;CMD:ESC/POS;MDL:TM-T20;CLS:PRINTER;'
plug KV100D 'MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;' --hardware-id "$hardware_id" --port 2 --slot 1
for model in '' KV-100; do
  out=$(probe run "$(windows_path "$exe")" /quiet /whatif ${model:+/model "$model"} /log "$(windows_path "$work/two.log")")
  [ "$(tail -n 2 <<<"$out")" = $'windows=0\nexit=0' ] || fail "the dry run with two printers [$model]: [$out] [$(cat "$work/two.log")]"
done
[ "$(grep -c ', port USB002, ' "$work/two.log")" = 2 ] || fail "the dry runs did not both take USB002: [$(cat "$work/two.log")]"
mapfile -t attached < <(sed -n 's/.*Attached USB printer: \([^\r]*\).*/\1/p' "$work/two.log")
[ "${attached[0]}" = 'model "TM-T20", on the port "USB001"' ] && [ "${attached[1]}" = 'model "KV-100", on the port "USB002"' ] \
  || fail "the printers are not logged as Windows lists them, each on its port: [$(cat "$work/two.log")]"
logged two.log 'The plug-and-play route: the attached printer is the chosen "KV-100" on its USB port "USB002"'
walk_port=USB002
walk two-wizard.log KV-100 'Korvel KV-100' usb-two-
finish usb-two-
logged two-wizard.log 'Windows made the printer "KORVEL KV-100" on the port "USB002"'
[ "$(probe printers)" = $'KORVEL KV-100\ndefault=KORVEL KV-100' ] || fail "after the wizard the printers are [$(probe printers)]"
echo "two printers: the quiet mode and the wizard take the KV-100 on its own port USB002"

# --- 7. Two printers of the chosen model: the port page proposes the first one's port and
# lists both; the quiet mode without /port leaves that choice to whoever deploys (1639).
fresh_prefix
plug KV100E 'MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;'
plug KV100F 'MFG:KORVEL;CMD:ESC/P;MDL:KV-100;CLS:PRINTER;' --port 2 --slot 1
out=$(probe run "$(windows_path "$exe")" /quiet /model KV-100 /log "$(windows_path "$work/same.log")")
[ "$out" = $'windows=0\nexit=1639' ] || fail "the quiet run with two KV-100 attached: [$out] [$(cat "$work/same.log")]"
logged same.log 'no /port given, and 2 printers of the model "KV-100" are attached, on the ports "USB001", "USB002"'
start_watched "$exe" /log "$(windows_path "$work/same-wizard.log")"
expect_page "$(step 1)" "$only_next" usb-same-page1-welcome
click "$(step 1)" $next
expect_page "$(step 2)" "$back_next" usb-same-page2-driver
[ "$(probe items "$(step 2)" 1010)" = KV-100 ] || fail "the driver page offers [$(probe items "$(step 2)" 1010)]"
click "$(step 2)" $next
expect_page "$(step 3)" "$back_next" usb-same-page3-port
[[ $(probe text "$(step 3)" 1032) == *'端口：USB001\n'* ]] || fail "the port page says [$(probe text "$(step 3)" 1032)]"
items=$(probe items "$(step 3)" 1008)
[[ $items == *USB001* && $items == *USB002* ]] || fail "the port list lacks a printer's port: [$items]"
click "$(step 3)" $cancel
wait_exit || fail "the wizard did not end after Cancel"
echo "two KV-100: the port page proposes USB001 and lists USB002 too; the quiet mode without /port: 1639"
