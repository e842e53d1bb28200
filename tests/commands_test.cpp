// The commands library, through its typed entry point, over the real library
// loaded by exported name: options read by kind, errors that carry their
// code, argument, line and field, structured warnings, settings, and the
// JSON and CSV renderers. Expected values come from the worked examples
// (473 animals, 0.21479072 .. 0.38520932) or hand calculations beside them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "binding.h"
#include "command.h"
#include "files.h"
#include "guides.h"
#include "list_check.h"
#include "quorbel_exact.h"
#include "quorbel_freedom.h"
#include "quorbel_sampling.h"
#include "support.h"

namespace quorbel::test {
namespace {

using commands::CommandError;
using commands::Value;

struct Ran {
  int status = 0;
  Value answer;
  CommandError error{"", ""};
  std::vector<commands::Warning> warnings;
};

// Runs "FAMILY NAME words..." as every front end does, keeping the answer as
// a value.
Ran RunWords(const std::vector<std::string>& words) {
  Ran ran;
  const commands::Command* command = commands::FindCommand(words.at(0), words.at(1));
  if (command == nullptr) throw std::logic_error("no such command in the test");
  try {
    const commands::Args args(std::vector<std::string>(words.begin() + 2, words.end()), command->options,
                              command->positionals.size());
    commands::Answer answer = commands::Execute(*command, Lib(), args);
    ran.answer = answer.value;
    ran.warnings = answer.warnings;
  } catch (const CommandError& error) {
    ran.status = error.status;
    ran.error = error;
    ran.warnings = error.warnings;
  }
  return ran;
}

const Value& Path(const Value& value, const std::vector<std::string>& keys) {
  const Value* at = &value;
  for (const std::string& key : keys) {
    at = at->Find(key);
    if (at == nullptr) throw std::logic_error("no " + key + " in the answer");
  }
  return *at;
}

bool HasWarning(const Ran& ran, const std::string& kind, int line = -1) {
  for (const commands::Warning& warning : ran.warnings)
    if (warning.kind == kind && warning.line == line) return true;
  return false;
}

const std::vector<std::string> kSimpleRandom = {"sample-size", "simple-random", "--prevalence", "0.3",
                                                "--precision", "0.1", "--population", "1000"};

std::vector<std::string> With(std::vector<std::string> words, const std::vector<std::string>& more) {
  words.insert(words.end(), more.begin(), more.end());
  return words;
}

// Every spelling a kind accepts gives the worked example's 473 animals of
// 1,000 (prevalence 0.3, relative precision 0.1, 95 %).
TEST(CommandKinds, EverySpellingOfAValueGivesTheSameAnswer) {
  const std::vector<std::vector<std::string>> spellings = {
      {"--prevalence", "30%", "--precision", "0.1", "--population", "1000"},
      {"--prevalence", "0.3", "--precision", "10%", "--population", "1000", "--confidence", "95%"},
      {"--prevalence", "0.3", "--precision", "0.1", "--population", "1000", "--confidence", "0.95"},
      {"--prevalence", "0.3", "--precision", "0.1", "--population", "1000.0", "--confidence", "95.0"},
      {"--prevalence=0.3", "--precision=0.1", "--population=1e3"},
  };
  for (const auto& words : spellings) {
    const Ran ran = RunWords(With({"sample-size", "simple-random"}, words));
    ASSERT_EQ(ran.status, 0) << ran.error.what();
    EXPECT_EQ(Path(ran.answer, {"population", "sampleSize"}).integer, 473);
    EXPECT_EQ(Path(ran.answer, {"settings", "confidence"}).number, 95.0);
  }
}

// Fractions and percentages meet the level's range at 97.5 (exact layer) and
// the count 40.0 reads as 40.
TEST(CommandKinds, FractionalLevelsAndWholeDoublesReachTheExactLayer) {
  const Ran fraction = RunWords({"interval", "proportion", "--positives", "7", "--sample", "40.0", "--confidence", "0.975"});
  const Ran percent = RunWords({"interval", "proportion", "--positives", "7", "--sample", "40", "--confidence", "97.5%"});
  ASSERT_EQ(fraction.status, 0) << fraction.error.what();
  ASSERT_EQ(percent.status, 0) << percent.error.what();
  // z = qnorm(1 - 0.025 / 2) = 2.2414027276049473 (R).
  EXPECT_NEAR(Path(fraction.answer, {"z"}).number, 2.2414027276049473, 1e-15);
  EXPECT_EQ(commands::RenderJson(fraction.answer), commands::RenderJson(percent.answer));
}

// The bindings give numbers, not words: a number is read as its shortest
// word would be, so a level of 0.95 is 95 %, and 1000.0 and 40.0 are whole.
// The same 473 animals and z as the words above; a vector of runs whose
// level changes from 97.5 to 0.99 gives z = qnorm(0.995) = 2.5758293035489004
// (R) in its second run.
TEST(CommandKinds, NumbersFromTheBindingsReadAsTheirWords) {
  using commands::Given;
  const commands::Command& simple = *commands::FindCommand("sample-size", "simple-random");
  const commands::GivenOptions numbers = {
      {commands::OptionByArgument(simple, "prevalence"), Given::Number(0.3)},
      {commands::OptionByArgument(simple, "precision"), Given::Number(0.1)},
      {commands::OptionByArgument(simple, "population"), Given::Number(1000.0)},
      {commands::OptionByArgument(simple, "confidence"), Given::Number(0.95)}};
  const commands::Answer answer = commands::RunGiven(Lib(), simple, {}, numbers);
  EXPECT_EQ(Path(answer.value, {"population", "sampleSize"}).integer, 473);
  EXPECT_EQ(Path(answer.value, {"settings", "confidence"}).number, 95.0);

  const commands::Command& interval = *commands::FindCommand("interval", "proportion");
  const commands::Option* level = commands::OptionByArgument(interval, "confidence");
  commands::GivenRunner runner(Lib(), interval, {},
                               {{commands::OptionByArgument(interval, "positives"), Given::Number(7)},
                                {commands::OptionByArgument(interval, "sample"), Given::Number(40.0)}});
  EXPECT_NEAR(Path(runner.Run({{level, Given::Number(97.5)}}).value, {"z"}).number, 2.2414027276049473, 1e-15);
  EXPECT_NEAR(Path(runner.Run({{level, Given::Number(0.99)}}).value, {"z"}).number, 2.5758293035489004, 1e-15);
  EXPECT_THROW(runner.Run({{level, Given::Number(NAN)}}), CommandError);
}

// A level given as a fraction is read from its word (0.95 becomes 95), so
// each number must keep its own word, however many numbers come and go
// (the bindings keep the words of the last few): twelve levels, twice
// round, each give the z of the same level given in percent as text.
TEST(CommandKinds, LevelsGivenAsNumbersReadAsTheirOwnWordsWhenMany) {
  using commands::Given;
  const commands::Command& interval = *commands::FindCommand("interval", "proportion");
  const commands::Option* level = commands::OptionByArgument(interval, "confidence");
  const commands::GivenOptions counts = {{commands::OptionByArgument(interval, "positives"), Given::Number(7)},
                                         {commands::OptionByArgument(interval, "sample"), Given::Number(40)}};
  const char* const percents[] = {"90", "91", "92", "93", "94", "95", "96", "97", "98", "99", "99.5", "99.9"};
  for (int round = 0; round < 2; ++round)
    for (const char* percent : percents) {
      commands::GivenOptions asNumber = counts, asText = counts;
      asNumber.emplace_back(level, Given::Number(std::strtod(percent, nullptr) / 100.0));
      asText.emplace_back(level, Given::Text(percent));
      const double z = Path(commands::RunGiven(Lib(), interval, {}, asNumber).value, {"z"}).number;
      EXPECT_EQ(z, Path(commands::RunGiven(Lib(), interval, {}, asText).value, {"z"}).number) << percent;
    }
}

// Numbers the bindings give to counts, populations and proportions go
// without words, which are made only when something reads them: each run
// gives the JSON, or the refusal, of the same values typed as words. A
// count that is not whole, one beyond 32 bits and a population of 10^15
// are refused with the words' messages.
TEST(CommandKinds, NumbersGivenWithoutWordsAnswerAsTheirWords) {
  using commands::Given;
  struct Case {
    double population, sample, prevalence;
    const char* words[3];
  };
  const Case cases[] = {
      {1000, 269, 0.01, {"1000", "269", "0.01"}},
      {1e7, 10000, 1e-7, {"10000000", "10000", "1e-07"}},
      {HUGE_VAL, 30, 0.1, {"infinite", "30", "0.1"}},
      {1000, 100.5, 0.01, {"1000", "100.5", "0.01"}},
      {1000, 3e9, 0.01, {"1000", "3000000000", "0.01"}},
      {1e15, 100, 0.01, {"1e+15", "100", "0.01"}},
  };
  const commands::Command& evaluate = *commands::FindCommand("detect", "evaluate");
  for (const Case& c : cases) {
    const commands::GivenOptions numbers = {
        {commands::OptionByArgument(evaluate, "population"), Given::Number(c.population)},
        {commands::OptionByArgument(evaluate, "sample"), Given::Number(c.sample)},
        {commands::OptionByArgument(evaluate, "prevalence"), Given::Number(c.prevalence)},
        {commands::OptionByArgument(evaluate, "sensitivity"), Given::Number(0.95)},
        {commands::OptionByArgument(evaluate, "specificity"), Given::Number(0.98)},
        {commands::OptionByArgument(evaluate, "positive_at"), Given::Number(2)}};
    const Ran typed = RunWords({"detect", "evaluate", "--population", c.words[0], "--sample", c.words[1],
                                "--prevalence", c.words[2], "--sensitivity", "0.95", "--specificity", "0.98",
                                "--positive-at", "2"});
    try {
      const commands::Answer given = commands::RunGiven(Lib(), evaluate, {}, numbers);
      EXPECT_EQ(typed.status, 0) << c.words[1];
      EXPECT_EQ(commands::RenderJson(given.value), commands::RenderJson(typed.answer)) << c.words[1];
    } catch (const CommandError& error) {
      EXPECT_EQ(std::string(error.what()), typed.error.what()) << c.words[1];
      EXPECT_EQ(error.argument, typed.error.argument) << c.words[1];
    }
  }
}

struct Refusal {
  std::vector<std::string> words;
  int status;
  QuorbelResult code;
  const char* argument;
  int line, field;
};

// The list files the refusals read: a cluster whose positives exceed its
// animals on line 2 (field 3), and a sized list whose third line lacks a size.
void WriteRefusalLists() {
  WriteBytes(TestFile("too-many-positives.txt"), "H1,10,2\nH7,5,6\n");
  WriteBytes(TestFile("sizeless.txt"), "A,3\nB,4\nC\n");
  WriteBytes(TestFile("empty-herd.txt"), "H1,10\nH2,0\n");
  WriteBytes(TestFile("weighted-bad.txt"), "A,120,0.466,2.1,20,3\nB,45,0.175,5.7,10,11\n");
}

TEST(CommandErrors, CarryTheirCodeArgumentLineAndField) {
  WriteRefusalLists();
  const std::string out = TestFile("refused-out.txt");
  std::remove(out.c_str());
  const std::vector<Refusal> refusals = {
      {With({"sample-size", "simple-random", "--precision", "0.1", "--population", "1000"}, {"--prevalence", "1.5"}), 1,
       QUORBEL_E_PREVALENCE, "--prevalence", -1, -1},
      {{"detect", "evaluate", "--population", "100", "--sample", "10", "--prevalence", "0.1", "--sensitivity", "1",
        "--specificity", "1", "--positive-at", "11"},
       1, QUORBEL_EXACT_E_POSITIVE_AT, "--positive-at", -1, -1},
      {{"interval", "two-stage", TestFile("too-many-positives.txt")}, 1, QUORBEL_E_CLUSTER_POSITIVES, "FILE", 2, 3},
      {{"select", "pps", TestFile("sizeless.txt"), out, "--count", "2", "--seed", "1"}, 1, QUORBEL_E_SIZED_LINE, "LIST",
       3, -1},
      {{"select", "random", TestFile("no-such-list.txt"), out, "--count", "2"}, 1, QUORBEL_E_LIST_MISSING, "LIST", -1,
       -1},
      {With(kSimpleRandom, {"--prevalance", "0.3"}), 2, 0, "--prevalance", -1, -1},
      {With(kSimpleRandom, {"--population", "10"}), 2, 0, "--population", -1, -1},
      {{"sample-size", "simple-random", "--prevalence", "0.3", "--precision", "0.1"}, 2, 0, "--population", -1, -1},
      {With(kSimpleRandom, {"--confidence", "97.5"}), 2, 0, "--confidence", -1, -1},
      {{"interval", "proportion", "--positives", "3.5", "--sample", "10"}, 2, 0, "--positives", -1, -1},
      {{"detect", "sample-size", "--prevalence", "0.05", "--population", "100", "--sensitivity", "0.9",
        "--specificity", "0.98", "--sensitivity2", "0.9", "--specificity2", "0.9", "--combination", "both"},
       2, 0, "--combination", -1, -1},
      {With(kSimpleRandom, {"extra"}), 2, 0, "", -1, -1},
      {{"freedom", "sensitivity", "--population", "1000", "--sample", "1001", "--prevalence", "0.01"}, 1,
       QUORBEL_FREEDOM_E_SAMPLE, "--sample", -1, -1},
      {{"freedom", "sample-size", "--prevalence", "1"}, 1, QUORBEL_FREEDOM_E_PREVALENCE, "--prevalence", -1, -1},
      {{"freedom", "probability", "--sensitivity", "0.5,1.2"}, 1, QUORBEL_FREEDOM_E_PERIODS, "--sensitivity", -1, -1},
      {{"freedom", "combine", "--sensitivity", "0.5,high"}, 2, 0, "--sensitivity", -1, -1},
      {{"freedom", "sensitivity", "--prevalence", "0.01", "--pools", "0", "--pool-size", "5"}, 1,
       QUORBEL_FREEDOM_E_POOLS, "--pools and --pool-size", -1, -1},
      // Shares 0.5 + 0.4 do not sum to 1.
      {{"freedom", "sensitivity", "--prevalence", "0.01", "--risk-groups", "5:0.5:10,1:0.4:10"}, 1,
       QUORBEL_FREEDOM_E_GROUPS, "--risk-groups", -1, -1},
      {{"freedom", "sensitivity", "--prevalence", "0.01", "--risk-groups", "5:0.5:10,1:0.5:many"}, 2, 0,
       "--risk-groups", -1, -1},
      // The simple form's --sample beside the pooled form's --pools.
      {{"freedom", "sensitivity", "--prevalence", "0.01", "--sample", "10", "--pools", "3", "--pool-size", "5"}, 2, 0,
       "--sample", -1, -1},
      {{"freedom", "sample-size", "--prevalence", "0.01", "--probability-target", "1", "--prior", "0.5"}, 1,
       QUORBEL_FREEDOM_E_TARGET, "--probability-target", -1, -1},
      {{"freedom", "sample-size", "--prevalence", "0.01", "--probability-target", "0.9"}, 2, 0, "--prior", -1, -1},
      {{"freedom", "two-stage", TestFile("sizeless.txt"), out, "--herd-prevalence", "0.1", "--within-herd-prevalence",
        "0.1", "--sensitivity", "0.9"},
       1, QUORBEL_FREEDOM_E_HERDS, "LIST", 3, 2},
      {{"freedom", "two-stage", TestFile("empty-herd.txt"), out, "--herd-prevalence", "0.1",
        "--within-herd-prevalence", "0.1", "--sensitivity", "0.9"},
       1, QUORBEL_FREEDOM_E_HERDS, "LIST", 2, 2},
      {{"freedom", "two-stage", TestFile("sizeless.txt"), out, "--herd-prevalence", "0.1", "--within-herd-prevalence",
        "1", "--sensitivity", "0.9", "--herd-size", "infinite"},
       1, QUORBEL_FREEDOM_E_WITHIN, "--within-herd-prevalence", -1, -1},
      {{"freedom", "two-stage", TestFile("no-such-list.txt"), out, "--herd-prevalence", "0.1",
        "--within-herd-prevalence", "0.1", "--sensitivity", "0.9"},
       1, QUORBEL_E_LIST_MISSING, "LIST", -1, -1},
      {{"prior", "beta", "--mode", "0.9"}, 2, 0, "--at-least", -1, -1},
      // 11 positives of 10 tested, line 2, field 6.
      {{"interval", "weighted", TestFile("weighted-bad.txt")}, 1, QUORBEL_SAMPLING_E_UNITS, "FILE", 2, 6},
      {{"prevalence", "bayes", "--positives", "1", "--tested", "10", "--sensitivity-prior", "85",
        "--specificity-prior", "97,3"},
       2, 0, "--sensitivity-prior", -1, -1},
      {{"prevalence", "bayes", "--positives", "1", "--tested", "10", "--sensitivity-prior", "85,15",
        "--specificity-prior", "97,-3"},
       2, 0, "--specificity-prior", -1, -1},
      {{"prevalence", "bayes", "--positives", "11", "--tested", "10", "--sensitivity-prior", "85,15",
        "--specificity-prior", "97,3"},
       1, QUORBEL_EXACT_E_POSITIVES, "--positives", -1, -1},
      {{"prior", "beta", "--mode", "0.9", "--at-most", "0.7"}, 1, QUORBEL_EXACT_E_LIMIT, "--at-most", -1, -1},
      {{"sample-size", "true-prevalence", "--prevalence", "0.2", "--sensitivity", "0.5", "--specificity", "0.5",
        "--absolute-precision", "0.05"},
       1, QUORBEL_EXACT_E_USELESS_TEST, "--sensitivity and --specificity", -1, -1},
      {{"sample-size", "test-accuracy", "--estimate", "sensitivity", "--expected", "0.9", "--prevalence", "0.1"}, 2, 0,
       "--precision", -1, -1},
      // n = 2 at SE 0.5 and T 0.95: P = (1 - 0.05^0.5) / 0.5 = 1.55, above 1.
      {{"freedom", "design-prevalence", "--sample", "2", "--sensitivity", "0.5"}, 1, QUORBEL_FREEDOM_E_SAMPLE,
       "--sample", -1, -1},
  };
  for (const Refusal& refusal : refusals) {
    const Ran ran = RunWords(refusal.words);
    SCOPED_TRACE(refusal.words[0] + " " + refusal.words[1] + ": " + ran.error.what());
    EXPECT_EQ(ran.status, refusal.status);
    EXPECT_EQ(ran.error.code, refusal.code);
    EXPECT_EQ(ran.error.argument, refusal.argument);
    EXPECT_EQ(ran.error.line, refusal.line);
    EXPECT_EQ(ran.error.field, refusal.field);
  }
  EXPECT_EQ(ReadBytes(out), "") << "a refused selection wrote its result file";
}

// No sample of 1000 finds its one diseased unit (P 0.001) with 0.9 when
// the test's sensitivity is 0.8: the answer says so, and warns.
TEST(CommandWarnings, UnreachableFreedomTargetWarns) {
  const Ran ran = RunWords({"freedom", "sample-size", "--population", "1000", "--prevalence", "0.001",
                            "--sensitivity", "0.8", "--target", "0.9"});
  ASSERT_EQ(ran.status, 0) << ran.error.what();
  EXPECT_FALSE(Path(ran.answer, {"reachable"}).boolean);
  EXPECT_EQ(ran.answer.Find("sampleSize"), nullptr);
  EXPECT_EQ(Path(ran.answer, {"sensitivity"}).number, 0.8);  // the one diseased unit, tested: SE
  EXPECT_TRUE(HasWarning(ran, "target-unreachable"));
}

// Each herd's design goes to OUT: 25 of 50 animals reach a herd sensitivity
// of 0.9564003679982631 (D = 5; R: 1 - sum(dhyper(k, 5, 45, 25) 0.1^k)); a
// herd of 5 (D = 1) tests every animal and reaches only SE = 0.9, short of
// the herd target, which the answer warns of. Herds of unknown size all take
// 32 animals (epiR rsu.sssep.rs(N = NA, pstar = 0.1, se.p = 0.95, se.u = 0.9)).
TEST(CommandFiles, FreedomTwoStageWritesEachHerd) {
  const std::string list = TestFile("two-herds.txt"), out = TestFile("two-herds-out.txt");
  WriteBytes(list, "A,50\nB,5\n");
  std::remove(out.c_str());
  const std::vector<std::string> words = {"freedom", "two-stage", list, out, "--herd-prevalence", "0.5",
                                          "--within-herd-prevalence", "0.1", "--sensitivity", "0.9"};
  const Ran ran = RunWords(words);
  ASSERT_EQ(ran.status, 0) << ran.error.what();
  EXPECT_EQ(ReadBytes(out), "A,50,25,0.9564003679982631\r\nB,5,5,0.9\r\n");
  EXPECT_TRUE(HasWarning(ran, "herds-short-of-target"));
  EXPECT_EQ(Path(ran.answer, {"herdsShortOfTarget"}).integer, 1);
  EXPECT_EQ(Path(ran.answer, {"herdSensitivity"}).number, 0.9);

  const Ran existing = RunWords(words);
  EXPECT_EQ(existing.status, 2);
  EXPECT_EQ(existing.error.argument, "OUT");

  const Ran unknown = RunWords(With(words, {"--herd-size", "infinite", "--force"}));
  ASSERT_EQ(unknown.status, 0) << unknown.error.what();
  EXPECT_EQ(ReadBytes(out), "A,infinite,32,0.9510982327503508\r\nB,infinite,32,0.9510982327503508\r\n");
}

// The scratch copies --separator hands to the library, left in the temporary folder.
int ScratchLists() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
    count += entry.path().filename().string().rfind("quorbel-list-", 0) == 0;
  return count;
}

// --separator: a list written with the other separator than the library's
// gives, under --separator, what the same list with the library's gives
// without it, in the commands the library reads (the copy it is handed) and
// in those the tool reads itself; the result files the tool writes take it;
// nothing is left behind, and the next command is back to the library's.
TEST(CommandSeparator, OverridesTheLocaleForOneCommand) {
  const char library = commands::LibrarySeparator(), other = library == ',' ? ';' : ',';
  const std::string own(1, library), chosen(1, other);
  auto split = [](std::string text, char separator) {
    for (char& c : text) c = c == ',' ? separator : c;
    return text;
  };
  const std::string mine = TestFile("separator-own.txt"), theirs = TestFile("separator-other.txt");
  const std::string out = TestFile("separator-out.txt"), outOwn = TestFile("separator-out-own.txt");
  const int scratchBefore = ScratchLists();
  enum Result { kNone, kLibraryWrites, kToolWrites };  // the tool writes OUT in the separator in effect
  struct Case {
    std::vector<std::string> words;  // the command, then what follows the list and OUT
    const char* list;                // with ',' for the separator
    Result result;
  } cases[] = {
      {{"interval", "two-stage"}, "H1,10,2\nH2,20,5\nH3,15,0\nH4,12,3\n", kNone},
      {{"select", "pps", "--count", "3", "--seed", "7"}, "Herd A,120\nHerd B,45\nHerd C,300\nHerd D,80\n",
       kLibraryWrites},
      {{"select", "pps", "--count", "3", "--seed", "7", "--distinct"}, "Herd A,120\nHerd B,45\nHerd C,300\n",
       kToolWrites},
      {{"select", "random", "--count", "2", "--seed", "7"}, "Farm 1\nFarm 2\nFarm 3\n", kLibraryWrites},
  };
  for (const Case& c : cases) {
    WriteBytes(mine, split(c.list, library));
    WriteBytes(theirs, split(c.list, other));
    std::remove(out.c_str());
    std::remove(outOwn.c_str());
    std::vector<std::string> base = {c.words[0], c.words[1], theirs}, plain = {c.words[0], c.words[1], mine};
    if (c.result != kNone) {
      base.push_back(out);
      plain.push_back(outOwn);
    }
    base.insert(base.end(), c.words.begin() + 2, c.words.end());
    plain.insert(plain.end(), c.words.begin() + 2, c.words.end());
    const Ran chosenRun = RunWords(With(base, {"--separator", chosen}));
    ASSERT_EQ(chosenRun.status, 0) << c.words[1] << ": " << chosenRun.error.what();
    EXPECT_EQ(Path(chosenRun.answer, {"settings", "separator"}).text, chosen);
    const Ran ownRun = RunWords(plain);  // no --separator: the library's again
    ASSERT_EQ(ownRun.status, 0) << c.words[1] << ": " << ownRun.error.what();
    EXPECT_FALSE(HasWarning(ownRun, "other-separator")) << c.words[1];
    for (const char* key : {"prevalence", "lower", "upper", "written", "certaintyUnits"}) {
      if (const Value* value = ownRun.answer.Find(key)) {
        EXPECT_EQ(commands::RenderJson(*chosenRun.answer.Find(key)), commands::RenderJson(*value)) << key;
      }
    }
    if (c.result == kLibraryWrites) {
      EXPECT_EQ(ReadBytes(out), ReadBytes(outOwn)) << c.words[1];
    }
    if (c.result == kToolWrites) {
      std::string expected = ReadBytes(outOwn);
      for (char& ch : expected) ch = ch == library ? other : ch;
      EXPECT_EQ(ReadBytes(out), expected) << c.words[1];
    }
  }
  // A list in the library's separator under the other one: refused at its
  // first line, with the warning that names --separator.
  WriteBytes(mine, split("H1,10,2\nH2,20,5\n", library));
  const Ran mismatch = RunWords({"interval", "two-stage", mine, "--separator", chosen});
  EXPECT_EQ(mismatch.status, 2);
  EXPECT_EQ(mismatch.error.line, 1);
  EXPECT_TRUE(HasWarning(mismatch, "other-separator"));
  EXPECT_NE(mismatch.warnings.at(0).message.find("chosen with --separator"), std::string::npos);
  // A line that holds the library's separator as text cannot be handed over.
  WriteBytes(theirs, split("Herd A,120\n", other) + "Herd" + own + " B" + chosen + "45\n");
  std::remove(out.c_str());
  const Ran held = RunWords({"select", "pps", theirs, out, "--count", "1", "--separator", chosen});
  EXPECT_EQ(held.status, 2);
  EXPECT_EQ(held.error.argument, "LIST");
  EXPECT_EQ(held.error.line, 2);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(ScratchLists(), scratchBefore);
#ifndef _WIN32
  // No temporary folder to write the copy in: an error of the list, nothing run.
  WriteBytes(theirs, split("Herd A,120\nHerd B,45\n", other));
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string saved = tmpdir != nullptr ? tmpdir : "";
  setenv("TMPDIR", "/nonexistent/quorbel", 1);
  const Ran noFolder = RunWords({"select", "pps", theirs, out, "--count", "1", "--separator", chosen});
  if (tmpdir != nullptr) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_EQ(noFolder.status, 2);
  EXPECT_EQ(noFolder.error.argument, "LIST");
  EXPECT_FALSE(std::filesystem::exists(out));
#endif
}

// The Blaker limits of the true prevalence: those of AP for 18 of 150 at
// 95 % (R, from the definition: 0.074230042672 and 0.181439703546) carried
// through (AP + Sp - 1) / (Se + Sp - 1) with Se 0.85, Sp 0.97.
TEST(CommandKeys, TruePrevalenceCarriesTheBlakerLimits) {
  const Ran ran = RunWords({"prevalence", "true", "--positives", "18", "--tested", "150", "--sensitivity", "0.85",
                            "--specificity", "0.97"});
  ASSERT_EQ(ran.status, 0) << ran.error.what();
  EXPECT_NEAR(Path(ran.answer, {"blaker", "lower"}).number, (0.074230042672 - 0.03) / 0.82, 1e-10);
  EXPECT_NEAR(Path(ran.answer, {"blaker", "upper"}).number, (0.181439703546 - 0.03) / 0.82, 1e-10);
  EXPECT_FALSE(HasWarning(ran, "false-positives-exceed-reactors"));
}

// select pps --distinct: n distinct units, each with its inclusion
// probability and weight, in OUT and in the answer. For sizes 120, 45,
// 300, 80, 60, 210, 900 and n = 4, R's sampling::inclusionprobabilities
// gives 0.46601941747572817, 0.17475728155339806, 1, 0.31067961165048547,
// 0.23300970873786409, 0.81553398058252424, 1 (two certainty units).
TEST(CommandFiles, DistinctSelectionWritesInclusionProbabilitiesAndWeights) {
  const std::string list = TestFile("distinct.txt"), out = TestFile("distinct-out.txt");
  WriteBytes(list, "Herd A,120\nHerd B,45\nHerd C,300\nHerd D,80\nHerd E,60\nHerd F,210\nHerd G,900\n");
  const double pi[] = {0.46601941747572817, 0.17475728155339806, 1, 0.31067961165048547, 0.23300970873786409,
                       0.81553398058252424, 1};
  for (const char* seed : {"1", "24", "99"}) {
    std::remove(out.c_str());
    const Ran ran = RunWords({"select", "pps", list, out, "--count", "4", "--seed", seed, "--distinct"});
    ASSERT_EQ(ran.status, 0) << ran.error.what();
    EXPECT_EQ(Path(ran.answer, {"certaintyUnits"}).integer, 2);
    ASSERT_EQ(Path(ran.answer, {"units"}).items.size(), 4u) << "seed " << seed;
    // OUT: name,size,pi,weight lines, CR LF, a certainty unit always among them.
    const std::string written = ReadBytes(out);
    EXPECT_NE(written.find("Herd C,300,1,1\r\n"), std::string::npos) << written;
    size_t lines = 0;
    for (size_t at = 0, end; (end = written.find("\r\n", at)) != std::string::npos; at = end + 2, ++lines) {
      char name[32];
      int size = 0;
      double p = 0, weight = 0;
      ASSERT_EQ(std::sscanf(written.substr(at, end - at).c_str(), "Herd %1[A-G],%d,%lf,%lf", name, &size, &p, &weight),
                4);
      EXPECT_NEAR(p, pi[name[0] - 'A'], 1e-12) << name;
      EXPECT_NEAR(weight, 1 / pi[name[0] - 'A'], 1e-12) << name;
    }
    EXPECT_EQ(lines, 4u);
  }
  const Ran tooMany = RunWords({"select", "pps", list, out, "--count", "8", "--seed", "1", "--distinct", "--force"});
  EXPECT_EQ(tooMany.status, 1);
  EXPECT_EQ(tooMany.error.argument, "--count");
}

// select stratified: the file lists the chosen units with their strata and
// weights N_h / n_h; 5 of North 5, South 3, East 2 split 3, 1, 1 (2.5, 1.5
// and 1, the tie to the earlier stratum), so the weights are 5/3, 3 and 2.
TEST(CommandFiles, StratifiedSelectionWritesWeights) {
  const std::string list = TestFile("strata.txt"), out = TestFile("strata-out.txt");
  WriteBytes(list, "F1,North\nF2,North\nF3,South\nF4,North\nF5,East\nF6,South\nF7,North\nF8,South\nF9,North\nF10,East\n");
  std::remove(out.c_str());
  const Ran ran = RunWords({"select", "stratified", list, out, "--strata-column", "2", "--count", "5", "--seed", "3"});
  ASSERT_EQ(ran.status, 0) << ran.error.what();
  const auto& strata = Path(ran.answer, {"strata"}).items;
  ASSERT_EQ(strata.size(), 3u);
  EXPECT_EQ(Path(strata[0], {"sampled"}).integer, 3);
  EXPECT_EQ(Path(strata[1], {"sampled"}).integer, 1);
  EXPECT_EQ(Path(strata[2], {"sampled"}).integer, 1);
  const std::string written = ReadBytes(out);
  size_t north = 0;
  for (size_t at = 0; (at = written.find(",North,1.6666666666666667\r\n", at)) != std::string::npos; ++at) ++north;
  EXPECT_EQ(north, 3u) << written;
  EXPECT_NE(written.find(",South,3\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find(",East,2\r\n"), std::string::npos) << written;
  const Ran missing = RunWords({"select", "stratified", list, out, "--strata-column", "3", "--count", "5", "--force"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.error.line, 1);
  EXPECT_EQ(missing.error.field, 3);
}

// The forms of freedom sample-size and their keys. Risk groups RR 3 for 10 %
// and 1 for 90 %, P 0.01, SE 0.9, allocations 1/2 each: the first total
// reaching 0.95 is 198, 99 in each group (independent Python computation
// of the definition: 1 - (1 - 0.9 x 0.025)^99 (1 - 0.9 x 0.008333)^99 =
// 0.95013, and 197 splits 99 + 98 to 0.94975). A prior of 0.5, 1 %
// introductions and PF 0.95 need s = (1 - 0.495 / 0.95) / 0.505 =
// 0.9484106305367378 (rsu.sspfree.rs), which 328 units reach.
TEST(CommandKeys, FreedomSampleSizeForms) {
  const Ran risk = RunWords({"freedom", "sample-size", "--prevalence", "0.01", "--sensitivity", "0.9",
                             "--risk-groups", "3:0.1:0.5,1:0.9:0.5"});
  ASSERT_EQ(risk.status, 0) << risk.error.what();
  EXPECT_EQ(Path(risk.answer, {"sampleSize"}).integer, 198);
  EXPECT_EQ(Path(risk.answer, {"groups"}).items.at(0).Find("sampleSize")->integer, 99);
  EXPECT_EQ(Path(risk.answer, {"groups"}).items.at(1).Find("sampleSize")->integer, 99);
  const Ran needed = RunWords({"freedom", "sample-size", "--prevalence", "0.01", "--sensitivity", "0.9",
                               "--probability-target", "0.95", "--prior", "0.5", "--introduction", "0.01"});
  ASSERT_EQ(needed.status, 0) << needed.error.what();
  EXPECT_NEAR(Path(needed.answer, {"sensitivityNeeded"}).number, 0.9484106305367378, 1e-12);
  EXPECT_EQ(Path(needed.answer, {"sampleSize"}).integer, 328);
  EXPECT_EQ(Path(needed.answer, {"settings"}).Find("target"), nullptr);  // --target played no part
}

// The bindings' view of an error: names as they spell them, the code in
// fields of its own rather than in the message.
TEST(CommandErrors, BindingsSeeTheirOwnArgumentNames) {
  const Ran ran = RunWords({"detect", "evaluate", "--population", "100", "--sample", "10", "--prevalence", "0.1",
                       "--sensitivity", "1", "--specificity", "1", "--positive-at", "11"});
  const Value error = commands::ErrorValue(ran.error);
  EXPECT_EQ(Path(error, {"argument"}).text, "positive_at");
  EXPECT_EQ(Path(error, {"option"}).text, "--positive-at");
  EXPECT_EQ(Path(error, {"codeName"}).text, "QUORBEL_EXACT_E_POSITIVE_AT");
  EXPECT_EQ(Path(error, {"message"}).text.rfind("positive_at rejected: it must be", 0), 0u);
  EXPECT_EQ(Path(error, {"message"}).text.find("0x"), std::string::npos);
  EXPECT_EQ(commands::BindingText("FILE rejected: 1 to --sample (result code 0x60000011, X: y)"),
            "file rejected: 1 to sample");
  EXPECT_EQ(commands::BindingText("OUTBREAK and --x-2 stay --"), "OUTBREAK and x_2 stay --");
}

struct Warned {
  std::vector<std::string> words;
  const char* kind;
  int line;
};

// Lists for the warnings: a blank line 5 with a line after it; 37, 55, 52,
// 49, 5, 17, 8 (total 223) whose step for 2 units is 223 / 2 = 111, so that a
// start of 1 (seed 24) puts points at 1, 112 and 223: three hits for two.
void WriteWarningLists() {
  WriteBytes(TestFile("blank-line.txt"), "H1,10,2\nH2,20,5\nH3,15,1\nH4,12,3\n\nH6,3,1\n");
  WriteBytes(TestFile("three-hits.txt"), "U1,37\nU2,55\nU3,52\nU4,49\nU5,5\nU6,17\nU7,8\n");
}

TEST(CommandWarnings, ReachTheAnswerWithTheirKindAndLine) {
  WriteWarningLists();
  const std::string out = TestFile("warned-out.txt");
  const std::vector<std::string> detect = {"detect", "sample-size", "--prevalence", "0.01", "--population", "1000",
                                           "--sensitivity", "0.95", "--specificity", "0.98"};
  const std::vector<Warned> cases = {
      {With(kSimpleRandom, {"--confidence", "98"}), "level-at-1.96", -1},
      // The classic 269 animals reach 0.389 and keep a specificity of 0.906
      // (tests/reference/exact_reference.R), short of 0.95 on both.
      {detect, "design-short-of-sensitivity", -1},
      {detect, "design-short-of-specificity", -1},
      {{"interval", "two-stage", TestFile("blank-line.txt")}, "lines-after-blank", 5},
      {{"select", "pps", TestFile("three-hits.txt"), out, "--count", "2", "--seed", "24", "--force"},
       "hits-beyond-count", -1},
      {{"prevalence", "true", "--apparent", "0.3", "--sensitivity", "0.4", "--specificity", "0.5"},
       "worse-than-chance", -1},
      // 0 of 150 with Sp 0.97: Blaker's upper limit of AP, 0.0237, lies below
      // 1 - Sp = 0.03 (R, from the definition).
      {{"prevalence", "true", "--positives", "0", "--tested", "150", "--sensitivity", "0.85", "--specificity", "0.97"},
       "false-positives-exceed-reactors", -1},
      // Uniform test priors: P(Se + Sp <= 1) = 1/2, above 0.05.
      {{"prevalence", "bayes", "--positives", "3", "--tested", "20", "--sensitivity-prior", "1,1",
        "--specificity-prior", "1,1"},
       "vague-test-priors", -1},
  };
  for (const Warned& warned : cases) {
    const Ran ran = RunWords(warned.words);
    SCOPED_TRACE(warned.words[0] + " " + warned.words[1] + " " + warned.kind);
    ASSERT_EQ(ran.status, 0) << ran.error.what();
    EXPECT_TRUE(HasWarning(ran, warned.kind, warned.line));
    const Value& listed = Path(ran.answer, {"warnings"});
    ASSERT_EQ(listed.items.size(), ran.warnings.size());
  }
}

TEST(CommandWarnings, NoneWhereNothingIsAmiss) {
  const Ran ran = RunWords(kSimpleRandom);
  EXPECT_TRUE(ran.warnings.empty());
  EXPECT_EQ(commands::RenderJson(Path(ran.answer, {"warnings"})), "[]");
}

// A list refused by the library still reports what its check found first.
TEST(CommandWarnings, SurviveARefusal) {
  WriteBytes(TestFile("semicolons.txt"), "H1;10;2\nH2;20;5\n");
  const Ran ran = RunWords({"interval", "two-stage", TestFile("semicolons.txt")});
  EXPECT_EQ(ran.status, 1);
  EXPECT_TRUE(HasWarning(ran, "other-separator"));
}

// The settings: every value in effect, the defaults, and the z used: the
// classic rule's 1.96 at 98, qnorm(0.985) = 2.1700903775845601 (R) at 97 in
// the exact layer, none for the detection commands.
TEST(CommandSettings, GiveTheValuesDefaultsAndZInEffect) {
  const Ran classic = RunWords(With(kSimpleRandom, {"--confidence", "98"}));
  EXPECT_EQ(Path(classic.answer, {"settings", "z"}).number, 1.96);
  EXPECT_EQ(Path(classic.answer, {"settings", "population"}).integer, 1000);
  EXPECT_EQ(Path(classic.answer, {"settings", "defaults", "confidence"}).number, 95.0);
  const Ran exact = RunWords({"interval", "proportion", "--positives", "30", "--sample", "100", "--confidence", "97"});
  EXPECT_NEAR(Path(exact.answer, {"settings", "z"}).number, 2.1700903775845601, 1e-15);
  const Ran detect = RunWords({"detect", "evaluate", "--population", "infinite", "--sample", "100", "--prevalence", "0.05",
                          "--sensitivity", "0.9", "--specificity", "0.97", "--positive-at", "4"});
  EXPECT_EQ(Path(detect.answer, {"settings", "population"}).text, "infinite");
  EXPECT_EQ(Path(detect.answer, {"settings"}).Find("z"), nullptr);
  // An absolute precision of 0.03 at a prevalence of 0.3 is relative 0.1.
  const Ran absolute = RunWords({"sample-size", "simple-random", "--prevalence", "0.3", "--absolute-precision", "0.03",
                            "--population", "1000"});
  EXPECT_TRUE(BitsEqual(0.1f, static_cast<float>(Path(absolute.answer, {"settings", "relative_precision"}).number)));
}

// The renderers: JSON keys in their order with the worked interval
// 0.21479072 .. 0.38520932 written as the floats' shortest text; CSV rows
// from the answer's first list of records, settings as columns, the warnings
// as one cell.
TEST(CommandRenderers, DrawTheSameAnswer) {
  const Ran interval = RunWords({"interval", "simple-random", "--positives", "30", "--sample", "100", "--population",
                            "1000"});
  const std::string json = commands::RenderJson(interval.answer);
  EXPECT_EQ(json.rfind("{\"estimate\": 0.3, \"lower\": 0.21479072, \"upper\": 0.38520932, \"settings\": {", 0), 0u);
  const Ran ladder = RunWords(With(kSimpleRandom, {"--confidence", "98"}));
  const std::string csv = commands::RenderCsv(ladder.answer);
  EXPECT_EQ(csv.rfind("ladder.population,ladder.sampleSize,population.size,population.sampleSize,infinitePopulation,"
                      "settings.prevalence,",
                      0),
            0u);
  EXPECT_NE(csv.find("\n50,48,1000,473,897,0.3,"), std::string::npos);
  EXPECT_NE(csv.find(",\"confidence 98 % is computed at z = 1.96"), std::string::npos);
  // A value that cannot be estimated is null, and the text says so.
  WriteBytes(TestFile("one-cluster.txt"), "H1,10,2\n");
  const Ran one = RunWords({"interval", "two-stage", TestFile("one-cluster.txt")});
  ASSERT_EQ(one.status, 0) << one.error.what();
  EXPECT_EQ(Path(one.answer, {"standardError"}).type, Value::Type::kNull);
  EXPECT_NE(commands::FindCommand("interval", "two-stage")->text(one.answer).find("not estimable"), std::string::npos);
}

// Every command has its guide and method (the bindings' help pages), its
// worked example runs, and its text renderer finds in the answer all that it
// reads.
TEST(CommandRenderers, EveryExampleRunsAndRenders) {
  for (const commands::Command& command : commands::Commands()) {
    const commands::CommandGuide* guide = commands::GuideOf(command.family, command.name);
    ASSERT_NE(guide, nullptr) << command.family << " " << command.name;
    EXPECT_NE(commands::MethodOf(command.family, command.name), nullptr) << command.family << " " << command.name;
    if (!guide->exampleList.empty()) continue;  // the list commands run above, on files of their own
    const Ran ran = RunWords(guide->example);
    SCOPED_TRACE(std::string(command.family) + " " + command.name);
    ASSERT_EQ(ran.status, 0) << ran.error.what();
    EXPECT_FALSE(command.text(ran.answer).empty());
  }
}

}  // namespace
}  // namespace quorbel::test
