#!/usr/bin/env bash
# A damaged medium under Wine, on a display of its own:
#   medium_damage.sh ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR STAND_IN (see wizard_lib.sh;
#   STAND_IN: the DLL that stands in for the protected print mode class, switched on)
# 1. No catalogue, 2. a catalogue of binary junk: a box names the file and what is
#    wrong before any page, and the program ends with a failure code.
# 3. No driver folder: Next on the driver page names the model's missing INF and the
#    page stays. 4. A printer name that would leave its quotes in the printer interface's
#    command line: Next names the model and the catalogue, and the page stays.
# 5. A driver INF that names a catalog file its folder lacks (an incomplete package): Next
#    names the missing catalog and the page stays; the quiet installation ends with 1603
#    and says why in its log.
# 6. Windows protected print mode on: a box before any page, 1603; quiet: 1603, logged.
# In each, the printer interface is never called and no printer is made. Screenshots of
# the boxes go to BUILD_DIR/screenshots/medium_damage/ARCH-damaged-*.png.
source "$(dirname "$0")/wizard_lib.sh"
e2e_begin medium_damage "$@"

# A fresh prefix and copy of the sample medium with the program, damaged by the caller.
lay_out() {
  e2e_fresh_prefix
  rm -rf "$work/medium"
  e2e_lay_out_medium
}

untouched() {
  [ ! -s "$work/printui.log" ] || fail "$1: the printer interface was called"
  if printers | grep Korvel >/dev/null; then fail "$1: a printer was made"; fi
}

# A box before any page; the program ends with 1603 once it is closed.
expect_start_box() {
  local case=$1 expected=$2 said
  start_watched "$work/medium/$exe_name"
  expect_page ERROR "$box_buttons" "damaged-$case"
  said=$(probe text ERROR 0xffff)
  [ "$said" = "$expected" ] || fail "$case: the box says [$said], not [$expected]"
  if probe rect "$(step 1)" >/dev/null 2>&1; then fail "$case: a page is shown"; fi
  click ERROR 1
  wait_exit || fail "$case: the program did not end cleanly"
  [ "$(watched exit)" = 1603 ] || fail "$case: exit code [$(watched exit)], not 1603"
  untouched "$case"
  echo "$case: box, exit code 1603"
}

# The probe writes a line end in a window's text as the two characters \n.
nl='\n'
whole="$nl$nl请从完整的驱动光盘或驱动文件夹重新启动安装程序。"

lay_out
rm "$work/medium/PrinterInfor.Inf"
expect_start_box no-catalogue "找不到打印机型号文件：$nl$(windows_path "$work/medium/PrinterInfor.Inf")$whole"

lay_out
head -c 8192 /dev/urandom >"$work/medium/PrinterInfor.Inf"
expect_start_box junk-catalogue \
  "打印机型号文件中没有“KV系列”的打印机型号，文件可能已损坏：$nl$(windows_path "$work/medium/PrinterInfor.Inf")$whole"

# Next on the driver page: a box says EXPECTED, and the page stays.
expect_next_box() {
  local case=$1 expected=$2 said
  start_wizard "$work/medium/$exe_name"
  expect_page "$(step 1)" "$only_next" "damaged-$case-page1"
  click "$(step 1)" $next
  expect_page "$(step 2)" "$back_next" "damaged-$case-page2"
  click "$(step 2)" $next
  expect_page ERROR "$box_buttons" "damaged-$case-box"
  said=$(probe text ERROR 0xffff)
  [ "$said" = "$expected" ] || fail "$case: the box says [$said], not [$expected]"
  click ERROR 1
  expect_page "$(step 2)" "$back_next" "damaged-$case-stays"
  click "$(step 2)" $cancel
  wait_exit || true
  untouched "$case"
  echo "$case: box on Next, the driver page stays"
}
choose_another="$nl$nl请选择其它型号。"

