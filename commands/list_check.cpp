// See list_check.h.
#include "list_check.h"

#include "paths.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <cwchar>
#include <fstream>
#include <mutex>
#include <random>

#include "library/list_separator.h"
#include "listfiles/list_file.h"

namespace quorbel::commands {
namespace {

// The line as the library reads it: converted from the user's character type
// (a byte the locale cannot convert is kept as its own code).
std::wstring Widened(const std::string& line) {
  std::wstring wide;
  std::mbstate_t state{};
  const char* at = line.c_str();
  const char* end = at + line.size();
  while (at < end) {
    wchar_t c;
    const std::size_t length = std::mbrtowc(&c, at, static_cast<std::size_t>(end - at), &state);
    if (length == 0 || length > static_cast<std::size_t>(end - at)) {
      wide += static_cast<wchar_t>(static_cast<unsigned char>(*at++));
      state = std::mbstate_t{};
      continue;
    }
    wide += c;
    at += length;
  }
  return wide;
}

// Whether the numeric fields 2 .. numericFields + 1 of a line are whole
// numbers as the library reads them, and whether the line has that many
// fields (so that it is a data line at all). Fields are the library's: the
// runs between separators (those in effect), so that "A;;12" has two.
bool NumbersAreWhole(const std::string& line, int numericFields, bool* hasThem) {
  std::vector<std::string> fields = SplitFields(line, SeparatorInEffect());
  fields.erase(std::remove(fields.begin(), fields.end(), std::string()), fields.end());
  *hasThem = fields.size() > static_cast<size_t>(numericFields);
  for (size_t k = 1; k <= static_cast<size_t>(numericFields) && k < fields.size(); ++k)
    if (!ListFile_FieldIsWhole(Widened(fields[k]).c_str())) return false;
  return true;
}

// Set by a host that chooses the separator itself.
std::atomic<bool> g_chosen{false};
std::once_flag g_fromLocale;
// --separator of the command running on this thread, or 0.
thread_local char t_ofCommand = 0;

// A scratch file name no other run is using, in the temporary folder; an
// empty path when there is none.
std::filesystem::path ScratchListPath() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return {};
  std::random_device device;
  for (;;) {
    const std::filesystem::path path = folder / ("quorbel-list-" + std::to_string(device()) + ".txt");
    if (!std::filesystem::exists(path, error) && !error) return path;
  }
}

}  // namespace

const Option kSeparatorOption = {"--separator", OptionKind::kChoice,
                                 "the list separator, ',' or ';' (default: the locale's, ';' for Spanish, ',' otherwise)",
                                 true, nullptr, ",|;"};

void ChooseSeparatorInEffect(char separator) {
  ChooseListSeparator(separator == ';' ? kLanguageSpanish : 0);
  g_chosen = true;
}

char LibrarySeparator() {
  if (!g_chosen) std::call_once(g_fromLocale, InitListSeparator);
  return static_cast<char>(ListSeparator()[0]);
}

char SeparatorInEffect() { return t_ofCommand != 0 ? t_ofCommand : LibrarySeparator(); }

SeparatorOfCommand::SeparatorOfCommand(const Args& args) : previous_(t_ofCommand) {
  if (args.Has("--separator")) t_ofCommand = args.Text("--separator")[0];
}

SeparatorOfCommand::~SeparatorOfCommand() { t_ofCommand = previous_; }

LibraryList::LibraryList(const char* argument, const std::string& path) : path_(path) {
  const char mine = SeparatorInEffect(), library = LibrarySeparator();
  if (mine == library) return;
  std::ifstream in(FilePath(path), std::ios::binary);
  if (!in) return;
  const std::filesystem::path scratch = ScratchListPath();
  const CommandError noCopy(argument, std::string(argument) + ": no scratch copy of " + path +
                                          " can be written in the temporary folder to hand it to the library");
  std::ofstream out(scratch, std::ios::binary);
  if (scratch.empty() || !out) throw noCopy;
  // A constructor that throws runs no destructor: the copy is removed here.
  auto fail = [&](const CommandError& error) {
    out.close();
    std::error_code ignored;
    std::filesystem::remove(scratch, ignored);
    throw error;
  };
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.find(library) != std::string::npos) {
      CommandError error(argument, std::string(argument) + " rejected: " + path + ", line " + std::to_string(number) +
                                       " holds '" + library + "', the separator the library splits at in this "
                                       "locale, in a list whose separator is '" + mine + "' (--separator)");
      error.line = number;
      fail(error);
    }
    for (char& c : line) c = c == mine ? library : c;
    out << line;
    if (!in.eof()) out << '\n';
  }
  if (!out.flush()) fail(noCopy);
  path_ = PathText(scratch);
  scratch_ = true;
}

