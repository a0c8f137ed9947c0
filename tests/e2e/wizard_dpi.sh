#!/usr/bin/env bash
# The wizard at 96, 144 and 192 DPI under Wine, in Chinese and in English, on a display
# of its own:
#   wizard_dpi.sh ARCH BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR (see wizard_lib.sh)
# Screenshots go to BUILD_DIR/screenshots/wizard_dpi/dpiN/ARCH-page*.png (Chinese) and
# .../english-dpiN/ (English).
#
# Each language and DPI runs in a prefix of its own, of that language's locale, whose
# HKCU\Control Panel\Desktop LogPixels is that DPI. The walk goes from step 1 to step 4 and checks on every page that
#  - the picture fills the frame its template gives it: the frame grows with the dialog
#    font, so its static measures 228 x 312 pixels times DPI/96 in Chinese (within 5 %:
#    the font's height does not grow exactly in step, 600 rather than 624 at 192; the
#    English dialog font Wine gives has units of its own, 7 x 13 at 96 DPI, 13 x 24 at
#    192, so its frame is not measured), and the screen shows the wizard's picture over
#    the whole of it (compared with the picture scaled to that size);
#  - no control of the page reaches outside the page and no button of the frame outside
#    the frame.
source "$(dirname "$0")/wizard_lib.sh"
e2e_screen=1600x1200x24
e2e_begin wizard_dpi "$@"

picture=$e2e_root/resources/wizard.bmp
e2e_lay_out_medium
all_shots=$shots

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
    [ -n "$language" ] || fail "$dpi DPI, \"$title\": the picture's frame is ${w}x${h}, expected about ${want_w}x${want_h}"

  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shown.png"
  convert "$picture" -resize "${w}x${h}!" "$work/expected.png"
  local rmse
  rmse=$(compare -metric RMSE "$work/shown.png" "$work/expected.png" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p' || true)
  [ -n "$rmse" ] || fail "$dpi DPI, \"$title\": could not compare the picture"
  awk -v e="$rmse" -v m="$max_rmse" 'BEGIN { exit !(e <= m) }' ||
    fail "$dpi DPI, \"$title\": the screen's picture differs from wizard.bmp at ${w}x${h} (RMSE $rmse)"
  echo "$dpi DPI, $title: picture ${w}x${h} at $x,$y, RMSE $rmse"
}

for locale in zh_CN.UTF-8 C.UTF-8; do
  export TAMRIN_WINE_LOCALE=$locale
  language=$([ "$locale" = C.UTF-8 ] && echo english- || true)
  for dpi in 96 144 192; do
    shots=$all_shots/${language}dpi$dpi
    mkdir -p "$shots"
    e2e_fresh_prefix
    e2e_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    start_watched "$work/medium/$exe_name"

    names=(welcome driver port finish)
    buttons=("$only_next" "$back_next" "$back_next" "$back_finish")
    for k in 1 2 3 4; do
      expect_page "$(step $k)" "${buttons[k - 1]}" "page$k-${names[k - 1]}"
      check_page "$(step $k)" "$dpi"
      if ((k < 4)); then click "$(step $k)" $next; fi
    done

    click "$(step 4)" $cancel
    wait_exit || fail "$dpi DPI: the program did not end cleanly after Cancel"
    [ "$(watched exit)" = 1602 ] || fail "$dpi DPI: exit code [$(watched exit)] after Cancel, not 1602"
  done
done
echo "dpi: steps 1-4 at 96, 144 and 192 DPI in Chinese and English, the picture fills its frame and nothing is clipped"
