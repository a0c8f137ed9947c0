#!/usr/bin/env bash
# tools/summarize-tests.py counts what did not pass as failed: summary_test.sh SOURCE
# A preset whose ctest report holds a passed test, a failed one, one not run because its
# fixture failed, a disabled one and a corpus fixture; GoogleTest cases count one each.
set -euo pipefail
source=$1
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
mkdir -p "$results/p/gtest"
cat >"$results/p/ctest.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<testsuite name="p" tests="6">
  <testcase name="passes" status="run"/>
  <testcase name="fails" status="fail"><failure message=""/></testcase>
  <testcase name="after_failed_fixture" status="notrun"><skipped message="Fixture dependency failed"/></testcase>
  <testcase name="switched_off" status="disabled"><skipped message="Disabled"/></testcase>
  <testcase name="seeds_corpus" status="fail"><failure message=""/></testcase>
  <testcase name="cases" status="run"/>
</testsuite>
XML
cat >"$results/p/gtest/cases.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<testsuites><testsuite name="S">
  <testcase name="a" classname="S" result="completed"/>
  <testcase name="b" classname="S" result="completed"/>
</testsuite></testsuites>
XML
status=0
out=$(python3 "$source/tools/summarize-tests.py" "$results") || status=$?
echo "$out"
[ "$(tail -1 <<<"$out")" = "3 passed, 2 failed" ] || { echo "FAIL: expected \"3 passed, 2 failed\""; exit 1; }
grep -qx 'FAILED: p: after_failed_fixture (not run)' <<<"$out" || { echo "FAIL: the test not run is not listed"; exit 1; }
[ $status = 1 ] || { echo "FAIL: exit status $status with failures"; exit 1; }
