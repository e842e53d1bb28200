#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time from the checked-in seeds,
# keeping what it finds in a scratch corpus. A crash fails the test and
# leaves the input beside the scratch corpus, to be added to the seeds as a
# regression case.
#   run_fuzzer.sh TARGET SEED_DIR SECONDS
set -uo pipefail
target=$1 seeds=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work/corpus"' EXIT
mkdir -p "$work/corpus"
"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/corpus" "$seeds" 2>"$work/log"
status=$?
grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$work/log" | tail -n 2
if [ $status -ne 0 ]; then
  tail -n 40 "$work/log"
  echo "crash input kept in $work"
fi
exit $status
