#!/usr/bin/env bash
# The wizard at 96, 144 and 192 DPI under Wine, on a display of its own:
#   wizard_dpi.sh ARCH BUILD_DIR PROGRAM PROBE MEDIUM_DIR
#     (as wizard_walk.sh; screenshots go to BUILD_DIR/screenshots/dpiN/ARCH-page*.png)
#
# Each DPI runs in a prefix of its own whose HKCU\Control Panel\Desktop LogPixels is that
# DPI. The walk goes from step 1 to step 4 and checks on every page that
#  - the picture fills the frame its template gives it: the frame grows with the dialog
#    font, so its static measures 228 x 312 pixels times DPI/96 (within 5 %: the font's
#    height does not grow exactly in step, 600 rather than 624 at 192), and the screen
#    shows the wizard's picture over the whole of it (compared with the picture scaled to
#    that size);
#  - no control of the page reaches outside the page and no button of the frame outside
#    the frame.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/wizard_lib.sh"
e2e_screen=1600x1200x24
e2e_on_display "$@"

arch=$1 build=$2 program=$3 probe=$4 medium=$5
picture=$here/../../resources/wizard.bmp
work=$build/e2e/wizard_dpi
exe_name=$(basename "$program")

rm -rf "$work"
mkdir -p "$work/m"
if [ -d "$medium" ]; then cp -r "$medium/." "$work/m/"; fi
cp "$program" "$work/m/"
trap 'e2e_stop; rm -rf "$work"' EXIT

# The largest difference (root mean square, 0 to 1) between the screen's picture and the
# picture scaled to the frame; smoothing and the stretch's rounding stay far below it, a
# grey band or a picture two thirds the size far above.
max_rmse=0.08

check_page() {
  local title=$1 dpi=$2 layout x y w h
  layout=$(probe layout "$title") || fail "no page in \"$title\""
  if grep -q '^clipped' <<<"$layout"; then
    fail "$dpi DPI, \"$title\": $(grep '^clipped' <<<"$layout" | tr '\n' ' ')"
  fi
  read -r _ x y w h < <(grep '^picture' <<<"$layout") || fail "$dpi DPI, \"$title\": no picture"
  local want_w=$((228 * dpi / 96)) want_h=$((312 * dpi / 96))
  ((w * 100 >= want_w * 95 && w * 100 <= want_w * 105 && h * 100 >= want_h * 95 && h * 100 <= want_h * 105)) ||
    fail "$dpi DPI, \"$title\": the picture's frame is ${w}x${h}, expected about ${want_w}x${want_h}"

  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shown.png"
  convert "$picture" -resize "${w}x${h}!" "$work/expected.png"
  local rmse
  rmse=$(compare -metric RMSE "$work/shown.png" "$work/expected.png" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p' || true)
  [ -n "$rmse" ] || fail "$dpi DPI, \"$title\": could not compare the picture"
  awk -v e="$rmse" -v m="$max_rmse" 'BEGIN { exit !(e <= m) }' ||
    fail "$dpi DPI, \"$title\": the screen's picture differs from wizard.bmp at ${w}x${h} (RMSE $rmse)"
  echo "$dpi DPI, $title: picture ${w}x${h} at $x,$y, RMSE $rmse"
}

for dpi in 96 144 192; do
  export TAMRIN_WINEPREFIX=$work/prefix$dpi
  shots=$build/screenshots/dpi$dpi
  mkdir -p "$shots"
  rm -f "$shots/$arch"-page*.png "$shots/$arch-failure.png"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  e2e_unmanaged_windows
  start_watched "$work/m/$exe_name"

  names=(welcome driver port finish)
  buttons=("$only_next" "$back_next" "$back_next" "$back_finish")
  for k in 1 2 3 4; do
    expect_page "$(step $k)" "${buttons[k - 1]}" "page$k-${names[k - 1]}"
    check_page "$(step $k)" "$dpi"
    if ((k < 4)); then click "$(step $k)" $next; fi
  done

  click "$(step 4)" $cancel
  wait_exit || fail "$dpi DPI: the program did not end cleanly after Cancel"
  [ "$(watched_exit)" = 1602 ] || fail "$dpi DPI: exit code [$(watched_exit)] after Cancel, not 1602"
  e2e_stop
  rm -rf "$TAMRIN_WINEPREFIX"
done
echo "dpi: steps 1-4 at 96, 144 and 192 DPI, the picture fills its frame and nothing is clipped"
