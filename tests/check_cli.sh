#!/usr/bin/env bash
# Runs the command-line tool on the worked example, as a person and as a
# program, and checks that a bad argument is named and fails.
#   check_cli.sh PROGRAM [EMULATOR;WORDS]
set -uo pipefail
program=$1
IFS=';' read -r -a emulator <<<"${2:-}"
run() { "${emulator[@]}" "$program" "$@"; }
status=0
fail() { echo "FAIL: $*"; status=1; }

table=$(run sample-size simple-random --prevalence 0.3 --precision 0.1 --confidence 95 --population 1000 | tr -d '\r')
grep -q "1000 (yours) *473" <<<"$table" || fail "table lacks the caller's population: $table"
grep -q "infinite *897" <<<"$table" || fail "table lacks the infinite population"

json=$(run sample-size simple-random --prevalence 0.3 --precision 0.1 --confidence 95 --population 1000 --json | tr -d '\r')
grep -q '"infinitePopulation": 897' <<<"$json" || fail "JSON lacks the infinite population: $json"
grep -q '{"population": 10000, "sampleSize": 823}' <<<"$json" || fail "JSON lacks the ladder"

message=$(run sample-size simple-random --prevalence 1.5 --precision 0.1 --confidence 95 --population 1000 2>&1 >/dev/null | tr -d '\r')
code=$?
[ $code -ne 0 ] || fail "a rejected prevalence exited 0"
grep -q -- "--prevalence" <<<"$message" && grep -q "0x60000001" <<<"$message" || fail "message does not name the argument and code: $message"

run --help | grep -q "sample-size simple-random" || fail "--help does not list the command"
[ $status -eq 0 ] && echo "command-line checks passed"
exit $status
