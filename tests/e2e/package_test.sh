#!/usr/bin/env bash
# The release made by tools/package:  package_test.sh PART WORK SOURCE [PROGRAM ACTION]
#   WORK    scratch folder of these tests (the parts share it; "build" makes it)
#   SOURCE  the source tree whose tools/package is tested
#   PROGRAM, ACTION  tamrin64.exe and package_action.dll built from SOURCE (win64 build tree)
# PART is one of
#   build   the release from empty build trees and a copy of the sources elsewhere: its x64
#           program and custom action are PROGRAM and ACTION byte for byte; packaged again,
#           every file is the same; the programs hold no source or build path and no link
#           time; the release is named after project()'s version, which both programs'
#           VERSIONINFO shows; an unsigned release says so.
#   sums    the zip of the first release unpacked: exactly the files of the medium, each
#           with the sum SHA256SUMS gives; fixed times, permissions and order in the zip.
#   medium  another medium (an extra driver file, a stale program and README of its own)
#           is packaged with its files and our programs and README, in the zip and the
#           Windows Installer packages.
#   refuse  a medium without one of its four needed files, with a symbolic link or a name
#           outside ASCII, a release folder that holds
#           something else or the sources, half a signing set-up: refused with the reason,
#           before anything is built, nothing written to the release folder.
#   msi     the two Windows Installer packages' tables (msiinfo): the actions at their
#           sequence numbers with their conditions and types (deferred without
#           impersonation), the secure public properties, launch conditions, the 64-bit
#           components of the x64 package only, each package's own program, the embedded
#           cabinet, product and upgrade codes, the fixed summary information.
#   sign    with a throwaway certificate: both programs and both packages carry Authenticode signatures that
#           verify against it (and not against another), with the fixed signing time, and
#           carry its SHA-256 (the unsigned ones carry none); signing twice gives the same
#           bytes; a wrong passphrase, or a certificate that is not the key's, fails and
#           leaves the release folder as it was; a key without passphrase works too.
set -euo pipefail

part=$1 work=$2 source=$3 preset_program=${4:-} preset_action=${5:-}
copy=$work/source-copy
# All releases use the epoch the first part chose: the copy of the sources has no git
# history to take it from, and a commit in between must not change it.
if [ "$part" = build ] || [ ! -f "$work/epoch" ]; then
  export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source" log -1 --format=%ct 2>/dev/null || echo 1700000000)}
else
  export SOURCE_DATE_EPOCH=$(cat "$work/epoch")
