#!/usr/bin/env bash
# A damaged medium under Wine, on a display of its own:
#   medium_damage.sh ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR
# 1. No catalogue, 2. a catalogue of binary junk: a box names the file and what is
#    wrong before any page, and the program ends with a failure code.
# 3. No driver folder: Next on the driver page names the model's missing INF and the
#    page stays. 4. A printer name that would leave its quotes in the printer interface's
#    command line: Next names the model and the catalogue, and the page stays.
# In each, the printer interface is never called and no printer is made. Screenshots of
# the boxes go to BUILD_DIR/screenshots/ARCH-damaged-*.png.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/wizard_lib.sh"
e2e_on_display "$@"

arch=$1 build=$2 program=$3 probe=$4 stub=$5 medium=$6
work=$build/e2e/medium_damage
shots=$build/screenshots
exe_name=$(basename "$program")

rm -rf "$work"
mkdir -p "$shots"
rm -f "$shots/$arch"-damaged-*.png
export WINEDLLOVERRIDES="mscoree,mshtml=;printui=n"
trap 'e2e_stop; rm -rf "$work/prefix"' EXIT

# A copy of the sample medium with the program, damaged by the caller.
lay_out() {
  e2e_stop
  rm -rf "$work/medium"
  mkdir -p "$work/medium"
  cp -r "$medium/." "$work/medium/"
  cp "$program" "$work/medium/"
  e2e_fresh_prefix "$stub"
}

untouched() {
  [ ! -s "$work/printui.log" ] || fail "$1: the printer interface was called"
  if probe printers | grep Korvel >/dev/null; then fail "$1: a printer was made"; fi
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
  [ "$(watched_exit)" = 1603 ] || fail "$case: exit code [$(watched_exit)], not 1603"
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

lay_out
rm -r "$work/medium/PrinterDriver"
start_wizard "$work/medium/$exe_name"
expect_page "$(step 1)" "$only_next" damaged-no-driver-page1
click "$(step 1)" $next
expect_page "$(step 2)" "$back_next" damaged-no-driver-page2
click "$(step 2)" $next
expect_page ERROR "$box_buttons" damaged-no-driver-box
said=$(probe text ERROR 0xffff)
expected="找不到型号“KV-100”的驱动程序文件：$nl$(windows_path "$work/medium/PrinterDriver/24pin/OEMPRINT.INF")$nl$nl请选择其它型号。"
[ "$said" = "$expected" ] || fail "no-driver: the box says [$said], not [$expected]"
click ERROR 1
expect_page "$(step 2)" "$back_next" damaged-no-driver-stays
click "$(step 2)" $cancel
wait_exit || true
untouched no-driver
echo "no-driver: box on Next, the driver page stays"

lay_out
catalogue=$work/medium/PrinterInfor.Inf
{
  printf '\xff\xfe'
  iconv -f UTF-16 -t UTF-8 "$catalogue" | sed 's/^KV-100=Korvel KV-100/&"/' | iconv -f UTF-8 -t UTF-16LE
} >"$catalogue.new"
mv "$catalogue.new" "$catalogue"
start_wizard "$work/medium/$exe_name"
expect_page "$(step 1)" "$only_next" damaged-bad-name-page1
click "$(step 1)" $next
expect_page "$(step 2)" "$back_next" damaged-bad-name-page2
click "$(step 2)" $next
expect_page ERROR "$box_buttons" damaged-bad-name-box
said=$(probe text ERROR 0xffff)
expected="打印机型号文件中型号“KV-100”的打印机名称过长或含有无法使用的字符：$nl$(windows_path "$catalogue")$nl$nl请选择其它型号。"
[ "$said" = "$expected" ] || fail "bad-name: the box says [$said], not [$expected]"
click ERROR 1
expect_page "$(step 2)" "$back_next" damaged-bad-name-stays
click "$(step 2)" $cancel
wait_exit || true
untouched bad-name
echo "bad-name: box on Next, the driver page stays"
