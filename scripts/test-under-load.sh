#!/usr/bin/env bash
# Runs the whole suite N times in a row while an unrelated program keeps one
# core busy, as on a player's or a CI machine that is doing something else.
# Prints one line per run; the logs of red runs are kept.
#   scripts/test-under-load.sh [N] [extra ctest arguments]
# Installs what is missing and builds once first (as scripts/test.sh does).
# Logs: build/load-runs/run-<i>.log (only red runs are kept). Exit code 0
# when every run was green.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUMARION_BUILD_DIR:-$root/build}
runs=${1:-10}
shift || true
bash "$root/scripts/install-deps.sh" >/dev/null
bash "$root/scripts/build.sh" "$build" >/dev/null
logs="$build/load-runs"
mkdir -p "$logs"

nice -n 5 sh -c 'while :; do :; done' &
load=$!
trap 'kill "$load" 2>/dev/null || true' EXIT

red=0
for i in $(seq "$runs"); do
  log="$logs/run-$i.log"
  start=$(date +%s)
  set +e
  ctest --test-dir "$build" -j2 --output-on-failure "$@" >"$log" 2>&1
  rc=$?
  set -e
  seconds=$(($(date +%s) - start))
  summary=$(grep -E 'tests passed, [0-9]+ tests failed' "$log" | tail -n 1)
  if [ "$rc" -eq 0 ]; then
    echo "run $i: green in ${seconds} s: ${summary:-no summary}"
    rm -f "$log"
  else
    red=$((red + 1))
    failed=$(sed -n '/The following tests FAILED/,$p' "$log" | grep -E '^\s+[0-9]+ - ' |
      sed -E 's/^\s+[0-9]+ - //; s/ \(.*//' | paste -sd ' ' -)
    echo "run $i: RED in ${seconds} s: ${summary:-no summary}; failed: ${failed:-?}; log $log"
  fi
done
echo "$((runs - red)) of $runs runs green with one core kept busy"
[ "$red" -eq 0 ]
