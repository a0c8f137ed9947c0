#!/usr/bin/env bash
# The x86 program on 64-bit Windows (a 64-bit prefix), on a display of its own:
#   wow64_handover.sh wow64 BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR STAND_IN
# (see wizard_lib.sh; STAND_IN: a test program to put beside it as tamrin64.exe)
# 1. With a stand-in tamrin64.exe beside it: the stand-in is started by its full path with
#    the same arguments, no window of the x86 program appears, and its exit code is the
#    stand-in's.
# 2. Without it: a box says that this is 64-bit Windows and names the missing program;
#    the exit code is a failure. Screenshot:
#    BUILD_DIR/screenshots/wow64_handover/wow64-handover-missing.png.
source "$(dirname "$0")/wizard_lib.sh"
e2e_begin wow64_handover "$@"

stand_in=${e2e_more[0]}
e2e_lay_out_medium
e2e_fresh_prefix

# 1. The hand-over.
cp "$stand_in" "$work/medium/tamrin64.exe"
export TAMRIN_STAND_IN_LOG=$(windows_path "$work/stand-in.log") TAMRIN_STAND_IN_EXIT=3010
# Through the probe, which passes on the whole exit code (Wine's own is cut to 8 bits).
ran=$(probe run "$(windows_path "$work/medium/$exe_name")" /quiet /model "KV 100" -LOG "C:\\a b\\x.log")
[ "$(sed -n 's/^exit=//p' <<<"$ran")" = 3010 ] || fail "the x86 program ended with [$ran], not the stand-in's exit code 3010"
[ "$(sed -n 's/^windows=//p' <<<"$ran")" = 0 ] || fail "the x86 program showed a window: [$ran]"
expected="\"$(windows_path "$work/medium/tamrin64.exe")\" /quiet /model \"KV 100\" -LOG \"C:\\a b\\x.log\""
said=$(cat "$work/stand-in.log" 2>/dev/null || true)
[ "$said" = "$expected" ] || fail "the stand-in was given [$said], not [$expected]"
echo "hand-over: tamrin64.exe started with [$said], exit code passed on"

# 2. No x64 program beside it.
rm "$work/medium/tamrin64.exe"
start_wizard "$work/medium/$exe_name"
expect_page "Korvel Printer Driver Setup" "$box_buttons" handover-missing
text=$(probe text "Korvel Printer Driver Setup" 0xffff)
grep -q "64 位 Windows" <<<"$text" || fail "the box says [$text]"
grep -qF "$(windows_path "$work/medium/tamrin64.exe")" <<<"$text" || fail "the box does not name the program: [$text]"
if probe rect "$(step 1)" >/dev/null 2>&1; then fail "a wizard page is shown"; fi
click "Korvel Printer Driver Setup" 1
status=0
wait_exit || status=$?
[ $status != 0 ] || fail "exit code 0 without the x64 program"
echo "missing: box names $exe_name's missing partner, exit code $status"
