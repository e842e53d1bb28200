#!/usr/bin/env bash
# Runs the command-line tool on the worked example, as a person and as a
# program, and checks that a bad argument is named and fails.
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
refuse() {  # refuse "expected message" words...
  local expected=$1; shift
  local message
  message=$(run "$@" 2>&1 >/dev/null | tr -d '\r')
  local code=$?
  grep -q -- "$expected" <<<"$message" || fail "$*: expected '$expected', got '$message'"
}

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

strata=$(run sample-size stratified --precision 0.2 --confidence 95 --strata 1000:0.3,2000:0.1 --json | tr -d '\r')
grep -q '"total": 376' <<<"$strata" || fail "stratified plan: $strata"
two=$(run sample-size two-stage --prevalence 0.3 --precision 0.5 --confidence 95 --animals-per-cluster 10 --preset 1 --json | tr -d '\r')
grep -q '"clusters": 25, "animalsPerCluster": 10, "animals": 250, "minimumApplied": true' <<<"$two" || fail "two-stage plan: $two"
interval=$(run interval simple-random --positives 30 --sample 100 --population 1000 --confidence 95 --json | tr -d '\r')
grep -q '"lower": 0.21479072, "upper": 0.38520932' <<<"$interval" || fail "interval: $interval"
run interval stratified --confidence 95 --strata 1000:100:0.3 >/dev/null 2>&1
[ $? -eq 2 ] || fail "one stratum should be a usage error"

compare=$(run compare interval --p1 0.2 --size1 100 --p2 0.35 --size2 120 --json | tr -d '\r')
grep -q '"confidence": 99, "lower": -0.0023074835, "upper": 0.30230746, "significant": false' <<<"$compare" || fail "comparison interval: $compare"
mean=$(run mean sample-size --error 2 --sd 10 --confidence 95 --population 1000 --json | tr -d '\r')
grep -q '"population": {"size": 1000, "sampleSize": 88}' <<<"$mean" && grep -q '"infinitePopulation": 96' <<<"$mean" || fail "mean table: $mean"
message=$(run compare sample-size --p1 0.2 --p2 0.4 --confidence 95 --power 75 2>&1 >/dev/null | tr -d '\r')
grep -q -- "--power rejected.*0x60000017" <<<"$message" || fail "power message: $message"

detect=$(run detect sample-size --prevalence 0.05 --population 100 --confidence 95 --sensitivity 0.9 --specificity 0.98 --json | tr -d '\r')
grep -q '"sampleSize": 47, "reactorCutOff": 2' <<<"$detect" || fail "detection: $detect"
none=$(run detect sample-size --prevalence 1 --population 1000 --confidence 95 --sensitivity 1 --specificity 0.9 | tr -d '\r')
grep -q 'reactor cut-off *none' <<<"$none" || fail "a cut-off that was not found should say so: $none"
run detect sample-size --prevalence 0.05 --population 100 --confidence 95 --sensitivity 0.9 --specificity 0.98 --sensitivity2 0.9 --specificity2 0.9 --combination both >/dev/null 2>&1
[ $? -eq 2 ] || fail "an unknown combination should be a usage error"

if [[ $program == *.exe ]]; then
  run register | tr -d '\r' | grep -q "registered" || fail "register did not succeed"
  run unregister | tr -d '\r' | grep -q "unregistered" || fail "unregister did not succeed"
  message=$(run unregister 2>&1 | tr -d '\r')
  grep -q "unregistration failed (status 0x8000FFFF)" <<<"$message" || fail "a second unregister should fail: $message"
else
  run register >/dev/null 2>&1
  [ $? -eq 2 ] || fail "register outside Windows should be a usage error"
fi

