// --csv: a command's JSON answer as a table for a spreadsheet, with a header
// row and point decimals. The rows are the elements of the answer's first
// array of objects (the population ladder, the strata, the selected units);
// every other field is flattened into columns ("population.size") repeated on
// each row. An answer without such an array is one row.
#ifndef QUORBEL_CLI_CSV_H
#define QUORBEL_CLI_CSV_H

#include <string>

namespace quorbel::cli {

// The CSV text of a JSON answer; throws std::runtime_error on malformed JSON.
std::string JsonToCsv(const std::string& json);

}  // namespace quorbel::cli

#endif
