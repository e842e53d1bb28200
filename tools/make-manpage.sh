#!/usr/bin/env bash
# Writes the manual page quorbel.1 from the tool's own help texts: the
# overview, then each command's --help, so that the page never disagrees
# with the tool.
#   make-manpage.sh QUORBEL VERSION OUT
set -euo pipefail
program=$1 version=$2 out=$3
escape() { sed -e 's/\\/\\e/g' -e 's/^\./\\\&./' -e "s/^'/\\\\\&'/"; }
{
  echo ".TH QUORBEL 1 \"\" \"quorbel $version\" \"User Commands\""
  echo ".SH NAME"
  echo "quorbel \\- statistics of sampling surveys in animal populations"
  echo ".SH SYNOPSIS"
  echo ".B quorbel"
  echo "\\fIFAMILY\\fR \\fICOMMAND\\fR [\\fIOPTIONS\\fR] [\\-\\-json]"
  echo ".SH DESCRIPTION"
  echo ".nf"
  "$program" --help | escape
  echo ".fi"
  echo ".SH COMMANDS"
  "$program" --help | sed -n 's/^  \([a-z][a-z-]*\) \([a-z][a-z-]*\) .*/\1 \2/p' | while read -r family command; do
    echo ".SS \"$family $command\""
    echo ".nf"
    "$program" "$family" "$command" --help | escape
    echo ".fi"
  done
  echo ".SH EXIT STATUS"
  echo "0 on success; 1 when the library rejects an argument (the message names it and the result code);"
  echo "2 for a command line that cannot run; 3 when the library cannot be loaded."
} > "$out"
