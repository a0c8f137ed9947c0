#!/usr/bin/env bash
# Our bash scripts run with pipefail, where a reader that stops early (grep -q, head)
# ends the writer with SIGPIPE, and the pipeline then fails now and then although the
# text was there. script_pipes_test.sh SOURCE lists every such pipeline; read the text
# whole instead (grep -q PATTERN <<<"$(command)", sed -n 1,Np).
set -euo pipefail
source=$1
mapfile -t scripts < <(cd "$source" && grep -rlE '^#!/usr/bin/env bash|^#!/bin/bash' \
  --exclude-dir=build --exclude-dir=.git --exclude-dir=dist . | LC_ALL=C sort)
found=$(cd "$source" && grep -nE '\|[[:space:]]*(grep([[:space:]]+-[A-Za-z0-9]+)*[[:space:]]+-[A-Za-z]*[qm][A-Za-z0-9]*|head)([[:space:]]|$)' \
  "${scripts[@]}" || true)
if [ -n "$found" ]; then
  echo "FAIL: pipelines whose reader may stop before the writer ends:"
  echo "$found"
  exit 1
fi
echo "${#scripts[@]} scripts, no such pipeline"