LibraryList::~LibraryList() {
  std::error_code ignored;
  if (scratch_) std::filesystem::remove(FilePath(path_), ignored);
}

void WarnAboutList(const std::string& path, int numericFields) {
  std::ifstream in(FilePath(path), std::ios::binary);
  const char separator = SeparatorInEffect(), other = separator == ',' ? ';' : ',';
  std::string line;
  int number = 0, badFields = 0, afterBlank = 0, blankAt = 0;
  bool sawSeparator = false, sawOther = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (blankAt != 0) {
      if (!line.empty()) ++afterBlank;
      continue;
    }
    if (line.empty()) {
      blankAt = number;
      continue;
    }
    sawSeparator |= line.find(separator) != std::string::npos;
    sawOther |= line.find(other) != std::string::npos;
    bool hasNumbers = false;
    const bool whole = NumbersAreWhole(line, numericFields, &hasNumbers);
    if (whole || !hasNumbers) continue;
    if (number == 1) {
      Warn("header-line", path + ", line 1 looks like a header ('" + line + "'); it is read as a unit, its numbers as 0",
           1);
    } else if (++badFields <= 3) {
      Warn("not-a-whole-number", path + ", line " + std::to_string(number) + " ('" + line +
                                     "'): a number field is not a whole number; the library reads what digits it "
                                     "begins with, or 0",
           number);
    }
  }
  if (blankAt != 0 && afterBlank > 0)
    Warn("lines-after-blank", path + ": the list ends at its blank line " + std::to_string(blankAt) + "; " +
                                  std::to_string(afterBlank) + (afterBlank == 1 ? " line after it is" : " lines after it are") +
                                  " not read",
         blankAt);
  if (!sawSeparator && sawOther)
    Warn("other-separator", path + " uses '" + other + "' but the list separator in effect is '" + separator + "' (" +
                                (t_ofCommand != 0 ? "chosen with --separator"
                                 : g_chosen     ? "the one chosen for this list"
                                                        : "it follows the user's locale: ';' for Spanish, ',' otherwise") +
                                ")");
}

std::vector<std::string> SplitFields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t cut; (cut = line.find(separator, start)) != std::string::npos; start = cut + 1)
    fields.push_back(line.substr(start, cut - start));
  fields.push_back(line.substr(start));
  return fields;
}

long long SeedOfSelection(const Args& args) {
  if (args.Has("--seed")) return args.Int("--seed");
  std::random_device device;
  return static_cast<long long>(device() & 0x7FFFFFFF);
}

std::string SeparatorNote(const std::string& detail) {
  if (detail.find("separator") != std::string::npos) return "";
  return std::string(" (list separator '") + SeparatorInEffect() + "')";
}

CommandError FaultAt(const char* argument, const std::string& file, int line, int field, const std::string& detail,
                     QuorbelResult code, const char* allowed) {
  CommandError error(argument,
                     std::string(argument) + " rejected: " + file + ", line " + std::to_string(line) + ", field " +
                         std::to_string(field) + ": " + detail + SeparatorNote(detail) + " (result code " +
                         CodeText(code) + ")",
                     1);
  error.code = code;
  error.allowed = allowed;
  error.line = line;
  error.field = field;
  return error;
}

void WriteResultFile(const std::string& out, const std::string& text) {
  {
    std::ofstream file(FilePath(out), std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (file) return;
  }
  std::error_code ignored;
  std::filesystem::remove(FilePath(out), ignored);
  throw Rejection("OUT", "a file that can be created", QUORBEL_E_RESULT_FILE);
}

// Refuses an output that is the list itself, and an existing output unless
// --force is given: OUT is replaced without a word otherwise.
void GuardOutput(const Args& args, const std::string& list, const std::string& out) {
  std::error_code error;
  if (std::filesystem::equivalent(FilePath(list), FilePath(out), error))
    throw UsageError("OUT", "OUT '" + out + "' is the list itself; writing it would overwrite the list");
  if (std::filesystem::exists(FilePath(out), error) && !args.Has("--force"))
    throw UsageError("OUT", "OUT '" + out + "' exists; give --force to replace it");
}

}  // namespace quorbel::commands
