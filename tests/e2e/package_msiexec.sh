#!/usr/bin/env bash
# A Windows Installer package under Wine's own msiexec, on a display of its own:
#   package_msiexec.sh win64 BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR STAND_IN RELEASE_WORK
#   package_msiexec.sh win32 BUILD_DIR PROGRAM PROBE PRINTUI_STUB MEDIUM_DIR STAND_IN ACTION_DLL
# (see wizard_lib.sh; STAND_IN: stand_in_x64.exe of the build, a program that ends with the
# exit code it is told). win64: the release's x64 package (RELEASE_WORK: the scratch folder
# of the package tests, whose release package_test.sh build makes). win32, in a 32-bit
# prefix: an x86 package made here by tools/make-msi from the sample medium, PROGRAM and
# ACTION_DLL (the release is made in the win64 build tree only).
# One walk, each step on the state the one before left:
# 1. MODEL the catalogue does not list: 1603, no files, no printer, no product.
# 2. MODEL=KV-100 PORT=LPT1: the files under Program Files, the product registered with
#    its publisher, and the printer (the default printer: Wine's msiexec runs the action
#    as the user).
# 3. A repair (REINSTALL=ALL) after the printer was deleted, given another MODEL and
#    TESTPAGE: the remembered model's printer made again, the remembered model kept.
# 4. A second version's package without MODEL and PORT: the product upgraded, the printer
#    kept as it was (a comment set before it stays) and given the driver again (/update).
# 5. msiexec /x: the printer and its copy, the files and the product gone.
# 6. The first version again, then the second with MODEL=KV-200: the KV-200 printer made
#    on the remembered port, the KV-100 one removed after it.
# 7. A package whose program asks for a restart (3010): the package ends with 3010 through
#    the mark the deferred action leaves, which is gone afterwards.
# 8. Its removal while the program fails (1603): the product removed all the same, the
#    package's log saying that the printers stay.
# Every msiexec run writes its verbose log to BUILD_DIR/e2e/package_msiexec/STEP.log.
source "$(dirname "$0")/wizard_lib.sh"
e2e_begin package_msiexec "$@"

stand_in=${e2e_more[0]}
printer='Korvel KV-100'
installed=$work/prefix/drive_c/Program\ Files/Korvel/Printer\ Driver
msiexec=C:\\windows\\system32\\msiexec.exe
if [ "$arch" = win64 ]; then
  release=${e2e_more[1]}
  package_arch=x64 other_program=tamrin32.exe
  msi=$(ls "$release"/a/dist/tamrin-*-x64.msi 2>/dev/null) || fail "no x64 package in $release/a (part \"build\" failed?)"
  version=$(basename "$msi" | sed 's/^tamrin-\(.*\)-x64\.msi$/\1/')
  package_medium=$release/a/dist/medium
  action=$release/a/build/package-win64/msi/action/package_action.dll
  epoch=$(cat "$release/epoch")
else
  package_arch=x86 other_program=tamrin64.exe
  action=${e2e_more[1]}
  version=$(cat "$build/version.txt") epoch=$(date +%s)
  package_medium=$work/package-medium
  e2e_lay_out_medium "$package_medium"
  msi=$work/tamrin-$version-x86.msi
  "$e2e_root/tools/make-msi" x86 "$package_medium" "$action" "$version" "$epoch" "$msi"
fi

