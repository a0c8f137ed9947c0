#!/usr/bin/env bash
# A GBK catalogue on an English system (code page 1252, English display language) under
# Wine, on a display of its own:
#   english_system.sh ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR (see wizard_lib.sh)
# The program reads its catalogue the same whatever the system's code page, so a medium
# written for Chinese systems installs on an English one exactly as on a Chinese one, and
# it speaks English there:
# 1. The quiet installation of KV-100 on LPT1: ends with 0 and leaves the printer installed.
# 2. The wizard, every page and box in English, offers the catalogue's first model, and
#    Return on every page installs it.
# Screenshots go to BUILD_DIR/screenshots/english_system/ARCH-*.png.
source "$(dirname "$0")/wizard_lib.sh"
e2e_begin english_system "$@"
export TAMRIN_WINE_LOCALE=C.UTF-8

printer='Korvel KV-100'
e2e_lay_out_medium
catalogue=$work/medium/PrinterInfor.Inf
iconv -f UTF-16 -t GBK "$catalogue" >"$work/catalogue.gbk"
mv "$work/catalogue.gbk" "$catalogue"
grep -q '^\[KV系列\]' <<<"$(iconv -f GBK -t UTF-8 "$catalogue")" || fail "the GBK catalogue lacks [KV系列]"

# Windows links its dialog fonts to a Chinese font on every system (the FontLink
# SystemLink entries for Tahoma and Microsoft Sans Serif name Microsoft YaHei); Wine's
# English prefix links none, so the rig names the Chinese font it has.
link_chinese_font() {
  local font
  for font in Tahoma 'Microsoft Sans Serif'; do
    e2e_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$font" \
      /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
  done
}

expect_printer() {
  local state
  state=$(printers)
  grep -qx "$printer" <<<"$state" || fail "$1: no printer \"$printer\": [$state]"
}

# --- 1. The quiet installation.
e2e_fresh_prefix
[ "$(probe codepage)" = 1252 ] || fail "the prefix's ANSI code page is [$(probe codepage)], not 1252"
out=$(probe run "$(windows_path "$work/medium/$exe_name")" /quiet /model KV-100 /port LPT1: /log "$(windows_path "$work/quiet.log")")
[ "$(sed -n 's/^exit=//p' <<<"$out")" = 0 ] || fail "the quiet installation ended with [$out]"
expect_printer "quiet"
echo "quiet: \"$printer\" installed from the GBK catalogue under code page 1252"

# --- 2. The wizard, with the keyboard alone.
e2e_fresh_prefix
link_chinese_font
start_wizard "$work/medium/$exe_name"
walk_to_finish english- keys
[ "$(probe text "$(step 4)" 1021)" = "Driver: $printer" ] || fail "driver line is [$(probe text "$(step 4)" 1021)]"
press_key "$(step 4)" Return
expect_page OK "$box_buttons" english-success-box
[ "$(probe text OK 0xffff)" = "The printer driver is installed." ] || fail "the success box says [$(probe text OK 0xffff)]"
press_key OK Return
wait_exit || fail "the wizard ended with status $? after the success box"
expect_printer "wizard"
echo "wizard: \"$printer\" installed from the GBK catalogue under code page 1252"
