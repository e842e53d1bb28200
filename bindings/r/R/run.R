# Runs a command of the quorbel tool in this process. Options whose value is
# NULL are left out; Inf is an infinite population. Options of length one
# give one answer, a named list; options of one common length n (others of
# length one) give n answers, a data frame of n rows.

# An error or warning condition of class quorbel_error or quorbel_warning,
# with the fields the tool gives (code, code_name, argument, allowed, line,
# field, and element of a vector call, for an error; kind and line for a
# warning).
.condition <- function(class, message, fields) {
  structure(class = c(class, if (class == "quorbel_error") "error" else "warning", "condition"),
            c(list(message = message, call = NULL), fields))
}

.error <- function(error) {
  message <- if (is.null(error$element)) error$message else paste0("element ", error$element, ": ", error$message)
  stop(.condition("quorbel_error", message,
                  list(code = error$code, code_name = error$codeName, argument = error$argument,
                       option = error$option, allowed = error$allowed, line = error$line, field = error$field,
                       element = error$element)))
}

# The conditions of a call's outcome, list(status, answer or error,
# warnings), and then its answer; the C code calls this only for an outcome
# with warnings or an error.
.signal <- function(result) {
  for (warning in result[[3]])
    warning(.condition("quorbel_warning", warning$message, list(kind = warning$kind, line = warning$line)))
  if (result[[1]] != 0L) .error(result[[2]])
  result[[2]]
}

#' The commands of the quorbel tool, one function each.
quorbel_commands <- function() {
  table <- jsonlite::fromJSON(.Call(C_quorbel_commands), simplifyVector = FALSE)
  vapply(table, function(command) command$`function`, "")
}
