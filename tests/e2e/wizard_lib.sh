# Shell functions shared by the end-to-end scripts and tools/demo, for driving the real
# wizard under Wine from outside. Source it after setting:
#   arch   win64, win32 or wow64 (tools/wine-run)   build  the build tree
#   probe  wizard_probe.exe        shots  folder of the screenshots
#   TAMRIN_WINEPREFIX              the prefix the runs share
# Each script runs on a display of its own (e2e_on_display re-executes it under xvfb-run).

e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_run=$e2e_root/tools/wine-run
wizard_pid=

# Re-runs the calling script on a display of its own unless it already has one; the
# screen is e2e_screen (WIDTHxHEIGHTxDEPTH) when the script set it.
e2e_on_display() {
  if [ -z "${TAMRIN_E2E_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 ${e2e_screen:-1024x768x24}" env TAMRIN_E2E_DISPLAY=1 bash "$0" "$@"
  fi
}

# Ends the wizard if it still runs and the prefix's Wine server.
e2e_stop() {
  if [ -n "$wizard_pid" ] && kill -0 "$wizard_pid" 2>/dev/null; then kill "$wizard_pid" 2>/dev/null || true; fi
  wizard_pid=
  if [ -d "${TAMRIN_WINEPREFIX:-}" ]; then
    WINEPREFIX=$TAMRIN_WINEPREFIX /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$TAMRIN_WINEPREFIX /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
  fi
}

fail() {
  echo "FAIL: $*" >&2
  import -window root "$shots/$arch-failure.png" 2>/dev/null || true
  exit 1
}

wine() { "$wine_run" "$arch" "$build" "$@"; }
probe() { wine "$probe" "$@" | tr -d '\r'; }

# Wine draws the windows' captions itself (there is no window manager on the display).
e2e_unmanaged_windows() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
}

# Puts the test-only printui.dll where the prefix's rundll32 loads it from; the caller
# adds printui=n to WINEDLLOVERRIDES.
e2e_place_printui() {
  local stub=$1 system=system32
  [ "$arch" = wow64 ] && system=syswow64
  wine reg query 'HKCU\Software' >/dev/null 2>&1 || true  # makes the prefix when it is not there yet
  cp "$stub" "$TAMRIN_WINEPREFIX/drive_c/windows/$system/printui.dll"
}

# A fresh prefix in $work with the stand-in printui.dll, whose calls are logged to
# $work/printui.log.
e2e_fresh_prefix() {
  local stub=$1
  e2e_stop
  export TAMRIN_WINEPREFIX=$work/prefix
  rm -rf "$TAMRIN_WINEPREFIX"
  e2e_place_printui "$stub"
  e2e_unmanaged_windows
  export TAMRIN_PRINTUI_LOG="$(windows_path "$work")\\printui.log"
  rm -f "$work/printui.log"
}

# A Unix path as the program sees it under Wine (drive Z: is /).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

step() { printf '科维打印机驱动安装步骤%s' "$1"; }
only_next='back=disabled next=enabled finish=hidden cancel=enabled help=hidden'
back_next='back=enabled next=enabled finish=hidden cancel=enabled help=hidden'
back_finish='back=enabled next=hidden finish=enabled cancel=enabled help=hidden'
box_buttons='back=hidden next=hidden finish=hidden cancel=hidden help=hidden'
next=0x3024 back=0x3023 finish=0x3025 cancel=2

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

# Clicks a control; the window is looked for for up to 5 s, as a window that is still
# being made (or a probe whose Wine process starts late on a loaded machine) is not gone.
click() {
  local title=$1 control=$2 x= y= i
  for i in $(seq 50); do
    read -r x y < <(probe point "$title" "$control") && [ -n "$y" ] && break
    sleep 0.1
  done
  [ -n "$y" ] || fail "no control $control in \"$title\""
  xdotool mousemove "$x" "$y" click 1
}

# Presses keys (xdotool names: Return, Escape, alt+F4) while window TITLE is there, as a
# user at the keyboard: the keys go to whatever has Wine's keyboard focus, so nothing is
# clicked first. The pointer rests on the window's caption (there is no window manager:
# X sends the keys to the window under the pointer).
press_key() {
  local title=$1 x y w h
  shift
  read -r x y w h < <(probe rect "$title") || fail "no window \"$title\" to type into"
  xdotool mousemove $((x + w / 2)) $((y + 8))
  xdotool key --delay 50 "$@"
}

# Starts the program in the background.
start_wizard() {
  wine "$@" &
  wizard_pid=$!
}

# Starts the program in the background through the probe, which passes on its whole
# exit code (Wine's own is cut to 8 bits): read it with watched_exit after wait_exit.
start_watched() {
  local program
  program=$(windows_path "$1")
  shift
  rm -f "$work/watched.out"
  wine "$probe" run "$program" "$@" >"$work/watched.out" &
  wizard_pid=$!
}

# The exit code of the program start_watched started, once it has ended.
watched_exit() { tr -d '\r' <"$work/watched.out" | sed -n 's/^exit=//p'; }

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

# Next from the welcome page to the finish page, a screenshot of each page. With "keys"
# as the second argument Next is pressed with Return alone (the default button has the
# focus on every page) instead of the mouse.
walk_to_finish() {
  local prefix=${1:-} how=${2:-mouse}
  expect_page "$(step 1)" "$only_next" "${prefix}page1-welcome"
  go_next "$how" 1
  expect_page "$(step 2)" "$back_next" "${prefix}page2-driver"
  go_next "$how" 2
  expect_page "$(step 3)" "$back_next" "${prefix}page3-port"
  go_next "$how" 3
  expect_page "$(step 4)" "$back_finish" "${prefix}page4-finish"
}

# Next on step STEP: go_next mouse|keys STEP
go_next() {
  if [ "$1" = keys ]; then press_key "$(step "$2")" Return; else click "$(step "$2")" $next; fi
}
