#!/usr/bin/env bash
# End-to-end walk through the wizard under Wine, on a display of its own:
#   wizard_walk.sh ARCH BUILD_DIR PROGRAM PROBE MEDIUM_DIR
#     ARCH        win64 or win32
#     BUILD_DIR   the build tree (its Wine prefix is copied; screenshots go to
#                 BUILD_DIR/screenshots/ARCH-*.png)
#     PROGRAM     tamrin64.exe or tamrin32.exe
#     PROBE       wizard_probe.exe of the same build, which reads the windows' state
#     MEDIUM_DIR  the sample driver medium laid out beside the program (may be missing)
#
# 1. The program in a folder whose Windows path is exactly 227 characters long (the
#    longest allowed): the welcome page shows the welcome text with only Next and Cancel,
#    Next leads through steps 1 to 4 in order, Back returns through them to the welcome
#    page, and Cancel ends the process at once with exit code 0.
# 2. The same program in a folder one character longer: the ERROR box appears, no wizard
#    page does, and the process ends with a non-zero code once the box is closed.
set -euo pipefail

if [ -z "${TAMRIN_E2E_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" env TAMRIN_E2E_DISPLAY=1 bash "$0" "$@"
fi

arch=$1 build=$2 program=$3 probe=$4 medium=$5
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../tools/wine-run
work=$build/e2e/wizard_walk
shots=$build/screenshots
exe_name=$(basename "$program")

rm -rf "$work"
mkdir -p "$work" "$shots"
rm -f "$shots/$arch"-*.png
export TAMRIN_WINEPREFIX=$work/prefix

wizard_pid=
cleanup() {
  if [ -n "$wizard_pid" ] && kill -0 "$wizard_pid" 2>/dev/null; then kill "$wizard_pid" 2>/dev/null || true; fi
  if [ -d "$TAMRIN_WINEPREFIX" ]; then
    WINEPREFIX=$TAMRIN_WINEPREFIX /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$TAMRIN_WINEPREFIX /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
  fi
  rm -rf "$work/prefix"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  import -window root "$shots/$arch-failure.png" 2>/dev/null || true
  exit 1
}

wine() { "$wine_run" "$arch" "$build" "$@"; }
probe() { wine "$probe" "$@" | tr -d '\r'; }

# A folder whose Windows path (Z: and the Unix path, with a final backslash) has the
# given length, holding the medium and the program.
lay_out() {
  local length=$1 dir=$work/m
  local pad=$((length - ${#dir} - 4))
  ((pad > 0 && pad < 250)) || fail "cannot make a folder path of $length characters under $work"
  dir=$dir/$(printf 'p%.0s' $(seq "$pad"))
  local windows="Z:${dir//\//\\}\\"
  ((${#windows} == length)) || fail "folder path is ${#windows} characters, wanted $length"
  mkdir -p "$dir"
  if [ -d "$medium" ]; then cp -r "$medium/." "$dir/"; fi
  cp "$program" "$dir/"
  echo "$dir"
}

# Waits for the window TITLE with the given buttons state and takes its screenshot.
expect_page() {
  local title=$1 buttons=$2 shot=$3 seen
  seen=$(probe buttons "$title" "$buttons" 30000) || fail "window \"$title\": expected [$buttons], saw [$seen]"
  screenshot "$title" "$shot"
}

screenshot() {
  local x y w h
  read -r x y w h < <(probe rect "$1") || fail "no window \"$1\" to photograph"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$arch-$2.png"
}

click() {
  local title=$1 control=$2 x y
  read -r x y < <(probe point "$title" "$control") || fail "no control $control in \"$title\""
  xdotool mousemove "$x" "$y" click 1
}

# Waits up to 15 s for the program to end; its exit code.
wait_exit() {
  local i
  for i in $(seq 150); do
    kill -0 "$wizard_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$wizard_pid" 2>/dev/null && fail "the program did not end"
  local status=0
  wait "$wizard_pid" || status=$?
  wizard_pid=
  return $status
}

# Wine draws the windows' captions itself (there is no window manager on this display).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null

step() { printf '科维打印机驱动安装步骤%s' "$1"; }
only_next='back=disabled next=enabled finish=hidden cancel=enabled help=hidden'
back_next='back=enabled next=enabled finish=hidden cancel=enabled help=hidden'
back_finish='back=enabled next=hidden finish=enabled cancel=enabled help=hidden'
welcome='欢迎使用科维打印机驱动安装向导。\n\n若已出现了“找到新硬件向导”窗口，请点击“找到新硬件向导”窗口中的“取消”按钮来中断它。\n\n点击“下一步”按钮选择打印机驱动程序。'
next=0x3024 back=0x3023 cancel=2

# --- 1. The walk, from the longest folder path allowed.
dir=$(lay_out 227)
wine "$dir/$exe_name" &
wizard_pid=$!

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
status=0
wait_exit || status=$?
[ $status = 0 ] || fail "the wizard ended with exit code $status after Cancel"
echo "walk: steps 1-4 and back, Cancel ended the program"

# --- 2. A folder path one character too long: the error box instead of the wizard.
dir=$(lay_out 228)
wine "$dir/$exe_name" &
wizard_pid=$!
expect_page ERROR 'back=hidden next=hidden finish=hidden cancel=hidden help=hidden' folder-too-long
text=$(probe text ERROR 0xffff) || fail "no text in the ERROR box"
[[ $text == *"at most 227 characters"* ]] || fail "ERROR box says [$text]"
if probe rect "$(step 1)" >/dev/null; then fail "the wizard started despite the long folder path"; fi
click ERROR 1
status=0
wait_exit || status=$?
[ $status != 0 ] || fail "the program ended with exit code 0 after the ERROR box"
echo "long folder: ERROR box, exit code $status"