fi
unset TAMRIN_SIGN_CERT TAMRIN_SIGN_KEY TAMRIN_SIGN_PASS
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
finish() {
  if ((failures)); then echo "$part: $failures failure(s)"; exit 1; fi
  echo "$part: ok"
}
need_release() { [ -f "$work/a/dist/SHA256SUMS" ] || { echo "FAIL: no release in $work/a (part \"build\" failed?)" >&2; exit 1; }; }
version_of_project() { sed -n 's/^project(tamrin VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt"; }
# Writes a listing of a folder (names, sizes, sums) to compare it before and after.
snapshot() { (cd "$1" 2>/dev/null && find . -type f -print0 | sort -z | xargs -0r sha256sum) || echo "absent"; }

case $part in
build)
  rm -rf "$work"
  mkdir -p "$work/a" "$work/b" "$copy"
  echo "$SOURCE_DATE_EPOCH" >"$work/epoch"
  tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git --exclude='./.tamrin-package.*' -cf - . |
    tar -C "$copy" -xf -

  # At a lower priority: the tests under Wine run beside it. Run b compiles nothing.
  for run in a b; do
    clean=()
    [ $run = a ] && clean=(--clean)
    started=$(date +%s)
    if ! nice -n 10 "$copy/tools/package" "${clean[@]}" --build-dir "$work/a/build" --dist "$work/$run/dist" >"$work/$run/package.log" 2>&1; then
      cat "$work/$run/package.log"
      echo "FAIL: tools/package (run $run) failed"; exit 1
    fi
    echo "run $run: $(( $(date +%s) - started )) s"
    grep -q 'UNSIGNED' "$work/$run/package.log" || fail "run $run: an unsigned release does not say so"
  done
  cat "$work/a/package.log"

  version=$(version_of_project)
  zip=tamrin-$version.zip
  [ -f "$work/a/dist/$zip" ] || fail "no $zip for project version $version: $(ls "$work/a/dist")"
  differ=$(diff -rq "$work/a/dist" "$work/b/dist" 2>&1 || true)
  [ -z "$differ" ] || fail "the two runs' releases differ: $differ"
  for pair in "medium/tamrin64.exe $preset_program" "../build/package-win64/msi/action/package_action.dll $preset_action"; do
    read -r own built <<<"$pair"
    cmp -s "$work/a/dist/$own" "$built" || fail "${own##*/} of the release differs from [$built] (is that build up to date?)"
  done
  for p in g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wixl; do
    grep -qxF "$(dpkg-query -W -f='${Package} ${Version}' "$p")" "$work/a/dist/BUILDINFO" ||
      fail "BUILDINFO lacks $p with its version: $(cat "$work/a/dist/BUILDINFO" 2>&1)"
  done

  for exe in tamrin64.exe tamrin32.exe; do
    file=$work/a/dist/medium/$exe
    for path in "$source" "$copy" "$work"; do  # whole paths: the runtime has "winpthreads/src/rwlock.c"
      if { strings -a "$file"; strings -a -el "$file"; } |
         grep -E "(^|[^[:alnum:]_./-])$(sed 's/[].[\*^$+?(){}|]/\\&/g' <<<"$path")(/|$)" >/dev/null; then
        fail "$exe holds the path $path"
      fi
    done
    stamp=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); print(struct.unpack_from("<I", d, struct.unpack_from("<I", d, 0x3c)[0] + 8)[0])' "$file")
    [ "$stamp" = 0 ] || fail "$exe has the link time stamp $stamp"
    for field in FileVersion ProductVersion; do
      shown=$(strings -a -el "$file" | grep -A1 -x "$field" | tail -1)
      [ "$shown" = "$version.0" ] || fail "$exe: $field is [$shown], project version is $version"
    done
    strings -a -el "$file" | grep -A1 -x OriginalFilename | grep -x "$exe" >/dev/null || fail "$exe: OriginalFilename is not $exe"
    if osslsigncode verify -in "$file" >/dev/null 2>&1; then fail "$exe of an unsigned release verifies as signed"; fi
  done
  ;;