lay_out
rm -r "$work/medium/PrinterDriver"
expect_next_box no-driver \
  "找不到型号“KV-100”的驱动程序文件：$nl$(windows_path "$work/medium/PrinterDriver/24pin/OEMPRINT.INF")$choose_another"

lay_out
catalogue=$work/medium/PrinterInfor.Inf
{
  printf '\xff\xfe'
  iconv -f UTF-16 -t UTF-8 "$catalogue" | sed 's/^KV-100=Korvel KV-100/&"/' | iconv -f UTF-8 -t UTF-16LE
} >"$catalogue.new"
mv "$catalogue.new" "$catalogue"
expect_next_box bad-name \
  "打印机型号文件中型号“KV-100”的打印机名称过长或含有无法使用的字符：$nl$(windows_path "$catalogue")$choose_another"

lay_out
inf=$work/medium/PrinterDriver/24pin/OEMPRINT.INF
sed -i 's/^DriverVer=.*\r$/&\nCatalogFile=korvel.cat\r/' "$inf"
grep -q '^CatalogFile=korvel.cat' "$inf" || fail "no CatalogFile line was added to $inf"
catalog=$(windows_path "$work/medium/PrinterDriver/24pin/korvel.cat")
expect_next_box no-catalog "型号“KV-100”的驱动程序不完整，找不到它的签名文件（CatalogFile）：$nl$catalog$whole"
ran=$(probe run "$(windows_path "$work/medium/$exe_name")" /quiet /model KV-100 /port LPT1: \
  /log "$(windows_path "$work/no-catalog.log")") || fail "the probe could not run the quiet installation: [$ran]"
[ "$(sed -n 's/^exit=//p' <<<"$ran")" = 1603 ] || fail "no-catalog, quiet: [$ran], not exit code 1603"
grep -qF "whose package is incomplete: the catalog file it names (CatalogFile), $catalog, is missing" \
  "$work/no-catalog.log" || fail "no-catalog, quiet: the log does not name the catalog: [$(cat "$work/no-catalog.log")]"
untouched no-catalog-quiet
echo "no-catalog: box on Next; quiet: exit code 1603, the catalog named in the log"

# 6. Windows protected print mode on (the class that tells it, standing in, registered in
# the prefix): the wizard's box before any page, the quiet installation's 1603 with the
# mode named in its log; nothing changes. Without the class (Wine's own) the mode is off,
# as every run above shows.
lay_out
class_key='HKLM\Software\Microsoft\WindowsRuntime\ActivatableClassId\Windows.Graphics.Printing.ProtectedPrint.WindowsProtectedPrintInfo'
view=$([ "$arch" != win64 ] || echo /reg:64)
wine reg add "$class_key" /v DllPath /t REG_SZ /d "$(windows_path "${e2e_more[0]}")" /f $view >/dev/null 2>&1 &&
  wine reg add "$class_key" /v ActivationType /t REG_DWORD /d 0 /f $view >/dev/null 2>&1 ||
  fail "the test could not register the class"
expect_start_box protected-print \
  "此计算机已打开 Windows 受保护的打印模式，无法安装第三方打印机驱动程序。$nl$nl请在“设置”的“打印机和扫描仪”中关闭此模式，或与系统管理员联系。"
ran=$(probe run "$(windows_path "$work/medium/$exe_name")" /quiet /model KV-100 /port LPT1: \
  /log "$(windows_path "$work/protected-print.log")") || fail "the probe could not run the quiet installation: [$ran]"
[ "$(sed -n 's/^exit=//p' <<<"$ran")" = 1603 ] || fail "protected print, quiet: [$ran], not exit code 1603"
grep -qF "Refused, nothing changed: Windows protected print mode is on" "$work/protected-print.log" ||
  fail "protected print, quiet: the log does not name the mode: [$(cat "$work/protected-print.log")]"
untouched protected-print-quiet
echo "protected print mode: box at the start; quiet: exit code 1603, the mode named in the log"
