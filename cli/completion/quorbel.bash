# Bash completion of quorbel: families, commands, options and the words an
# option takes (a choice's, "infinite" for a population: the {a|b} ending
# its help line), read from the tool's own help so that they never disagree
# with it. Installed as share/bash-completion/completions/quorbel.
_quorbel() {
  local current=${COMP_WORDS[COMP_CWORD]} words
  if [ "$COMP_CWORD" -eq 1 ]; then
    words="$("$1" --help 2>/dev/null | sed -n 's/^  \([a-z][a-z-]*\) [a-z][a-z-]* .*/\1/p' | sort -u) --help --version"
  elif [ "$COMP_CWORD" -eq 2 ]; then
    words=$("$1" --help 2>/dev/null | sed -n "s/^  ${COMP_WORDS[1]} \\([a-z][a-z-]*\\) .*/\\1/p")
  elif [[ $current == -* ]]; then
    words=$("$1" "${COMP_WORDS[1]}" "${COMP_WORDS[2]}" --help 2>/dev/null | sed -n 's/^  \(--[a-z0-9-]*\).*/\1/p')
  elif [[ ${COMP_WORDS[COMP_CWORD-1]} == --* ]] &&
       words=$("$1" "${COMP_WORDS[1]}" "${COMP_WORDS[2]}" --help 2>/dev/null |
               sed -n "s/^  ${COMP_WORDS[COMP_CWORD-1]} .* {\(.*\)}$/\1/p" | tr '|' ' ') && [ -n "$words" ]; then
    :
  else
    COMPREPLY=($(compgen -f -- "$current"))
    return
  fi
  COMPREPLY=($(compgen -W "$words" -- "$current"))
  # Quoted for the shell, so that a choice such as ';' stays a word.
  local at
  for at in "${!COMPREPLY[@]}"; do COMPREPLY[at]=$(printf '%q' "${COMPREPLY[at]}"); done
}
complete -F _quorbel quorbel
