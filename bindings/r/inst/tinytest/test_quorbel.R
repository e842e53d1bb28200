# The R surface: Inf, conditions with their fields, warnings through R's
# warning system, NA refused, files and flags.
library(quorbel)

# What R itself adds to the commands: an infinite population as Inf, and
# the answer as a named list (the agreement with the tool on every example is
# checked by tools/build-r-package.sh).
e <- detect_evaluate(population = Inf, sample = 100, prevalence = 0.05, sensitivity = 0.9, specificity = 0.97,
                     positive_at = 4)
expect_null(e$diseasedUnits)
expect_equal(e$populationSensitivity, 0.94156610193853019, tolerance = 1e-9)  # exact_reference.R
# Answers of one command share their names' vector: renaming a field of one
# answer leaves the next answer's names as they were.
fields <- names(e)
names(e)[1] <- "renamed"
again <- detect_evaluate(population = Inf, sample = 100, prevalence = 0.05, sensitivity = 0.9, specificity = 0.97,
                         positive_at = 4)
expect_equal(names(again), fields)
expect_equal(names(e)[1], "renamed")
# A loop's repeated values share their R scalars: changing one in an answer
# leaves the next answer's as it was, and a value that changes is new.
e$settings$sample <- 7L
e$populationSensitivity[1] <- 0
again <- detect_evaluate(population = Inf, sample = 100, prevalence = 0.05, sensitivity = 0.9, specificity = 0.97,
                         positive_at = 4)
expect_equal(again$settings$sample, 100L)
expect_equal(again$populationSensitivity, 0.94156610193853019, tolerance = 1e-9)
other <- detect_evaluate(population = Inf, sample = 50, prevalence = 0.05, sensitivity = 0.9, specificity = 0.97,
                         positive_at = 4)
expect_equal(c(other$settings$sample, again$settings$sample), c(50L, 100L))
expect_true(other$populationSensitivity < again$populationSensitivity)

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

# The same selection from a list split at ';' with separator = ";", which
# holds for that call alone; a ',' inside a name cannot be handed over.
semi <- tempfile(fileext = ".txt")
writeLines(c("Small;2", "Middle;3", "Large;5"), semi)
s2 <- select_pps(semi, tempfile(fileext = ".txt"), count = 3, seed = 2, separator = ";")
expect_equal(vapply(s2$units, function(u) u$name, ""), c("Middle", "Large"))
expect_equal(s2$settings$separator, ";")
expect_error(suppressWarnings(select_pps(semi, tempfile(fileext = ".txt"), count = 3, seed = 2)))
writeLines(c("Small;2", "Middle, East;3"), semi)
e2 <- caught(select_pps(semi, tempfile(fileext = ".txt"), count = 1, seed = 2, separator = ";"))
expect_equal(c(e2$argument, e2$line), c("list", "2"))

# Two-stage freedom: 25 of 50 animals (R: 1 - sum(dhyper(k, 5, 45, 25) 0.1^k)
# is 0.9564); a herd of 5 tests all 5, short of the herd target, and warns.
herds <- tempfile(fileext = ".txt")
writeLines(c("A,50", "B,5"), herds)
designs <- tempfile(fileext = ".txt")
expect_warning(t2 <- freedom_two_stage(herds, designs, herd_prevalence = 0.5, within_herd_prevalence = 0.1,
                                       sensitivity = 0.9), "fall short")
expect_equal(vapply(t2$herds, function(h) h$sampleSize, 0L), c(25L, 5L))
expect_equal(readLines(designs), c("A,50,25,0.9564003679982631", "B,5,5,0.9"))

# Vectors: one call into the library for every element, a data frame of one
# row each; the middle prevalence is the worked example's 473 of 1,000.
v <- sample_size_simple_random(prevalence = c(0.1, 0.3, 0.5), precision = 0.1, population = 1000)
expect_inherits(v, "data.frame")
expect_equal(nrow(v), 3L)
expect_equal(v$population.sampleSize[2], 473L)
expect_true(v$population.sampleSize[1] > v$population.sampleSize[2])
e <- caught(sample_size_simple_random(prevalence = c(0.3, 1.5), precision = 0.1, population = 1000))
expect_equal(c(e$element, e$argument), c("2", "prevalence"))
