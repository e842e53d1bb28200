# Runs one command of the quorbel tool in this process and returns its JSON
# as a named list. Options whose value is NULL are left out; Inf is
# "infinite"; numbers are written with a point and full precision.
.word <- function(value) {
  if (is.logical(value)) return(if (value) "true" else "false")
  if (is.numeric(value)) {
    if (is.infinite(value) && value > 0) return("infinite")
    if (value == round(value) && abs(value) < 2^31) return(format(value, scientific = FALSE))
    return(formatC(value, digits = 17, format = "g"))
  }
  as.character(value)
}

.command <- function(family, name, files, options) {
  words <- c(family, name, vapply(files, .word, ""))
  for (option in names(options)) {
    value <- options[[option]]
    if (is.null(value)) next
    if (isTRUE(attr(options, "flags")[[option]])) {  # a flag, such as --force
      if (isTRUE(value)) words <- c(words, option)
      next
    }
    if (length(value) != 1) stop(option, " takes one value", call. = FALSE)
    words <- c(words, option, .word(value))
  }
  result <- .Call(C_quorbel_run, words)
  if (result[[1]] != 0L) stop(result[[3]], call. = FALSE)
  jsonlite::fromJSON(result[[2]], simplifyVector = TRUE, simplifyDataFrame = FALSE, simplifyMatrix = FALSE)
}

#' The commands of the quorbel tool, one function each.
quorbel_commands <- function() {
  table <- jsonlite::fromJSON(.Call(C_quorbel_commands), simplifyVector = FALSE)
  vapply(table, function(command) gsub("-", "_", paste(command$family, command$name, sep = "_")), "")
}