work=$(mktemp -d ./cli-files.XXXXXX)
printf 'H1,10,2\nH2,20,5\nH3,15,0\nH4,12,3\n' > "$work/clusters.txt"
interval=$(run interval two-stage "$work/clusters.txt" --confidence 95 --json | tr -d '\r')
grep -q '"prevalence": 0.1754386' <<<"$interval" && grep -q '"clusters": 4, "animals": 57, "positives": 10' <<<"$interval" \
  || fail "two-stage interval: $interval"
printf 'H1,10,2\nH7,5,6\n' > "$work/bad.txt"
message=$(run interval two-stage "$work/bad.txt" --confidence 95 2>&1 >/dev/null | tr -d '\r')
grep -q "line 2, field 3" <<<"$message" || fail "a faulty cluster line should be named: $message"
printf 'Small,2\nMiddle,3\nLarge,5\n' > "$work/sized.txt"
run select pps "$work/sized.txt" "$work/pps.txt" --count 3 --seed 1 >/dev/null || fail "pps selection failed"
[ "$(cat "$work/pps.txt")" = "$(printf 'Small,1\r\nMiddle,1\r\nLarge,2\r')" ] || fail "pps with seed 1: $(od -c "$work/pps.txt")"
# Confidence defaults to 95 and power to 80; under the tables, the z used
# and the 1.96 rule for 91 to 98.
defaults=$(run compare sample-size --p1 0.2 --p2 0.4 --json | tr -d '\r')
given=$(run compare sample-size --p1 0.2 --p2 0.4 --confidence 95 --power 80 --json | tr -d '\r')
[ -n "$defaults" ] && [ "$defaults" = "$given" ] || fail "defaults of 95 and 80: '$defaults' against '$given'"
note=$(run interval simple-random --positives 30 --sample 100 --population 1000 --confidence 97 | tr -d '\r')
[ "$(head -n 1 <<<"$note")" = "[confidence 97 % (z = 1.96: the library uses 1.96 for every level from 91 to 98)]" ] \
  || fail "z in the header: $note"
settings=$(run compare sample-size --p1 0.2 --p2 0.4 | tr -d '\r' | head -n 1)
[ "$settings" = "[confidence 95 % (z = 1.96: the library uses 1.96 for every level from 91 to 98), power 80 %]" ] \
  || fail "defaults in the header: $settings"
two=$(run sample-size two-stage --prevalence 0.3 --absolute-precision 0.06 --animals-per-cluster 10 --preset 1 --json | tr -d '\r')
[ "$two" = "$(run sample-size two-stage --prevalence 0.3 --precision 0.2 --animals-per-cluster 10 --preset 1 --json | tr -d '\r')" ] \
  || fail "two-stage --absolute-precision: $two"
run compare sample-size --help | tr -d '\r' | grep -q -- "--power *80, 85, 90 or 95 (default 80)" || fail "help shows no default"

# What the library reads silently, the tool says: a header line, a field
# that is not a number, lines after a blank line, another separator, one
# cluster, a test worse than chance.
printf 'name,animals,positives\nH1,10,2\nH2,abc,0\nH3,15,1\n\nH5,3,1\n' > "$work/header.txt"
warnings=$(run interval two-stage "$work/header.txt" 2>&1 >/dev/null | tr -d '\r')
grep -q "line 1 looks like a header" <<<"$warnings" && grep -q "line 3 ('H2,abc,0'): a number field is not a whole number" <<<"$warnings" \
  && grep -q "the list ends at its blank line 5; 1 line after it is not read" <<<"$warnings" || fail "list warnings: $warnings"
printf 'H1;10;2\nH2;20;5\n' > "$work/semicolons.txt"
warnings=$(run interval two-stage "$work/semicolons.txt" 2>&1 >/dev/null | tr -d '\r')
grep -q "uses ';' but the list separator in effect is ','" <<<"$warnings" || fail "separator warning: $warnings"
printf 'H1,10,2\n' > "$work/one-cluster.txt"
one=$(run interval two-stage "$work/one-cluster.txt" | tr -d '\r')
grep -q "With one cluster there is no variation between clusters" <<<"$one" || fail "one cluster: $one"
worse=$(run prevalence true --apparent 0.3 --sensitivity 0.4 --specificity 0.5 | tr -d '\r')
grep -q "sensitivity + specificity is below 1" <<<"$worse" || fail "Se + Sp below 1: $worse"

