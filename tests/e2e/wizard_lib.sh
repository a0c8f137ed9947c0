# The opening and the shell functions of the end-to-end scripts (and tools/demo), which
# drive the real programs under Wine from outside.
#
# A script sources this file and calls `e2e_begin NAME "$@"`. Every end-to-end script takes
# the same arguments (tests/e2e/CMakeLists.txt passes them):
#   ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR [MORE...]
#     ARCH          win64 or win32 (as tools/wine-run), or wow64: the x86 program in a 64-bit prefix
#     BUILD_DIR     the build tree, whose Wine prefix each run copies
#     PROGRAM       tamrin64.exe or tamrin32.exe
#     PROBE         wizard_probe.exe of the same build, which reads the windows' state
#     PRINTUI_STUB  the test-only printui.dll, put in every prefix in place of Wine's own
#     MEDIUM_DIR    the sample driver medium
# e2e_begin runs the script on an X display of its own and sets arch, build, program, probe,
# stub, medium, exe_name (the program's file name), e2e_more (the MORE arguments) and
#   work   BUILD_DIR/e2e/NAME, emptied: the script's logs and scratch files
#   shots  BUILD_DIR/screenshots/NAME, emptied: its screenshots
#
# Sourcing this file turns on `set -Eeuo pipefail`. A command that fails ends the script with
# its file, line and command; `fail` ends it with a message. Either way the script then
# photographs the screen and prints the last lines of the logs in $work. On exit the Wine
# server of the prefix is ended and the prefix removed.
set -Eeuo pipefail
shopt -s inherit_errexit

e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_run=$e2e_root/tools/wine-run
wizard_pid=
e2e_reported=
# Scratch files of the helpers; e2e_begin makes it the script's own folder.
work=${work:-${shots:-${TMPDIR:-/tmp}}}