sums)
  need_release
  dist=$work/a/dist
  zip=$(cd "$dist" && ls tamrin-*.zip)
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "dist/ does not match its SHA256SUMS"
  grep -q "^[0-9a-f]\{64\}  $zip\$" "$dist/SHA256SUMS" || fail "SHA256SUMS has no line for $zip"

  unpacked=$work/unpacked
  rm -rf "$unpacked"
  mkdir -p "$unpacked"
  unzip -q "$dist/$zip" -d "$unpacked" || fail "unzip $zip failed"
  # Every file of the unpacked medium is listed with its sum, and every listed one is there.
  cp "$dist/SHA256SUMS" "$unpacked/"
  (cd "$unpacked" && grep '  medium/' SHA256SUMS | sha256sum --quiet -c -) || fail "the unpacked medium does not match SHA256SUMS"
  listed=$(sed -n 's/^[0-9a-f]\{64\}  medium\///p' "$dist/SHA256SUMS" | LC_ALL=C sort)
  present=$(cd "$unpacked/medium" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  [ "$listed" = "$present" ] || fail "files in the zip and in SHA256SUMS differ: $(diff <(echo "$listed") <(echo "$present") | tr '\n' ' ')"
  # The sample medium is all there, beside the two programs and the README.
  while IFS= read -r -d '' f; do
    cmp -s "$source/medium/$f" "$unpacked/medium/$f" || fail "$f of the sample medium is missing or changed in the zip"
  done < <(cd "$source/medium" && find . -type f -printf '%P\0')
  for f in tamrin64.exe tamrin32.exe README.txt; do
    [ -s "$unpacked/medium/$f" ] || fail "the zip lacks medium/$f"
  done

  python3 - "$dist/$zip" "$SOURCE_DATE_EPOCH" <<'EOF' || fail "the zip's entries are not fixed"
import sys, time, zipfile
z = zipfile.ZipFile(sys.argv[1])
when = time.gmtime(max(int(sys.argv[2]), 315532800))[:6]
when = when[:5] + (when[5] // 2 * 2,)  # the zip format keeps even seconds
names = [i.filename for i in z.infolist()]
bad = [n for n in names if not n.startswith("medium/")]
assert not bad, f"entries outside medium/: {bad}"
assert names == sorted(names), f"entries not sorted: {names}"
for i in z.infolist():
    assert i.date_time == when, f"{i.filename}: time {i.date_time}, expected {when}"
    assert i.external_attr >> 16 == 0o100644, f"{i.filename}: mode {oct(i.external_attr >> 16)}"
    assert not i.extra and not i.comment, f"{i.filename}: extra field or comment"
assert z.testzip() is None
EOF

  readme=$unpacked/medium/README.txt
  [ "$(head -c3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.txt has no UTF-8 byte-order mark"
  if grep -q $'[^\r]$' "$readme"; then fail "README.txt has lines without CRLF"; fi
  grep -q "64 位 Windows：运行 tamrin64.exe" "$readme" || fail "README.txt does not name tamrin64.exe for 64-bit Windows in Chinese"
  grep -q "32 位 Windows：运行 tamrin32.exe" "$readme" || fail "README.txt does not name tamrin32.exe for 32-bit Windows in Chinese"
  grep -q "64-bit Windows: run tamrin64.exe" "$readme" || fail "README.txt does not name tamrin64.exe for 64-bit Windows"
  grep -q "32-bit Windows: run tamrin32.exe" "$readme" || fail "README.txt does not name tamrin32.exe for 32-bit Windows"
  grep -q "Setup $(version_of_project)" "$readme" || fail "README.txt does not show the version"
  if grep -q '@[A-Z]*@' "$readme"; then fail "README.txt has an unfilled placeholder"; fi
  ;;

medium)
  need_release
  other=$work/other-medium
  rm -rf "$other" "$work/other-dist"
  cp -r "$source/medium" "$other"
  printf 'extra driver file\r\n' >"$other/PrinterDriver/9pin/KP60 new.GPD"
  printf 'stale program' >"$other/tamrin64.exe"
  printf 'an old readme' >"$other/README.txt"
  "$copy/tools/package" --medium "$other" --build-dir "$work/a/build" --dist "$work/other-dist" >"$work/medium.log" 2>&1 ||
    { cat "$work/medium.log"; echo "FAIL: tools/package --medium failed"; exit 1; }
  out=$work/other-dist
  cmp -s "$other/PrinterDriver/9pin/KP60 new.GPD" "$out/medium/PrinterDriver/9pin/KP60 new.GPD" || fail "the extra driver file is not in the release"
  grep -qF '  medium/PrinterDriver/9pin/KP60 new.GPD' "$out/SHA256SUMS" || fail "SHA256SUMS lacks the extra driver file"
  unzip -l "$out"/tamrin-*.zip | grep -F 'medium/PrinterDriver/9pin/KP60 new.GPD' >/dev/null || fail "the zip lacks the extra driver file"
  for msi in "$out"/tamrin-*.msi; do
    grep -qF $'\tKP60NE~1.GPD|KP60 new.GPD\t' <<<"$(msiinfo export "$msi" File)" || fail "$(basename "$msi") lacks the extra driver file"
  done
  for f in tamrin64.exe tamrin32.exe README.txt; do
    cmp -s "$work/a/dist/medium/$f" "$out/medium/$f" || fail "$f of the release is not the built one"
  done
  (cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "the release does not match its SHA256SUMS"
  # Another medium of the same version is another product, which the first one's upgrade row takes in.
  code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
  [ "$(code "$out"/tamrin-*-x64.msi)" != "$(code "$work"/a/dist/tamrin-*-x64.msi)" ] ||
    fail "a package from another medium has the same product code"
  ;;

refuse)
  target=$work/refuse/dist
  mkdir -p "$work/refuse"
  rm -rf "$target"
  for needed in PrinterInfor.Inf Language.inf PrinterDriver/24pin/OEMPRINT.INF PrinterDriver/9pin/OEMPRINT.INF; do
    broken=$work/refuse/medium
    rm -rf "$broken"
    cp -r "$source/medium" "$broken"
    rm "$broken/$needed"
    # Once into a folder that does not exist, once into one that holds an earlier release.
    for state in absent earlier; do
      rm -rf "$target"
      if [ $state = earlier ]; then mkdir -p "$target/medium"; echo earlier >"$target/SHA256SUMS"; fi
      before=$(snapshot "$target")
      status=0
      "$source/tools/package" --medium "$broken" --build-dir "$work/refuse/build" --dist "$target" \
        >"$work/refuse/out" 2>&1 || status=$?
      [ $status != 0 ] || fail "a medium without $needed was accepted"
      grep -qF "$needed" "$work/refuse/out" || fail "the refusal does not name $needed: $(cat "$work/refuse/out")"
      [ "$(snapshot "$target")" = "$before" ] || fail "a medium without $needed changed the release folder ($state)"
    done
  done
  # A name outside ASCII, which the packages cannot carry.
  broken=$work/refuse/medium
  rm -rf "$broken" "$target"
  cp -r "$source/medium" "$broken"
  printf 'x' >"$broken/PrinterDriver/9pin/打印机.GPD"
  status=0
  "$source/tools/package" --medium "$broken" --build-dir "$work/refuse/build" --dist "$target" >"$work/refuse/out" 2>&1 || status=$?
  [ $status != 0 ] && grep -qF '打印机.GPD' "$work/refuse/out" ||
    fail "a medium with a name outside ASCII was not refused by name: $(cat "$work/refuse/out")"
  # A link in the medium, to a file or a folder outside it.
  for link in PrinterDriver/9pin/secret.GPD PrinterDriver/etc; do
    broken=$work/refuse/medium
    rm -rf "$broken" "$target"
    cp -r "$source/medium" "$broken"
    ln -s /etc/$([ "${link##*/}" = etc ] || echo passwd) "$broken/$link"
    status=0
    "$source/tools/package" --medium "$broken" --build-dir "$work/refuse/build" --dist "$target" \
      >"$work/refuse/out" 2>&1 || status=$?
    [ $status != 0 ] && grep -qF "$link" "$work/refuse/out" ||
      fail "a medium with the link $link was not refused by name: $(cat "$work/refuse/out")"
    [ ! -e "$target" ] || fail "a medium with a link wrote the release folder"
  done
  [ ! -e "$work/refuse/build" ] || fail "a refused medium was built"
  # A version Windows Installer would not read as one: a fourth field, a field too large.
  for bad in 1.0.0.1 256.0.0 1.0.65536; do
    status=0
    "$source/tools/make-msi" x64 "$source/medium" none.dll $bad 0 "$work/refuse/x.msi" >"$work/refuse/out" 2>&1 || status=$?
    [ $status != 0 ] && grep -qF "the version $bad is not" "$work/refuse/out" || fail "the version $bad was taken"
  done
  if ls -d "$work/refuse"/.tamrin-package.* >/dev/null 2>&1; then fail "a refusal left a scratch folder"; fi

  # A folder that is not an earlier release is not replaced, nor the one holding the sources.
  for foreign in "$work/refuse/foreign" "$source" "$source/.."; do
    mkdir -p "$work/refuse/foreign/notes"
    echo "keep me" >"$work/refuse/foreign/notes/list.txt"
    before=$(snapshot "$work/refuse/foreign")
    status=0
    "$source/tools/package" --build-dir "$work/refuse/build" --dist "$foreign" >"$work/refuse/out" 2>&1 || status=$?
    [ $status != 0 ] || fail "--dist $foreign was accepted"
    grep -qE 'holds the sources|holds no earlier release' "$work/refuse/out" || fail "--dist $foreign: $(cat "$work/refuse/out")"
  done
  [ "$(snapshot "$work/refuse/foreign")" = "$before" ] || fail "a folder that is not a release was changed"

  rm -rf "$target"
  for half in TAMRIN_SIGN_CERT TAMRIN_SIGN_KEY; do
    status=0
    env "$half=$source/CMakeLists.txt" "$source/tools/package" --build-dir "$work/refuse/build" --dist "$target" \
      >"$work/refuse/out" 2>&1 || status=$?
    [ $status != 0 ] || fail "only $half set: not refused"
    grep -q 'TAMRIN_SIGN_CERT' "$work/refuse/out" && grep -q 'TAMRIN_SIGN_KEY' "$work/refuse/out" ||
      fail "only $half set: the refusal does not name both variables: $(cat "$work/refuse/out")"
    [ ! -e "$target" ] || fail "only $half set: the release folder was written"
  done
  ;;

sign)
  need_release
  keys=$work/keys
  rm -rf "$keys" "$work"/signed-*
  mkdir -p "$keys"
  certificate() {  # NAME [PASSPHRASE]: a self-signed code-signing certificate and its key
    local pass=(-nodes)
    [ -n "${2:-}" ] && pass=(-passout "pass:$2")
    openssl req -x509 -newkey rsa:2048 "${pass[@]}" -keyout "$keys/$1.key" -out "$keys/$1.pem" \
      -days 3650 -subj "/CN=Tamrin test publisher $1" \
      -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning 2>/dev/null
  }
  certificate locked 'a pass phrase'
  certificate open
  certificate stranger
  # Signing reuses the release's build trees (the copy of the sources).
  package() {  # DIST CERT [PASSPHRASE]
    TAMRIN_SIGN_CERT=$keys/$2.pem TAMRIN_SIGN_KEY=$keys/$2.key TAMRIN_SIGN_PASS=${3:-} \
      "$copy/tools/package" --build-dir "$work/a/build" --dist "$work/$1" >"$work/$1.log" 2>&1
  }
  when=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T')

  # Every program the release tool starts writes down its environment, then runs.
  spy=$work/spy
  rm -rf "$spy"
  mkdir -p "$spy/bin"
  for tool in cmake openssl osslsigncode wixl msibuild python3 dpkg-query; do
    printf '#!/bin/sh\nenv >"%s/%s.$$.env"\nexec %s "$@"\n' "$spy" "$tool" "$(command -v "$tool")" >"$spy/bin/$tool"
    chmod +x "$spy/bin/$tool"
  done
  started=$(date +%s)
  PATH=$spy/bin:$PATH package signed-1 locked 'a pass phrase' ||
    { cat "$work/signed-1.log"; echo "FAIL: signing failed"; exit 1; }
  echo "signed release: $(( $(date +%s) - started )) s"
  ls "$spy"/osslsigncode.*.env >/dev/null 2>&1 || fail "the environment of osslsigncode was not seen"
  leaked=$( (grep -l 'a pass phrase' "$spy"/*.env || true) | xargs -r -n1 basename | tr '\n' ' ')
  [ -z "$leaked" ] || fail "the passphrase is in the environment of $leaked"
  grep -q 'signed with' "$work/signed-1.log" || fail "a signed release does not say so: $(cat "$work/signed-1.log")"
  if grep -q UNSIGNED "$work/signed-1.log"; then fail "a signed release says UNSIGNED"; fi
  for exe in tamrin64.exe tamrin32.exe; do
    file=$work/signed-1/medium/$exe
    osslsigncode verify -CAfile "$keys/locked.pem" -in "$file" >"$work/verify.log" 2>&1 ||
      { cat "$work/verify.log"; fail "$exe: the signature does not verify"; }
    grep -q "Signing time: .*$(date -u -d "@$SOURCE_DATE_EPOCH" '+%b %e %H:%M:%S %Y')" "$work/verify.log" ||
      fail "$exe: signing time is not $when: $(grep -i 'signing time' "$work/verify.log")"
    if osslsigncode verify -CAfile "$keys/stranger.pem" -in "$file" >/dev/null 2>&1; then
      fail "$exe: the signature verifies against a certificate that did not sign it"
    fi
    # The signed program carries its signer's thumbprint, which the unsigned one lacks.
    rm -f "$work/unsigned-$exe"
    osslsigncode remove-signature -in "$file" -out "$work/unsigned-$exe" >/dev/null 2>&1 || fail "$exe: cannot remove its signature"
    thumbprint=$(openssl x509 -in "$keys/locked.pem" -outform DER | sha256sum | cut -c1-64)
    grep -qF "$thumbprint" "$work/unsigned-$exe" || fail "$exe does not carry its signer's SHA-256 $thumbprint"
    if grep -qF "$thumbprint" "$work/a/dist/medium/$exe"; then fail "the unsigned $exe carries a signer's SHA-256"; fi
    unzip -p "$work"/signed-1/tamrin-*.zip "medium/$exe" | cmp -s - "$file" || fail "the zip holds another $exe than medium/"
  done
  for msi in "$work"/signed-1/tamrin-*.msi; do
    osslsigncode verify -CAfile "$keys/locked.pem" -in "$msi" >/dev/null 2>&1 || fail "$(basename "$msi") is not signed"
  done
  (cd "$work/signed-1" && sha256sum --quiet -c SHA256SUMS) || fail "the signed release does not match its SHA256SUMS"

  package signed-2 locked 'a pass phrase' || { cat "$work/signed-2.log"; fail "signing a second time failed"; }
  diff -r "$work/signed-1" "$work/signed-2" >/dev/null || fail "signing twice gave different bytes"

  before=$(snapshot "$work/signed-1")
  if package signed-1 locked 'wrong pass phrase'; then fail "a wrong passphrase was accepted"; fi
  [ "$(snapshot "$work/signed-1")" = "$before" ] || fail "a failed signing changed the release folder"

  status=0
  TAMRIN_SIGN_CERT=$keys/stranger.pem TAMRIN_SIGN_KEY=$keys/open.key \
    "$copy/tools/package" --build-dir "$work/a/build" --dist "$work/signed-1" >"$work/mismatch.log" 2>&1 || status=$?
  [ $status != 0 ] && grep -q "is not the one of TAMRIN_SIGN_KEY" "$work/mismatch.log" ||
    fail "a certificate that is not the key's was not refused: $(cat "$work/mismatch.log")"
  [ "$(snapshot "$work/signed-1")" = "$before" ] || fail "a refused certificate changed the release folder"

  package signed-open open || { cat "$work/signed-open.log"; fail "signing with a key without passphrase failed"; }
  for exe in tamrin64.exe tamrin32.exe; do
    osslsigncode verify -CAfile "$keys/open.pem" -in "$work/signed-open/medium/$exe" >/dev/null 2>&1 ||
      fail "$exe signed with a key without passphrase does not verify"
  done
  ;;

msi)
  need_release
  dist=$work/a/dist
  version=$(version_of_project)
  table() { msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4; }
  upgrade_code=$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/\1/p' "$source/msi/tamrin.wxs")
  codes=()
  for arch in x64 x86; do
    msi=$dist/tamrin-$version-$arch.msi
    [ -f "$msi" ] || { fail "no $msi"; continue; }
    grep -q "^[0-9a-f]\{64\}  tamrin-$version-$arch.msi\$" "$dist/SHA256SUMS" || fail "SHA256SUMS has no line for the $arch package"
    sequence=$(table "$msi" InstallExecuteSequence)
    # Each row with the Windows Installer rule it stands for, where Wine's msiexec differs
    # (the order of an upgrade, repairs, UPGRADINGPRODUCTCODE).
    while IFS='|' read -r action condition number rule; do
      grep -qxF "$action"$'\t'"$condition"$'\t'"$number" <<<"$sequence" ||
        fail "$arch: $action is not at $number with [$condition] ($rule): $(grep "^$action" <<<"$sequence")"
    done <<'ROWS'
AppSearch||50|AppSearch: the remembered values read before the launch conditions
TamrinKeepModel|Installed OR (NOT MODEL AND REMEMBEREDMODEL)|51|Installed: a maintenance run keeps the remembered model
TamrinKeepPort|Installed OR (NOT PORT AND REMEMBEREDPORT)|52|Installed: so the port
TamrinKeepNoDefault|Installed OR (NOT NODEFAULT AND REMEMBEREDNODEFAULT)|53|Installed: so NODEFAULT
LaunchConditions||100|LaunchConditions: after AppSearch
TamrinFindOther|REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE|3400|MsiEnumRelatedProducts: another version keeps the printers
TamrinRemoveData|REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE AND NOT TamrinOtherVersion|3401|UPGRADINGPRODUCTCODE: set in an upgrade's removal
TamrinRemove|REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE AND NOT TamrinOtherVersion|3402|Deferred Execution Custom Actions: in the script
RemoveFiles||3500|RemoveFiles: the printers go before the program
InstallFiles||4000|InstallFiles: the program before the printer
TamrinInstallData|NOT Installed|6501|Installed: a first installation or an upgrade
TamrinRepairData|Installed AND NOT REMOVE="ALL"|6502|REINSTALL: a repair, the remembered values alone
TamrinInstall|NOT REMOVE="ALL"|6503|Deferred Execution Custom Actions: run by InstallExecute
InstallExecute||6590|InstallExecute: runs the script so far, the printer included
RemoveExistingProducts||6595|RemoveExistingProducts: between InstallExecute and InstallFinalize, one transaction
InstallFinalize||6600|InstallFinalize: ends the transaction
TamrinRestart|NOT UPGRADINGPRODUCTCODE AND NOT TamrinOtherVersion|6601|MsiSetMode: not from a deferred action; the older version's removal leaves the newer one's restart
ROWS
    actions=$(table "$msi" CustomAction | cut -f1-2,4 | sort)
    # 1: a function of a DLL in the Binary table; +1024 deferred; +2048 without impersonation.
    expected=$(printf '%s\t%s\t%s\n' TamrinInstall 3073 InstallPrinter TamrinInstallData 51 \
      '[InstallFolder]"[MODEL]"[PORT]"[NODEFAULT]"[TESTPAGE]"[TAMRINLOG]"[WIX_UPGRADE_DETECTED]"[REMEMBEREDMODEL]' \
      TamrinRepairData 51 '[InstallFolder]"[REMEMBEREDMODEL]"[REMEMBEREDPORT]"[REMEMBEREDNODEFAULT]"""1"' \
      TamrinKeepModel 51 '[REMEMBEREDMODEL]' TamrinKeepPort 51 '[REMEMBEREDPORT]' TamrinKeepNoDefault 51 '[REMEMBEREDNODEFAULT]' \
      TamrinFindOther 1 FindOtherVersion TamrinRemove 3073 RemovePrinter \
      TamrinRemoveData 51 '[InstallFolder]"[REMEMBEREDMODEL]""""[TAMRINLOG]""' TamrinRestart 1 RequestRestart | sort)
    [ "$actions" = "$expected" ] || fail "$arch: custom actions differ: $(diff <(echo "$expected") <(echo "$actions") | tr '\n' ' ')"

    properties=$(table "$msi" Property)
    secure=$(sed -n 's/^SecureCustomProperties\t//p' <<<"$properties")
    for p in MODEL PORT NODEFAULT TESTPAGE TAMRINLOG; do
      grep -q "\(^\|;\)$p\(;\|\$\)" <<<"$secure" || fail "$arch: $p is not a secure property: [$secure]"
    done
    for row in "ProductVersion"$'\t'"$version" "UpgradeCode"$'\t'"{$upgrade_code}" "Manufacturer"$'\t'Korvel \
               "ARPPRODUCTICON"$'\t'tamrin.ico "ALLUSERS"$'\t'1 "REBOOT"$'\t'ReallySuppress; do
      grep -qxF "$row" <<<"$properties" || fail "$arch: no property row [$row]"
    done
    codes+=("$(sed -n 's/^ProductCode\t//p' <<<"$properties")")
    [ "$(table "$msi" Upgrade | awk -F'\t' '$7 == "WIX_UPGRADE_DETECTED" { print $3, $5 }')" = "$version 513" ] ||
      fail "$arch: the upgrade row does not take in its own version: [$(table "$msi" Upgrade)]"
    # Every long name has its short one (ICE03): "PRINTE~1.INF|PrinterInfor.Inf".
    long=$( { table "$msi" Directory | cut -f3; table "$msi" File | cut -f3; } |
      grep -vxE '[^.| ]{1,8}(\.[^.| ]{1,3})?|[^|]+\|.+|\.|SourceDir' || true)
    [ -z "$long" ] || fail "$arch: names without a short name: $long"
    [ "$(table "$msi" Directory | awk -F'\t' '$3 ~ /Printer Driver$/ { print $1 }')" = InstallFolder ] ||
      fail "$arch: the program's folder is not the private directory InstallFolder"
    conditions=$(table "$msi" LaunchCondition | cut -f1)
    grep -qxF 'Installed OR MODEL' <<<"$conditions" || fail "$arch: MODEL is not required"
    on64=no
    grep -qxF 'NOT VersionNT64' <<<"$conditions" && on64=refused
    [ "$on64" = "$([ $arch = x86 ] && echo refused || echo no)" ] || fail "$arch: 64-bit Windows $on64"

    # Every component 64-bit (256) in the x64 package, none in the x86 one.
    wide=$(table "$msi" Component | awk -F'\t' -v want=$([ $arch = x64 ] && echo 1 || echo 0) \
      'int($4 / 256) % 2 != want { print $1 }')
    [ -z "$wide" ] || fail "$arch: components with the wrong 64-bit flag: $wide"
    files=$(table "$msi" File | cut -f3)
    own=tamrin64.exe other=tamrin32.exe
    [ $arch = x86 ] && own=tamrin32.exe other=tamrin64.exe
    grep -qx "$own" <<<"$files" && ! grep -qx "$other" <<<"$files" || fail "$arch: not its own program alone"
    [ "$(table "$msi" File | awk -F'\t' -v p="$own" '$3 == p { print $5, $6 }')" = "$version.0 2052" ] ||
      fail "$arch: $own has no file version and language of its own: [$(table "$msi" File | grep -F "$own")]"
    [ "$(wc -l <<<"$files")" = "$(( $(find "$dist/medium" -type f | wc -l) - 1 ))" ] ||
      fail "$arch: $(wc -l <<<"$files") files for a medium of $(find "$dist/medium" -type f | wc -l) less one"
    grep -q $'\t#medium.cab\t' <<<"$(table "$msi" Media)" || fail "$arch: the cabinet is not embedded"
    summary=$(TZ=UTC msiinfo suminfo "$msi")
    grep -qx "Template: $([ $arch = x64 ] && echo x64 || echo Intel);1033" <<<"$summary" || fail "$arch: template: $summary"
    grep -qx "Created: $(TZ=UTC date -d "@$SOURCE_DATE_EPOCH" '+%a %b %e %H:%M:%S %Y')" <<<"$summary" ||
      fail "$arch: creation time is not the epoch's: $(grep Created <<<"$summary")"
  done
  [ "${#codes[@]}" = 2 ] && [ "${codes[0]}" != "${codes[1]}" ] || fail "the product codes are not two: ${codes[*]}"
  ;;

*)
  echo "package_test.sh: unknown part $part" >&2; exit 2 ;;
esac
finish