# Presets by their design effects; conflicting or invalid ones refused; a
# combination needs its second test.
effect=$(run sample-size two-stage --prevalence 0.3 --precision 0.2 --animals-per-cluster 10 --design-effect 2 --json | tr -d '\r')
preset=$(run sample-size two-stage --prevalence 0.3 --precision 0.2 --animals-per-cluster 10 --preset 1 --json | tr -d '\r')
[ -n "$effect" ] && [ "$effect" = "$preset" ] || fail "--design-effect 2 should be preset 1: $effect against $preset"
refuse "--preset must be 1, 2, 3 or 4" sample-size two-stage --prevalence 0.3 --precision 0.2 --animals-per-cluster 10 --preset 9
refuse "give one of --preset, --design-effect or --rho" sample-size two-stage --prevalence 0.3 --precision 0.2 \
  --animals-per-cluster 10 --preset 1 --rho 0.1
refuse "--combination needs a second test" detect sample-size --prevalence 0.05 --population 100 --sensitivity 0.9 \
  --specificity 0.98 --combination serial

# One command of each family in each output form: a table, JSON, CSV.
for words in "sample-size simple-random --prevalence 0.3 --precision 0.1 --population 1000" \
             "interval simple-random --positives 30 --sample 100 --population 1000" \
             "compare interval --p1 0.2 --size1 100 --p2 0.35 --size2 120" \
             "prevalence true --positives 30 --tested 100 --sensitivity 0.9 --specificity 0.95" \
             "mean interval --mean 25 --sd 4 --sample 30 --population 200" \
             "detect maximum-prevalence --sample 30 --population 1000 --sensitivity 1 --prevalence 0.05"; do
  read -r -a w <<<"$words"
  table=$(run "${w[@]}" | tr -d '\r'); json=$(run "${w[@]}" --json | tr -d '\r'); csv=$(run "${w[@]}" --csv | tr -d '\r')
  [ -n "$table" ] && [[ $json == \{* ]] && [ "$(wc -l <<<"$csv")" -ge 2 ] && [[ $(head -n 1 <<<"$csv") == *,* ]] \
    || fail "$words: table '$table', JSON '$json', CSV '$csv'"
done
grep -q "not estimable" <<<"$(run interval two-stage "$work/one-cluster.txt" | tr -d '\r')" || fail "one cluster prints nan"

# --csv: a header row, then the rows of the answer's first list of records,
# other fields repeated as columns.
csv=$(run sample-size simple-random --prevalence 0.3 --precision 0.1 --population 1000 --csv | tr -d '\r')
[ "$(head -n 2 <<<"$csv")" = "$(printf 'ladder.population,ladder.sampleSize,population.size,population.sampleSize,infinitePopulation\n50,48,1000,473,897')" ] \
  || fail "sample-size --csv: $csv"
csv=$(run compare interval --p1 0.2 --size1 100 --p2 0.35 --size2 120 --csv | tr -d '\r')
grep -qx "99,-0.0023074835,0.30230746,false,0.14999999" <<<"$csv" || fail "compare interval --csv: $csv"
csv=$(run detect evaluate --population 1000 --sample 269 --prevalence 0.01 --sensitivity 0.95 --specificity 0.98 --positive-at 9 --csv | tr -d '\r')
grep -q "^10,0.388945993300" <<<"$csv" || fail "detect evaluate --csv: $csv"

# OUT may not be the list, and an existing OUT needs --force.
refuse "is the list itself" select pps "$work/sized.txt" "$work/sized.txt" --count 2
refuse "exists; give --force to replace it" select pps "$work/sized.txt" "$work/pps.txt" --count 2
run select pps "$work/sized.txt" "$work/pps.txt" --count 3 --seed 1 --force >/dev/null || fail "--force should replace OUT"
# Percentages for proportions, and the herd sensitivity as 95, 95% or 0.95.
percent=$(run sample-size simple-random --prevalence 30% --precision 10% --confidence 95 --population 1000 --json | tr -d '\r')
grep -q '"infinitePopulation": 897' <<<"$percent" || fail "percentages: $percent"
absolute=$(run sample-size simple-random --prevalence 0.3 --absolute-precision 0.03 --confidence 95 --population 1000 | tr -d '\r')
grep -q "relative precision 0.1 (absolute: within 0.03" <<<"$absolute" && grep -q "1000 (yours) *473" <<<"$absolute" \
  || fail "absolute precision: $absolute"
herd=$(run detect two-stage --confidence 95 --herds 500 --herd-prevalence 0.05 --within-herd-prevalence 0.2 --herd-size 100 \
       --herd-sensitivity 0.95 --sensitivity 0.9 --specificity 0.98 | tr -d '\r')
grep -q "herd sensitivity 95 %, given as a fraction" <<<"$herd" || fail "herd sensitivity as a fraction: $herd"

# Seeds are mixed by SplitMix64 before seeding: seed 2 gives the first draw
# 25049 (Python: SplitMix64(2) = 479680206, then one msvcrt rand step), so
# the start is 3 and the points 3, 6, 9 miss Small.
seeded=$(run select pps "$work/sized.txt" "$work/pps2.txt" --count 3 --seed 2 | tr -d '\r')
[ "$(cat "$work/pps2.txt")" = "$(printf 'Middle,1\r\nLarge,2\r')" ] || fail "pps with seed 2: $(od -c "$work/pps2.txt")"
grep -q "2 units written" <<<"$seeded" && grep -q "Large was selected 2 times" <<<"$seeded" \
  && grep -q "rerun with --seed 2 to repeat" <<<"$seeded" || fail "the selection summary: $seeded"
csv=$(run select pps "$work/sized.txt" "$work/pps4.txt" --count 3 --seed 2 --csv | tr -d '\r')
grep -q "^units.name,units.times,method," <<<"$csv" && grep -q "^Large,2," <<<"$csv" || fail "select pps --csv: $csv"
fresh=$(run select pps "$work/sized.txt" "$work/pps3.txt" --count 3 --json | tr -d '\r')
grep -q '"written": [23], "list": ".*", "result": ".*", "seed": [0-9]*, "generator": "msvcrt rand' <<<"$fresh" \
  && grep -q '"units": \[{"name": "' <<<"$fresh" || fail "a fresh seed is reported: $fresh"
for i in $(seq 1 30); do echo "Farm $i"; done > "$work/thirty.txt"
printf '\nFarm 31\n' >> "$work/thirty.txt"
short=$(run select random "$work/thirty.txt" "$work/chosen.txt" --count 40 --seed 5 | tr -d '\r')
grep -q "30 units written" <<<"$short" && grep -q "ends at its first blank line" <<<"$short" \
  || fail "a list shorter than asked for should be said: $short"
message=$(run select random "$work/none.txt" "$work/out.txt" --count 3 2>&1 >/dev/null | tr -d '\r')
grep -q "none.txt: no such file" <<<"$message" || fail "a missing list should be named: $message"
[ ! -e "$work/out.txt" ] || fail "a failed selection created its result file"
# On Windows the command line arrives as UTF-16 (wmain) and paths reach the
# library's wide exports unchanged.
if [[ $program == *.exe ]]; then
  mkdir -p "$work/données"
  printf 'H1,10,2\nH2,20,5\nH3,15,0\nH4,12,3\n' > "$work/données/élevage.txt"
  wide=$(LC_ALL=C.UTF-8 run interval two-stage "$work/données/élevage.txt" --json 2>&1 | tr -d '\r')
  grep -q '"clusters": 4, "animals": 57, "positives": 10' <<<"$wide" || fail "a UTF-8 path under Wine: $wide"
fi
rm -rf "$work"

run --help | grep -q "sample-size simple-random" || fail "--help does not list the command"
# Every command is listed under a question, and its help shows usage and an
# example or notes.
listed=$(run --help | tr -d '\r' | grep -cE '^  [a-z][a-z-]* [a-z][a-z-]* ')
known=$(run --commands-json | tr -d '\r' | grep -o '"family"' | wc -l)
[ "$listed" -eq "$known" ] && [ "$known" -ge 19 ] || fail "--help lists $listed of $known commands"
help=$(run detect sample-size --help | tr -d '\r')
grep -q "more than k reactors make the population positive" <<<"$help" && grep -q "animals to sample *47" <<<"$help" \
  || fail "detect sample-size --help should explain the cut-off and run its example: $help"
pps_help=$(run select pps --help | tr -d '\r')
grep -q "usage: quorbel select pps LIST OUT" <<<"$pps_help" && grep -q "^chosen.txt:" <<<"$pps_help" \
  && grep -q "^  Herd C,1" <<<"$pps_help" || fail "select pps --help names LIST and OUT and runs its example: $pps_help"

# The exact layer. Expected values from tests/reference/exact_reference.R
# (full sums in R); the design search agrees with epiR's rsu.sssep.rsfreecalc.
evaluate=$(run detect evaluate --population 1000 --sample 269 --prevalence 0.01 --sensitivity 0.95 --specificity 0.98 --positive-at 9 --json | tr -d '\r')
grep -q '"diseasedUnits": 10, "populationSensitivity": 0.388945993300' <<<"$evaluate" \
  && grep -q '"populationSpecificity": 0.906387736537' <<<"$evaluate" || fail "detect evaluate: $evaluate"
infinite=$(run detect evaluate --population infinite --sample 100 --prevalence 0.05 --sensitivity 0.9 --specificity 0.97 --positive-at 4 --json | tr -d '\r')
grep -q '^{"populationSensitivity": 0.941566101938' <<<"$infinite" || fail "an infinite population has no diseasedUnits: $infinite"
exact=$(run detect exact --population 1000 --prevalence 0.05 --sensitivity 0.95 --specificity 0.98 --confidence 95 --json | tr -d '\r')
grep -q '"reachable": true, "sampleSize": 189, "positiveAt": 8, "populationSensitivity": 0.950469751126' <<<"$exact" \
  || fail "detect exact: $exact"
unreachable=$(run detect exact --population 1000 --prevalence 0.01 --sensitivity 0.95 --specificity 0.98 --confidence 95 --json | tr -d '\r')
grep -q '"reachable": false, "bestSensitivity": 0.558016709891' <<<"$unreachable" || fail "unreachable design: $unreachable"
short=$(run detect sample-size --prevalence 0.01 --population 1000 --confidence 95 --sensitivity 0.95 --specificity 0.98 | tr -d '\r')
grep -q "Warning: this design detects the disease with probability 0.389, short of the 95 % asked for" <<<"$short" \
  || fail "the 269-animal design should be said to fall short: $short"
achieved=$(run detect sample-size --prevalence 0.01 --population 1000 --confidence 95 --sensitivity 0.95 --specificity 0.98 --json | tr -d '\r')
grep -q '"achieved": {"populationSensitivity": 0.388945993300' <<<"$achieved" && grep -q '"exact": {"reachable": false' <<<"$achieved" \
  || fail "detect sample-size --json lacks achieved and exact: $achieved"
maximum=$(run detect maximum-prevalence --sample 30 --population 1000 --sensitivity 1 --confidence 95 --prevalence 0.05 --json | tr -d '\r')
grep -q '"exact": {"maximumDiseased": 93, "maximumPrevalence": 0.093, "detectionProbability": 0.790318681948' <<<"$maximum" \
  || fail "exact maximum prevalence: $maximum"
proportion=$(run interval proportion --positives 30 --sample 100 --confidence 97 --json | tr -d '\r')
grep -q '"wilson": {"lower": 0.211395581959' <<<"$proportion" && grep -q '"clopperPearson": {"lower": 0.204263392219' <<<"$proportion" \
  || fail "interval proportion at 97 %: $proportion"
truep=$(run prevalence true --positives 0 --tested 50 --sensitivity 0.9 --specificity 0.98 --json | tr -d '\r')
grep -q '"estimate": 0, "wilson": {"lower": 0, "upper": 0.0583495444697' <<<"$truep" && grep -q '"valid": false' <<<"$truep" \
  || fail "true prevalence from no reactors: $truep"
message=$(run detect evaluate --population 100 --sample 10 --prevalence 0.1 --sensitivity 1 --specificity 1 --positive-at 11 2>&1 >/dev/null | tr -d '\r')
code=$?
grep -q -- "--positive-at rejected.*0x60000106" <<<"$message" || fail "positive-at above the sample: $message"
run detect evaluate --population lots --sample 10 --prevalence 0.1 --sensitivity 1 --specificity 1 --positive-at 1 >/dev/null 2>&1
[ $? -eq 2 ] || fail "a population that is neither a number nor infinite should be a usage error"
message=$(run prevalence true --positives 3 --tested 10 --sensitivity 0.4 --specificity 0.5 2>&1 >/dev/null | tr -d '\r')
grep -q "sensitivity + specificity above 1" <<<"$message" || fail "Se + Sp below 1 should be explained: $message"

# Words the tool refuses, each named: a misspelt option (with the nearest
# one), an option given twice, a stray word; and --name=value is taken.
base=(sample-size simple-random --precision 0.1 --confidence 95)
refuse "unknown option --prevalance; did you mean --prevalence?" "${base[@]}" --population 1000 --prevalance 0.3
refuse "--population is given twice" "${base[@]}" --prevalence 0.3 --population 1000 --population 10
refuse "unexpected word 'extra': this command takes only options" "${base[@]}" --prevalence 0.3 --population 1000 extra
joined=$(run sample-size simple-random --prevalence=0.3 --precision=0.1 --confidence=95 --population=1000 --json | tr -d '\r')
grep -q '"infinitePopulation": 897' <<<"$joined" || fail "--name=value: $joined"

# Numbers keep the point under locales whose decimal mark is a comma.
for locale_name in es_ES.UTF-8 de_DE.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qi "^${locale_name%%.*}\.utf-\?8$"; then
    echo "SKIPPED (part): locale $locale_name is not generated on this machine"
    continue
  fi
  json=$(LC_ALL=$locale_name LANG=$locale_name run sample-size simple-random --prevalence 0.3 --precision 0.1 --confidence 95 --population 1000 --json | tr -d '\r')
  grep -q '"infinitePopulation": 897' <<<"$json" || fail "under $locale_name: $json"
  compare=$(LC_ALL=$locale_name LANG=$locale_name run compare interval --p1 0.2 --size1 100 --p2 0.35 --size2 120 --json | tr -d '\r')
  grep -q '"lower": -0.0023074835, "upper": 0.30230746' <<<"$compare" || fail "decimals under $locale_name: $compare"
  strata=$(LC_ALL=$locale_name LANG=$locale_name run sample-size stratified --precision 0.2 --confidence 95 --strata 1000:0.3,2000:0.1 --json | tr -d '\r')
  grep -q '"total": 376' <<<"$strata" || fail "stratified under $locale_name: $strata"
done
[ $status -eq 0 ] && echo "command-line checks passed"
exit $status