# A later version of the same package, from the same medium and action.
next_version=${version%.*}.$(( ${version##*.} + 1 ))
next=$work/tamrin-$next_version-$package_arch.msi
"$e2e_root/tools/make-msi" $package_arch "$package_medium" "$action" "$next_version" "$epoch" "$next"
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
first_code=$(product_code "$msi") next_code=$(product_code "$next")

# run_msiexec CODE STEP ARGS...: msiexec with ARGS and a verbose log STEP.log ends with CODE.
run_msiexec() {
  local want=$1 step=$2 out code
  shift 2
  out=$(probe run "$msiexec" "$@" /qn /l*v "$(windows_path "$work/$step.log")") ||
    fail "the probe could not run msiexec $*: [$out]"
  code=$(sed -n 's/^exit=//p' <<<"$out")
  [ "$code" = "$want" ] || fail "msiexec $* ended with $code, expected $want"
}
names() { printers | grep -v '^default=' || true; }
registered() { wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" >"$work/reg.out" 2>&1; }
remembered_model() {
  wine reg query 'HKLM\Software\Korvel\Printer Driver' /v Model $([ "$package_arch" = x64 ] && echo /reg:64) 2>/dev/null |
    tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}

e2e_fresh_prefix
package=$(windows_path "$msi")

# --- 1. A model the catalogue does not list.
run_msiexec 1603 unlisted /i "$package" MODEL=KV-999 PORT=LPT1:
[ ! -e "$installed" ] || fail "a failed installation left files: $(ls "$installed")"
[ -z "$(names)" ] || fail "a failed installation left printers: [$(names)]"
if registered "$first_code"; then fail "a failed installation registered the product"; fi
grep -q 'exit code 1639' "$work/unlisted.log" || fail "the package's log does not give the program's exit code 1639"
echo "unlisted model: 1603, nothing left"

# --- 2. Installation.
started=$(date +%s)
run_msiexec 0 install /i "$package" MODEL=KV-100 PORT=LPT1:
echo "installation: $(( $(date +%s) - started )) s"
for f in "$exe_name" PrinterInfor.Inf PrinterDriver/24pin/OEMPRINT.INF; do
  [ -f "$installed/$f" ] || fail "$f is not installed"
done
[ ! -e "$installed/$other_program" ] || fail "the $package_arch package installed $other_program"
state=$(printers)
grep -qxF "$printer" <<<"$state" && grep -qxF "default=$printer" <<<"$state" ||
  fail "\"$printer\" is not installed as the default printer: [$state]"
registered "$first_code" || fail "the product $first_code is not registered: $(cat "$work/reg.out")"
grep -q 'Publisher.*Korvel' "$work/reg.out" && grep -q "DisplayVersion.*$version" "$work/reg.out" ||
  fail "Apps & features lacks the publisher or version: $(cat "$work/reg.out")"
grep -q 'Korvel printer: the installation ended with exit code 0' "$work/install.log" ||
  fail "the package's log does not give the program's outcome"

# --- 3. A repair after the printer was deleted, given another model and a test page:
# the remembered model's printer made again, no test page, the remembered model kept.
wine "$installed/$exe_name" /quiet /uninstall /model KV-100 || fail "the test could not remove the printer"
[ -z "$(names)" ] || fail "the test could not delete the printer: [$(names)]"
run_msiexec 0 repair /i "$package" REINSTALL=ALL REINSTALLMODE=omus MODEL=KV-200 TESTPAGE=1
grep -qxF "$printer" <<<"$(names)" || fail "the repair did not make the printer again: [$(names)]"
grep -q '/quiet /update /model "KV-100" /port "LPT1:"' "$work/repair.log" && ! grep -q /testpage "$work/repair.log" ||
  fail "the repair did not install the remembered model and port alone with /update"
[ "$(remembered_model)" = KV-100 ] || fail "the repair changed the remembered model to [$(remembered_model)]"
echo "repair: the printer made again, the remembered model kept"

# --- 4. The next version, given no model: the printer kept as it is.
[ "$(probe comment "$printer" 'Counter 2')" = 'Counter 2' ] || fail "the test could not set the printer's comment"
run_msiexec 0 upgrade /i "$(windows_path "$next")"
registered "$next_code" || fail "the next version is not registered"
if registered "$first_code"; then fail "the first version is still registered after the upgrade"; fi
[ "$(probe comment "$printer")" = 'Counter 2' ] || fail "the upgrade did not keep the printer: [$(names)] [$(probe comment "$printer")]"
grep -q '/quiet /update /model "KV-100" /port "LPT1:"' "$work/upgrade.log" || fail "the upgrade did not update the remembered model and port"
echo "upgrade: the printer kept with its comment"

# --- 5. Removal, with a copy of the printer beside it.
wine rundll32.exe printui.dll,PrintUIEntry /if /n "$printer (2)" /f "$(windows_path "$installed")\\PrinterDriver\\24pin\\OEMPRINT.INF" /r LPT2: /m "$printer"
grep -qxF "$printer (2)" <<<"$(names)" || fail "the copy of the printer was not made for the test"
run_msiexec 0 remove /x "$(windows_path "$next")"
[ -z "$(names)" ] || fail "the removal left printers: [$(names)]"
[ ! -e "$installed" ] || fail "the removal left files: $(ls -R "$installed")"
if registered "$next_code"; then fail "the product is still registered after the removal"; fi
echo "removal: the printer, its copy, the files and the product gone"

# --- 6. An upgrade to another model replaces the printers of the remembered one once its
# own is installed. (On a machine of its own: Wine deletes the whole upgrade-code key at
# the older version's removal, so the version an upgrade installed is found by no later one.)
run_msiexec 0 install-again /i "$package" MODEL=KV-100 PORT=LPT1:
run_msiexec 0 upgrade-model /i "$(windows_path "$next")" MODEL=KV-200
[ "$(names)" = 'Korvel KV-200' ] || fail "another model at an upgrade did not replace the printer: [$(names)]"
grep -q 'the model KV-200 replaces KV-100' "$work/upgrade-model.log" || fail "the package's log does not say KV-200 replaces KV-100"
[ "$(remembered_model)" = KV-200 ] || fail "the upgrade did not remember KV-200: [$(remembered_model)]"
run_msiexec 0 remove-model /x "$(windows_path "$next")"
echo "upgrade to another model: the older model's printer replaced"

# --- 7. The program asks for a restart.
restart_medium=$work/restart-medium
cp -r "$package_medium" "$restart_medium"
cp "$stand_in" "$restart_medium/$exe_name"
"$e2e_root/tools/make-msi" $package_arch "$restart_medium" "$action" "$version" "$epoch" "$work/restart.msi"
TAMRIN_STAND_IN_EXIT=3010 run_msiexec 3010 restart /i "$(windows_path "$work/restart.msi")" MODEL=KV-100 PORT=LPT1:
grep -q 'Korvel printer: Windows must restart' "$work/restart.log" || fail "the package's log does not say a restart is needed"
if wine reg query 'HKLM\Software\Korvel\Printer Driver' /v RestartRequired >"$work/reg.out" 2>&1; then
  fail "the restart mark is left: $(cat "$work/reg.out")"
fi
echo "restart asked by the program: the package ended with 3010"

# --- 8. A removal whose printers cannot be removed (the program fails) removes the product
# all the same, and the package's log says that the printers stay.
TAMRIN_STAND_IN_EXIT=1603 run_msiexec 0 remove-unfinished /x "$(windows_path "$work/restart.msi")"
if registered "$(product_code "$work/restart.msi")"; then fail "a removal that left printers left the product"; fi
grep -q "the printers' removal did not finish; the product is removed all the same" "$work/remove-unfinished.log" ||
  fail "the package's log does not say that the printers stay"
echo "a removal the program cannot finish: the product removed, the printers left, the log saying so"
