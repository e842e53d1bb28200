// Runs one command line of the program and prints its answer.
#ifndef QUORBEL_CLI_RUN_WORDS_H
#define QUORBEL_CLI_RUN_WORDS_H

#include <string>
#include <vector>

namespace quorbel::cli {

// kAsAsked: text with the settings line, or --json, or --csv, as the words
// ask; kExample: the text alone, as a help example shows it.
enum class Output { kAsAsked, kExample };

// Runs "FAMILY COMMAND [words...]": the settings line, the answer (text,
// --json or --csv), warnings on standard error as "quorbel: warning: ...",
// errors as "quorbel: ...".
// Returns the exit status: 0; 1 a rejected argument; 2 words that cannot
// run; 3 the library cannot be loaded.
int RunWords(const std::vector<std::string>& words, Output output = Output::kAsAsked);

}  // namespace quorbel::cli

#endif
