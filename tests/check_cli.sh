#!/usr/bin/env bash
# The quorbel program itself, as a person and a script use it: the answer
# in text, JSON and CSV on standard output, warnings and errors on standard
# error, the exit statuses, help with its worked examples, the files a
# selection writes, and numbers under locales with a decimal comma. What the
# commands compute, refuse and warn about is tested through the commands
# library (tests/commands_test.cpp).
#   check_cli.sh PROGRAM [EMULATOR;WORDS]
set -uo pipefail
program=$1
IFS=';' read -r -a emulator <<<"${2:-}"
# An emulator that cannot run here (32-bit Wine on a machine that cannot
# execute 32-bit programs) says why and exits 77: skip with its reason.
if [ -n "${emulator[*]:-}" ]; then
  probe=$("${emulator[@]}" "$program" --help 2>&1)
  if [ $? -eq 77 ]; then grep SKIPPED <<<"$probe"; exit 77; fi
fi
run() { "${emulator[@]}" "$program" "$@"; }
status=0
fail() { echo "FAIL: $*"; status=1; }
example=(sample-size simple-random --prevalence 0.3 --precision 0.1 --population 1000)

# The worked example: 473 animals of 1,000, 897 of an infinite population.
table=$(run "${example[@]}" | tr -d '\r')
[ "$(head -n 1 <<<"$table")" = "[confidence 95 % (z = 1.96)]" ] || fail "settings line: $table"
grep -q "1000 (yours) *473" <<<"$table" && grep -q "infinite *897" <<<"$table" || fail "table: $table"
json=$(run "${example[@]}" --json | tr -d '\r')
[[ $json == '{"population": {"size": 1000, "sampleSize": 473}, "ladder": [{"population": 50, "sampleSize": 48}'* ]] \
  && grep -q '"infinitePopulation": 897, "settings": {' <<<"$json" || fail "JSON: $json"
csv=$(run "${example[@]}" --csv | tr -d '\r')
[[ $(sed -n 2p <<<"$csv") == 50,48,1000,473,897,* ]] || fail "CSV: $csv"

# Exit statuses: 1 for a rejected argument (named with its result code), 2
# for words that cannot run; nothing on standard output either way.
out=$(run sample-size simple-random --prevalence 1.5 --precision 0.1 --population 1000 2>/tmp/quorbel-cli-err.$$)
code=$?; message=$(tr -d '\r' </tmp/quorbel-cli-err.$$)
[ $code -eq 1 ] && [ -z "$out" ] && grep -q -- "^quorbel: --prevalence rejected: .*0x60000001" <<<"$message" \
  || fail "rejected prevalence: $code '$out' $message"
out=$(run "${example[@]}" --populaton 10 2>/tmp/quorbel-cli-err.$$)
code=$?; message=$(tr -d '\r' </tmp/quorbel-cli-err.$$)
[ $code -eq 2 ] && [ -z "$out" ] && grep -q "unknown option --populaton; did you mean --population?" <<<"$message" \
  || fail "misspelt option: $code $message"
run no such >/dev/null 2>&1; [ $? -eq 2 ] || fail "an unknown command should exit 2"
rm -f /tmp/quorbel-cli-err.$$

# A warning goes to standard error, after the answer, which stands.
out=$(run "${example[@]}" --confidence 98 2>/tmp/quorbel-cli-warn.$$ | tr -d '\r')
grep -q "^quorbel: warning: confidence 98 % is computed at z = 1.96" /tmp/quorbel-cli-warn.$$ \
  && grep -q "1000 (yours) *473" <<<"$out" || fail "warning: $(cat /tmp/quorbel-cli-warn.$$)"
rm -f /tmp/quorbel-cli-warn.$$

# Selections write their files; seed 2 mixed by SplitMix64 gives the first
# draw 25049 (Python: SplitMix64(2) = 479680206, then one msvcrt rand step),
# so the start is 3 and the points 3, 6, 9 miss Small.
work=$(mktemp -d ./cli-files.XXXXXX)
printf 'Small,2\nMiddle,3\nLarge,5\n' > "$work/sized.txt"
seeded=$(run select pps "$work/sized.txt" "$work/pps.txt" --count 3 --seed 2 | tr -d '\r')
[ "$(cat "$work/pps.txt")" = "$(printf 'Middle,1\r\nLarge,2\r')" ] || fail "pps with seed 2: $(od -c "$work/pps.txt")"
grep -q "2 units written" <<<"$seeded" && grep -q "Large was selected 2 times" <<<"$seeded" \
  && grep -q "rerun with --seed 2 to repeat" <<<"$seeded" || fail "the selection summary: $seeded"
