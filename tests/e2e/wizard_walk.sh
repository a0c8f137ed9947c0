#!/usr/bin/env bash
# End-to-end walk through the wizard under Wine, on a display of its own:
#   wizard_walk.sh ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR (see wizard_lib.sh)
# Screenshots go to BUILD_DIR/screenshots/wizard_walk/ARCH-*.png.
#
# 1. The program in a folder whose Windows path is exactly 227 characters long (the
#    longest allowed): the welcome page shows the welcome text with only Next and Cancel,
#    Next leads through steps 1 to 4 in order, Back returns through them to the welcome
#    page, and Cancel ends the process at once with exit code 1602 (nothing installed).
# 2. The same program in a folder one character longer: the ERROR box appears, no wizard
#    page does, and the process ends with a non-zero code once the box is closed.
source "$(dirname "$0")/wizard_lib.sh"
e2e_begin wizard_walk "$@"

# A folder whose Windows path (Z: and the Unix path, with a final backslash) has the
# given length, holding the medium and the program.
lay_out() {
  local length=$1 dir=$work/m
  local pad=$((length - ${#dir} - 4))
  ((pad > 0 && pad < 250)) || fail "cannot make a folder path of $length characters under $work"
  dir=$dir/$(printf 'p%.0s' $(seq "$pad"))
  local windows="Z:${dir//\//\\}\\"
  ((${#windows} == length)) || fail "folder path is ${#windows} characters, wanted $length"
  e2e_lay_out_medium "$dir"
  echo "$dir"
}

e2e_fresh_prefix

welcome='欢迎使用科维打印机驱动安装向导。\n\n若已出现了“找到新硬件向导”窗口，请点击“找到新硬件向导”窗口中的“取消”按钮来中断它。\n\n点击“下一步”按钮选择打印机驱动程序。'

# --- 1. The walk, from the longest folder path allowed.
dir=$(lay_out 227)
start_watched "$dir/$exe_name"

expect_page "$(step 1)" "$only_next" page1
text=$(probe text "$(step 1)" 1031) || fail "no welcome text"
[ "$text" = "$welcome" ] || fail "welcome text is [$text]"
click "$(step 1)" $next
expect_page "$(step 2)" "$back_next" page2
click "$(step 2)" $next
expect_page "$(step 3)" "$back_next" page3
click "$(step 3)" $next
expect_page "$(step 4)" "$back_finish" page4

click "$(step 4)" $back
expect_page "$(step 3)" "$back_next" back-page3
click "$(step 3)" $back
expect_page "$(step 2)" "$back_next" back-page2
click "$(step 2)" $back
expect_page "$(step 1)" "$only_next" back-page1
text=$(probe text "$(step 1)" 1031) || fail "no welcome text after Back"
[ "$text" = "$welcome" ] || fail "welcome text after Back is [$text]"

click "$(step 1)" $cancel
wait_exit || fail "the program did not end cleanly after Cancel"
[ "$(watched exit)" = 1602 ] || fail "the wizard ended with exit code [$(watched exit)] after Cancel, not 1602"
echo "walk: steps 1-4 and back, Cancel ended the program with exit code 1602"

# --- 2. A folder path one character too long: the error box instead of the wizard.
dir=$(lay_out 228)
start_watched "$dir/$exe_name"
expect_page ERROR 'back=hidden next=hidden finish=hidden cancel=hidden help=hidden' folder-too-long
text=$(probe text ERROR 0xffff) || fail "no text in the ERROR box"
[[ $text == *"at most 227 characters"* ]] || fail "ERROR box says [$text]"
if probe rect "$(step 1)" >/dev/null; then fail "the wizard started despite the long folder path"; fi
click ERROR 1
wait_exit || fail "the program did not end cleanly after the ERROR box"
[ "$(watched exit)" = 1603 ] || fail "the program ended with exit code [$(watched exit)] after the ERROR box, not 1603"
echo "long folder: ERROR box, exit code 1603"
