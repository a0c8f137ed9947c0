#!/usr/bin/env python3
"""Adds up the results of all test tiers: each GoogleTest case counts once, every other
test (scripts, fuzzing runs) counts as one, fixtures not at all; a test ctest did not run
and a preset that did not build count as failures. Tests that this machine cannot run are
listed in the file "skipped", one a line, and counted as skipped.
Prints the failures and ends with the line "N passed, M failed" (", K skipped")."""
import pathlib
import sys
import xml.etree.ElementTree as ET

results = pathlib.Path(sys.argv[1])
passed = failed = 0
failures = []

for preset_dir in sorted(p for p in results.iterdir() if p.is_dir()):
    preset = preset_dir.name
    junit = preset_dir / "ctest.xml"
    if not junit.exists():
        continue
    gtest_dir = preset_dir / "gtest"
    for case in ET.parse(junit).getroot().iter("testcase"):
        name = case.get("name")
        if name.endswith("_corpus"):
            continue  # fixture: copies a fuzzing corpus, tests nothing itself
        if case.get("status") == "disabled":
            continue
        if case.get("status") == "notrun":
            # Not run because its fixture failed or its program is missing: not a pass.
            failed += 1
            failures.append(f"{preset}: {name} (not run)")
            continue
        ctest_failed = case.get("status") == "fail" or case.find("failure") is not None
        report = gtest_dir / f"{name}.xml"
        if report.exists():
            try:
                for g in ET.parse(report).getroot().iter("testcase"):
                    if g.get("result", "completed") == "skipped" or g.find("skipped") is not None:
                        continue
                    if g.find("failure") is not None:
                        failed += 1
                        failures.append(f"{preset}: {name}: {g.get('classname')}.{g.get('name')}")
                    else:
                        passed += 1
            except ET.ParseError:
                ctest_failed = True
            if ctest_failed and not any(f.startswith(f"{preset}: {name}:") for f in failures):
                failed += 1
                failures.append(f"{preset}: {name} (ended abnormally)")
        elif ctest_failed:
            failed += 1
            failures.append(f"{preset}: {name}")
        else:
            passed += 1

broken = results / "broken"
if broken.exists():
    for line in broken.read_text().splitlines():
        failed += 1
        failures.append(line)

skipped = []
skipped_file = results / "skipped"
if skipped_file.exists():
    skipped = [line for line in skipped_file.read_text().splitlines() if line.strip()]

for s in skipped:
    print("SKIPPED:", s)
for f in failures:
    print("FAILED:", f)
print(f"{passed} passed, {failed} failed" + (f", {len(skipped)} skipped" if skipped else ""))
sys.exit(1 if failed else 0)