run select pps "$work/sized.txt" "$work/pps.txt" --count 3 --seed 2 >/dev/null 2>&1
[ $? -eq 2 ] || fail "an existing OUT without --force should be refused"
run select pps "$work/sized.txt" "$work/pps.txt" --count 3 --seed 1 --force >/dev/null 2>&1 || fail "--force"
[ "$(cat "$work/pps.txt")" = "$(printf 'Small,1\r\nMiddle,1\r\nLarge,2\r')" ] || fail "pps with seed 1: $(od -c "$work/pps.txt")"
if [[ $program == *.exe ]]; then
  # The command line arrives as UTF-16 (wmain) and paths reach the wide exports.
  mkdir -p "$work/données"
  printf 'H1,10,2\nH2,20,5\nH3,15,0\nH4,12,3\n' > "$work/données/élevage.txt"
  wide=$(LC_ALL=C.UTF-8 run interval two-stage "$work/données/élevage.txt" --json 2>&1 | tr -d '\r')
  grep -q '"clusters": 4, "animals": 57, "positives": 10' <<<"$wide" || fail "a UTF-8 path under Wine: $wide"
  run register | tr -d '\r' | grep -q "registered" || fail "register did not succeed"
  run unregister | tr -d '\r' | grep -q "unregistered" || fail "unregister did not succeed"
  message=$(run unregister 2>&1 | tr -d '\r')
  grep -q "unregistration failed (status 0x8000FFFF)" <<<"$message" || fail "a second unregister should fail: $message"
else
  run register >/dev/null 2>&1
  [ $? -eq 2 ] || fail "register outside Windows should be a usage error"
fi
rm -rf "$work"

# Help lists every command under a question and runs each worked example.
listed=$(run --help | tr -d '\r' | grep -cE '^  [a-z][a-z-]* [a-z][a-z-]* ')
known=$(run --commands-json | tr -d '\r' | grep -o '"family"' | wc -l)
[ "$listed" -eq "$known" ] && [ "$known" -ge 19 ] || fail "--help lists $listed of $known commands"
help=$(run detect sample-size --help 2>/dev/null | tr -d '\r')
grep -q "more than k reactors make the population positive" <<<"$help" && grep -q "animals to sample *47" <<<"$help" \
  || fail "detect sample-size --help should explain the cut-off and run its example: $help"
pps_help=$(run select pps --help | tr -d '\r')
grep -q "usage: quorbel select pps LIST OUT" <<<"$pps_help" && grep -q "^chosen.txt:" <<<"$pps_help" \
  && grep -q "^  Herd C,1" <<<"$pps_help" && grep -q "from herds.txt: " <<<"$pps_help" \
  || fail "select pps --help names LIST and OUT and runs its example in a scratch folder: $pps_help"
version=$(bash "$(dirname "$0")/../tools/version.sh")
[ "$(run --version | tr -d '\r')" = "quorbel $version" ] || fail "--version: $(run --version)"

# Numbers keep the point under locales whose decimal mark is a comma.
for locale_name in es_ES.UTF-8 de_DE.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qi "^${locale_name%%.*}\.utf-\?8$"; then
    echo "SKIPPED (part): locale $locale_name is not generated on this machine"
    continue
  fi
  json=$(LC_ALL=$locale_name LANG=$locale_name run "${example[@]}" --json | tr -d '\r')
  grep -q '"infinitePopulation": 897' <<<"$json" || fail "under $locale_name: $json"
  compare=$(LC_ALL=$locale_name LANG=$locale_name run compare interval --p1 0.2 --size1 100 --p2 0.35 --size2 120 --json | tr -d '\r')
  grep -q '"lower": -0.0023074835, "upper": 0.30230746' <<<"$compare" || fail "decimals under $locale_name: $compare"
done
[ $status -eq 0 ] && echo "command-line checks passed"
exit $status
