#!/usr/bin/env bash
# The bindings against the bare C calls (a benchmark, not a test): 100,000
# "detect evaluate" calls from one vector (N 1,000, P 0.01, Se 0.95,
# Sp 0.98, positive at 1, n = 10 + i mod 260) in C, Python and R, and R's
# epiR (rsu.sep.rsfreecalc) on the same vector; then what one scalar call
# costs above its calculation (n 269, positive at 9).
#   bash bench/bindings_bench.sh     (after the native build and tools/test-python.sh,
#                                     tools/build-r-package.sh; epiR from r-cran-epir)
set -euo pipefail
cd "$(dirname "$0")/.."
bench=build/native/quorbel_bench
# Each time is the least of five runs: the machine's other work only adds.
least='import json,sys; print(min(b["real_time"] for b in json.load(sys.stdin)["benchmarks"] if b["run_type"] == "iteration") * float(sys.argv[1]))'
c_vector=$($bench --benchmark_filter='Exact_EvaluateVector' --benchmark_repetitions=5 --benchmark_format=json 2>/dev/null |
           python3 -c "$least" 1e-3)
c_scalar=$($bench --benchmark_filter='Exact_Evaluate/1000/269/9' --benchmark_repetitions=5 --benchmark_format=json 2>/dev/null |
           python3 -c "$least" 1e-6)
echo "C:      100,000 calls in $c_vector s; one call (n 269) $c_scalar s"
build/python-venv/bin/python - "$c_vector" "$c_scalar" <<'PYTHON'
import sys, time, numpy, quorbel
c_vector, c_scalar = map(float, sys.argv[1:])
sample = 10 + numpy.arange(100000) % 260


def vector_call():
    start = time.perf_counter()
    quorbel.detect_evaluate(population=1000, sample=sample, prevalence=0.01, sensitivity=0.95, specificity=0.98,
                            positive_at=1)
    return time.perf_counter() - start


calls = 20000


def scalar_calls():
    start = time.perf_counter()
    for _ in range(calls):
        quorbel.detect_evaluate(population=1000, sample=269, prevalence=0.01, sensitivity=0.95, specificity=0.98,
                                positive_at=9)
    return (time.perf_counter() - start) / calls


# The scalar call again in a loop over the vector's samples: the settings
# change from call to call, as in a user's loop; its calculation is the
# bare C vector's, call for call.
def looped_calls():
    start = time.perf_counter()
    for n in sample.tolist():
        quorbel.detect_evaluate(population=1000, sample=n, prevalence=0.01, sensitivity=0.95, specificity=0.98,
                                positive_at=1)
    return (time.perf_counter() - start) / len(sample)


best = min(vector_call() for _ in range(5))
scalar = min(scalar_calls() for _ in range(5))
looped = min(looped_calls() for _ in range(3))
print('Python: 100,000 calls in %.3f s (%.2fx C); one call %.2f us above its calculation' %
      (best, best / c_vector, (scalar - c_scalar) * 1e6))
print('        one call in a loop over the vector: %.2f us above its calculation' %
      ((looped - c_vector / len(sample)) * 1e6))
PYTHON
R_LIBS=build/r/library Rscript - "$c_vector" "$c_scalar" <<'RSCRIPT'
args <- as.numeric(commandArgs(trailingOnly = TRUE))
suppressPackageStartupMessages(library(quorbel))
sample <- 10 + (0:99999) %% 260
vector <- min(replicate(5, system.time(detect_evaluate(population = 1000, sample = sample, prevalence = 0.01,
                                                       sensitivity = 0.95, specificity = 0.98, positive_at = 1))[["elapsed"]]))
calls <- 20000
scalar <- min(replicate(5, system.time(for (i in seq_len(calls))
  detect_evaluate(population = 1000, sample = 269, prevalence = 0.01, sensitivity = 0.95, specificity = 0.98,
                  positive_at = 9))[["elapsed"]])) / calls
cat(sprintf("R:      100,000 calls in %.3f s (%.2fx C); one call %.2f us above its calculation\n",
            vector, vector / args[1], (scalar - args[2]) * 1e6))
looped <- min(replicate(3, system.time(for (n in sample)
  detect_evaluate(population = 1000, sample = n, prevalence = 0.01, sensitivity = 0.95, specificity = 0.98,
                  positive_at = 1))[["elapsed"]])) / length(sample)
cat(sprintf("        one call in a loop over the vector: %.2f us above its calculation\n",
            (looped - args[1] / length(sample)) * 1e6))
if (requireNamespace("epiR", quietly = TRUE)) {
  epir <- system.time(for (n in sample) epiR::rsu.sep.rsfreecalc(N = 1000, n = n, c = 1, pstar = 0.01,
                                                                  se.u = 0.95, sp.u = 0.98))[["elapsed"]]
  cat(sprintf("epiR:   100,000 calls of rsu.sep.rsfreecalc in %.1f s (%.0fx C)\n", epir, epir / args[1]))
} else {
  cat("epiR:   not installed (apt-get install r-cran-epir)\n")
}
RSCRIPT
