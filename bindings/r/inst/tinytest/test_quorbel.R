# The worked examples bit-exact as doubles of the library's floats, the exact
# layer against tests/reference/exact_reference.R, and errors for bad input.
library(quorbel)
float_bits <- function(x) readBin(writeBin(x, raw(), size = 4), "integer", size = 4)

r <- sample_size_simple_random(prevalence = 0.3, precision = 0.1, confidence = 95, population = 1000)
expect_equal(r$population$sampleSize, 473L)
expect_equal(r$infinitePopulation, 897L)

i <- interval_simple_random(positives = 30, sample = 100, population = 1000, confidence = 95)
expect_identical(float_bits(i$lower), float_bits(0.21479072))
expect_identical(float_bits(i$upper), float_bits(0.38520932))

d <- detect_exact(population = 1000, prevalence = 0.05, sensitivity = 0.95, specificity = 0.98, confidence = 95)
expect_true(d$reachable)
expect_equal(d$sampleSize, 189L)
expect_equal(d$positiveAt, 8L)

e <- detect_evaluate(population = Inf, sample = 100, prevalence = 0.05, sensitivity = 0.9, specificity = 0.97,
                     positive_at = 4)
expect_null(e$diseasedUnits)
expect_equal(e$populationSensitivity, 0.94156610193853019, tolerance = 1e-9)

# A rejected argument is a quorbel_error naming it as R does, with the
# result code of quorbel.h (QUORBEL_E_PREVALENCE 0x60000001) as a field.
caught <- function(expr) tryCatch(expr, quorbel_error = function(e) e)
e <- caught(sample_size_simple_random(prevalence = 1.5, precision = 0.1, confidence = 95, population = 1000))
expect_inherits(e, "quorbel_error")
expect_equal(e$argument, "prevalence")
expect_equal(e$code, 0x60000001)
expect_equal(e$code_name, "QUORBEL_E_PREVALENCE")
expect_true(grepl("^prevalence rejected: it must be", conditionMessage(e)))
e <- caught(detect_evaluate(population = 100, sample = 10, prevalence = 0.1, sensitivity = 1, specificity = 1,
                            positive_at = 11))
expect_equal(e$argument, "positive_at")
expect_equal(e$code_name, "QUORBEL_EXACT_E_POSITIVE_AT")
# NA is refused with the argument's name, before the library is called.
e <- caught(interval_proportion(positives = NA, sample = 10))
expect_equal(e$argument, "positives")
expect_true(grepl("positives is NA", conditionMessage(e)))
# A faulty list line: the line and field as fields (line 2, field 3: more
# positives than animals).
clusters <- tempfile(fileext = ".txt")
writeLines(c("H1,10,2", "H7,5,6"), clusters)
e <- caught(interval_two_stage(clusters))
expect_equal(c(e$argument, e$line, e$field), c("file", "2", "3"))
# A warning reaches R's warning system as a quorbel_warning with its kind:
# 98 % is computed at z = 1.96.
w <- tryCatch(sample_size_simple_random(prevalence = 0.3, precision = 0.1, confidence = 98, population = 1000),
              quorbel_warning = function(w) w)
expect_inherits(w, "quorbel_warning")
expect_equal(w$kind, "level-at-1.96")
# A count given as a double holding a whole number is taken.
expect_equal(interval_proportion(positives = 30, sample = 100.0)$proportion, 0.3)
expect_true(all(c("sample_size_simple_random", "detect_evaluate", "select_pps") %in% quorbel_commands()))
expect_true(all(vapply(quorbel_commands(), exists, TRUE, envir = asNamespace("quorbel"))))

# A selection with a seed (seed 2 starts at 3: SplitMix64 then one msvcrt
# rand step), and --force as a logical flag.
sized <- tempfile(fileext = ".txt")
writeLines(c("Small,2", "Middle,3", "Large,5"), sized)
out <- tempfile(fileext = ".txt")
s <- select_pps(sized, out, count = 3, seed = 2)
expect_equal(s$written, 2L)
expect_error(select_pps(sized, out, count = 3, seed = 2), "give force")
expect_equal(select_pps(sized, out, count = 3, seed = 2, force = TRUE)$written, 2L)
