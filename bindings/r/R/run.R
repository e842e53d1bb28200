# Runs one command of the quorbel tool in this process and returns its
# answer as a named list. Options whose value is NULL are left out; Inf is
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

# An error or warning condition of class quorbel_error or quorbel_warning,
# with the fields the tool gives (code, code_name, argument, allowed, line,
# field for an error; kind and line for a warning).
.condition <- function(class, message, fields) {
  structure(class = c(class, if (class == "quorbel_error") "error" else "warning", "condition"),
            c(list(message = message, call = NULL), fields))
}

.error_fields <- function(error) {
  list(code = error$code, code_name = error$codeName, argument = error$argument, allowed = error$allowed,
       line = error$line, field = error$field)
}

.refuse <- function(argument, message) {
  stop(.condition("quorbel_error", message, list(code = NULL, code_name = NULL, argument = argument,
                                                 allowed = NULL, line = NULL, field = NULL)))
}

.command <- function(family, name, files, options) {
  words <- c(family, name)
  for (file in names(files)) {
    value <- files[[file]]
    if (is.null(value) || length(value) != 1 || is.na(value)) .refuse(file, paste(file, "needs one file name"))
    words <- c(words, .word(value))
  }
  for (option in names(options)) {
    value <- options[[option]]
    if (is.null(value)) next
    argument <- attr(options, "arguments")[[option]]
    if (length(value) != 1) .refuse(argument, paste(argument, "takes one value"))
    if (is.na(value)) .refuse(argument, paste(argument, "is NA: give a value, or leave it out"))
    if (isTRUE(attr(options, "flags")[[option]])) {  # a flag, such as --force
      if (isTRUE(value)) words <- c(words, option)
      next
    }
    words <- c(words, option, .word(value))
  }
  result <- .Call(C_quorbel_run, words)
  for (warning in jsonlite::fromJSON(result[[4]], simplifyVector = FALSE))
    warning(.condition("quorbel_warning", warning$message, list(kind = warning$kind, line = warning$line)))
  if (result[[1]] != 0L) {
    error <- jsonlite::fromJSON(result[[3]], simplifyVector = FALSE)
    stop(.condition("quorbel_error", error$message, .error_fields(error)))
  }
  jsonlite::fromJSON(result[[2]], simplifyVector = TRUE, simplifyDataFrame = FALSE, simplifyMatrix = FALSE)
}

#' The commands of the quorbel tool, one function each.
quorbel_commands <- function() {
  table <- jsonlite::fromJSON(.Call(C_quorbel_commands), simplifyVector = FALSE)
  vapply(table, function(command) command$`function`, "")
}