e2e_begin() {
  e2e_name=$1
  shift
  e2e_on_display "$@"
  if (($# < 6)); then
    echo "FAIL: $e2e_name: expected ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR, got [$*]" >&2
    exit 2
  fi
  arch=$1 build=$2 program=$3 probe=$4 stub=$5 medium=$6
  e2e_more=("${@:7}")
  work=$build/e2e/$e2e_name
  shots=$build/screenshots/$e2e_name
  exe_name=$(basename "$program")
  # The probe passes a command line on as it stands: a program's path must hold no blank.
  [[ $work != *" "* ]] || fail "the build tree's path holds a blank: $work"
  rm -rf "$work" "$shots"
  mkdir -p "$work" "$shots"
  export WINEDLLOVERRIDES="mscoree,mshtml=;printui=n"
  trap e2e_end EXIT
}

# Re-runs the calling script on a display of its own unless it already has one; the
# screen is e2e_screen (WIDTHxHEIGHTxDEPTH) when the script set it.
e2e_on_display() {
  if [ -z "${TAMRIN_E2E_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 ${e2e_screen:-1024x768x24}" env TAMRIN_E2E_DISPLAY=1 bash "$0" "$@"
  fi
}

# --- Failures.

fail() {
  echo "FAIL: $*" >&2
  e2e_report
  exit 1
}

# The ERR trap: the failing command, where it stands and the calls that led there. In a
# subshell (a command substitution) it stays silent: the command around it fails in turn
# and is reported by the script's own shell. The failure is reported where it happened,
# not again by each function it ends on its way out.
e2e_on_error() {
  local status=$1 line=$2 i
  ((BASH_SUBSHELL == 0)) && [ -z "$e2e_reported" ] || return 0
  echo "FAIL: ${BASH_SOURCE[1]##*/}:$line: \`$BASH_COMMAND\` ended with status $status" >&2
  for ((i = 1; i < ${#FUNCNAME[@]} - 1; i++)); do
    echo "  in ${FUNCNAME[i]}, called from ${BASH_SOURCE[i + 1]##*/}:${BASH_LINENO[i]}" >&2
  done
  e2e_report
}
trap 'e2e_on_error $? $LINENO' ERR
trap 'e2e_reported=1; echo "FAIL: ${e2e_name:-$0} was stopped by a signal" >&2; exit 143' TERM INT HUP

# After a failure, once: the screen and the last lines of every log the script wrote.
e2e_report() {
  local log
  ((BASH_SUBSHELL == 0)) && [ -z "$e2e_reported" ] || return 0
  e2e_reported=1
  if [ -n "${DISPLAY:-}" ] && [ -d "${shots:-}" ] && import -window root "$shots/${arch:-}-failure.png" 2>/dev/null; then
    echo "the screen at the failure: $shots/${arch:-}-failure.png" >&2
  fi
  { echo "--- the processes in the prefix:"; grep -lsxzF "WINEPREFIX=${TAMRIN_WINEPREFIX:-/nonexistent}" /proc/[0-9]*/environ |
    cut -d/ -f3 | xargs -r ps -o pid=,stat=,etime=,args= -p; } >&2 || true
  for log in "$work"/*.log "$work"/*.out "${TAMRIN_WINEPREFIX:-/nonexistent}"/drive_c/users/*/Temp/tamrin-setup.log; do
    [ -s "$log" ] || continue
    echo "--- the last lines of $log:" >&2
    tail -n 12 "$log" | tr -d '\r' >&2
  done
}

# The EXIT trap of e2e_begin: a script that ends with a failure it did not report says so.
e2e_end() {
  local status=$?
  if ((status != 0)) && [ -z "$e2e_reported" ]; then echo "FAIL: $e2e_name ended with status $status" >&2; fi
  e2e_stop
  rm -rf "$work/prefix"
  return $status
}

# --- Waiting: for a condition, with a deadline, never for a fixed time.

# wait_for SECONDS WHAT COMMAND...: runs COMMAND every tenth of a second until it succeeds;
# fails with "WHAT" when it has not within SECONDS.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((${EPOCHREALTIME/./} + seconds * 1000000))
  until "$@"; do
    ((${EPOCHREALTIME/./} < deadline)) || fail "$what (waited $seconds s)"
    sleep 0.1
  done
}

# holds_for SECONDS WHAT COMMAND...: COMMAND succeeds again and again for SECONDS; fails
# with "WHAT" as soon as it does not.
holds_for() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((${EPOCHREALTIME/./} + seconds * 1000000))
  while ((${EPOCHREALTIME/./} < deadline)); do
    "$@" || fail "$what"
    sleep 0.1
  done
}

# --- Wine, the prefix and the medium.

wine() { "$wine_run" "$arch" "$build" "$@"; }

# Runs the probe; its output without carriage returns. The output goes through a file:
# Wine's background processes would hold a pipe open.
probe() {
  local out status=0
  out=$(mktemp "$work/probe.XXXXXX")
  wine "$probe" "$@" >"$out" || status=$?
  tr -d '\r' <"$out"
  rm -f "$out"
  return $status
}

printers() { probe printers; }

# e2e_reg ARGS...: Wine's reg.exe in the prefix. It writes its errors to its output, in
# the console's code page (936), which a failure shows.
e2e_reg() {
  local status=0
  wine reg "$@" >"$work/reg.output" || status=$?
  ((status == 0)) || fail "reg $* ended with status $status: $(iconv -c -f GBK -t UTF-8 "$work/reg.output")"
}

# Wine draws the windows' captions itself (there is no window manager on the display).
e2e_unmanaged_windows() {
  e2e_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
}

# Puts the test-only printui.dll STUB where the prefix's rundll32 loads it from, making
# the prefix first if it is not there yet; WINEDLLOVERRIDES holds printui=n.
e2e_place_printui() {
  local stub=$1 system=system32
  [ "$arch" != wow64 ] || system=syswow64
  [ -f "$TAMRIN_WINEPREFIX/system.reg" ] || e2e_reg query 'HKCU\Software'
  cp --remove-destination "$stub" "$TAMRIN_WINEPREFIX/drive_c/windows/$system/printui.dll"  # shared with the template
}

# A fresh prefix, $work/prefix, for the runs that follow: the windows unmanaged, the
# stand-in printui.dll in place, its calls logged to $work/printui.log.
e2e_fresh_prefix() {
  e2e_stop
  export TAMRIN_WINEPREFIX=$work/prefix
  rm -rf "$TAMRIN_WINEPREFIX"
  e2e_unmanaged_windows  # the first run in the prefix makes it
  e2e_place_printui "$stub"
  TAMRIN_PRINTUI_LOG="$(windows_path "$work")\\printui.log"
  export TAMRIN_PRINTUI_LOG
  rm -f "$work/printui.log"
}

# Ends the program started in the background if it still runs, then every process of the
# prefix and its Wine server.
e2e_stop() {
  if [ -n "$wizard_pid" ] && e2e_running "$wizard_pid"; then kill "$wizard_pid" 2>/dev/null || true; fi
  wizard_pid=
  if [ -d "${TAMRIN_WINEPREFIX:-}" ]; then
    WINEPREFIX=$TAMRIN_WINEPREFIX /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$TAMRIN_WINEPREFIX /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
  fi
}

# The sample medium with the program, in DIR (default $work/medium).
e2e_lay_out_medium() {
  local dir=${1:-$work/medium}
  mkdir -p "$dir"
  cp -r "$medium/." "$dir/"
  cp "$program" "$dir/"
}

# A Unix path as the program sees it under Wine (drive Z: is /).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# --- The program in the background.

# Starts the program in the background.
start_wizard() {
  wine "$@" &
  wizard_pid=$!
}

# Starts the program in the background through the probe, which passes on its whole
# exit code (Wine's own is cut to 8 bits) and counts its windows: read them with
# `watched exit` and `watched windows` after wait_exit.
start_watched() {
  local program
  program=$(windows_path "$1")
  shift
  rm -f "$work/watched.out"
  probe run "$program" "$@" >"$work/watched.out" &
  wizard_pid=$!
}

watched() { sed -n "s/^$1=//p" "$work/watched.out"; }

# Whether PID is a background job of this shell that still runs. (A process ID alone may
# name another process by now: IDs are reused soon on a busy machine.)
e2e_running() {
  local pid
  for pid in $(jobs -rp); do [ "$pid" != "$1" ] || return 0; done
  return 1
}

e2e_ended() { ! e2e_running "$wizard_pid"; }

# Waits up to 15 s for the program to end; its exit code.
wait_exit() {
  wait_for 15 "the program did not end" e2e_ended
  local status=0
  wait "$wizard_pid" || status=$?
  wizard_pid=
  return $status
}

# --- The wizard's windows.

# A page's title in the language of the prefix (English where TAMRIN_WINE_LOCALE names
# no Chinese locale).
step() {
  case ${TAMRIN_WINE_LOCALE:-zh_CN.UTF-8} in
    zh_*) printf '科维打印机驱动安装步骤%s' "$1" ;;
    *) printf 'Korvel Printer Driver Setup - Step %s' "$1" ;;
  esac
}
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

# e2e_point TITLE CONTROL: the middle of the control on the screen, in e2e_point.
e2e_point() {
  e2e_point=$(probe point "$1" "$2") && [ -n "$e2e_point" ]
}

# Clicks a control; the window is looked for for up to 5 s, as a window that is still
# being made (or a probe whose Wine process starts late on a loaded machine) is not gone.
click() {
  local title=$1 control=$2 x y
  wait_for 5 "no control $control in \"$title\"" e2e_point "$title" "$control"
  read -r x y <<<"$e2e_point"
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
