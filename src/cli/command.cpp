#include "cli/command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "cli/text_output.h"

namespace vornal::cli {

namespace {

// The width of the help's lines.
constexpr std::size_t kHelpWidth = 79;

// The words of the text in lines of at most kHelpWidth characters, which
// begin at `indent`: the first where the caller left off, the others after
// as many blanks.
std::string Wrapped(std::string_view text, std::size_t indent) {
  std::string out;
  std::size_t column = indent;
  bool lineStart = true;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find(' ', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string word(text.substr(at, end - at));
    const std::size_t width = DisplayWidth(word);
    if (!lineStart && column + 1 + width > kHelpWidth) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
      lineStart = true;
    }
    if (!lineStart) {
      out += ' ';
      ++column;
    }
    out += word;
    column += width;
    lineStart = false;
    at = end + 1;
  }
  return out;
}

// A way to call the command, in lines of at most kHelpWidth characters:
// broken between bracketed groups, the lines after the first beginning
// under the command's first argument.
std::string Synopsis(const std::string& line, std::string_view name) {
  if (line.size() <= kHelpWidth) return line + "\n";
  const std::size_t indent = line.find(" " + std::string(name) + " ") + name.size() + 2;
  std::string out = line.substr(0, indent - 1);
  std::size_t column = out.size();
  int depth = 0;
  std::size_t begin = indent;
  for (std::size_t at = indent; at <= line.size(); ++at) {
    if (at < line.size() && line[at] == '[') ++depth;
    if (at < line.size() && line[at] == ']') --depth;
    if (at < line.size() && (line[at] != ' ' || depth > 0)) continue;
    const std::string group = line.substr(begin, at - begin);
    if (column + 1 + group.size() > kHelpWidth) {
      out += "\n" + std::string(indent - 1, ' ');
      column = indent - 1;
    }
    out += " " + group;
    column += 1 + group.size();
    begin = at + 1;
  }
  return out + "\n";
}

const Option* Find(const std::vector<Option>& options, std::string_view name) {
  for (const Option& option : options)
    if (name == option.name) return &option;
  return nullptr;
}

// True when the verb is one of the words the option goes with.
bool GoesWith(const Option& option, std::string_view verb) {
  if (!option.verbs) return true;
  const std::string_view verbs = option.verbs;
  for (std::size_t at = 0; at < verbs.size();) {
    std::size_t end = verbs.find(' ', at);
    if (end == std::string_view::npos) end = verbs.size();
    if (verbs.substr(at, end - at) == verb) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

std::string HelpText(const Command& command) {
  std::string text;
  for (const char* way : command.synopsis)
    text += Synopsis(std::string(text.empty() ? "Usage: " : "       ") + "vornal-cli " + way,
                     command.name);
  text += "\n";
  text += command.description;
  if (!command.options.empty()) text += "\nOptions:\n";
  // The options in a column as wide as the widest, their help beside it.
  const auto head = [](const Option& option) {
    return std::string("  ") + option.name + (option.value ? std::string(" ") + option.value : "");
  };
  std::size_t column = 0;
  for (const Option& option : command.options) column = std::max(column, head(option).size() + 2);
  for (const Option& option : command.options) {
    std::string line = head(option);
    line.resize(column, ' ');
    text += line + Wrapped(option.help, column) + "\n";
  }
  return text + "\n" + command.exits;
}

ParsedArgs ParseArgs(const std::vector<Option>& options, const std::vector<std::string>& args) {
  ParsedArgs parsed;
  // Our part: help, a value missing, an option given twice, and each value
  // handed on so that the parser takes it whatever it looks like: a value
  // that begins with '-' glued to its option ("--name=-h"), any other as the
  // next word (an empty one too, which the parser would not take after '=').
  // What is no option of the command, or not of its verb (the first word),
  // stays a word in its place, for the command to refuse as it reads them.
  const std::string verb = args.empty() ? std::string() : args.front();
  std::vector<std::string> glued;
  std::vector<std::string> seen;
  std::string repeated;
  std::string problem;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
      continue;
    }
    if (!arg.starts_with("--")) {
      parsed.words.push_back(arg);
      continue;
    }
    const std::string name = arg.substr(0, arg.find('='));
    const Option* option = Find(options, name);
    if (repeated.empty() && !(option && option->repeats) &&
        std::find(seen.begin(), seen.end(), name) != seen.end())
      repeated = name;
    seen.push_back(name);
    const bool fits = option && GoesWith(*option, verb);
    if (!option || (!option->value && name != arg)) {
      parsed.words.push_back(arg);
    } else if (!option->value) {
      (fits ? glued : parsed.words).push_back(arg);
    } else {
      std::string value;
      if (name != arg) {
        value = arg.substr(name.size() + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        if (fits && problem.empty()) problem = name + " needs " + option->needs;
        if (!fits) parsed.words.push_back(arg);
        continue;
      }
      if (!fits) {
        parsed.words.push_back(arg);
        if (name == arg) parsed.words.push_back(value);
      } else if (value.starts_with('-')) {
        glued.push_back(name + "=" + value);
      } else {
        glued.push_back(name);
        glued.push_back(value);
      }
    }
  }
  if (parsed.help) return parsed;
  if (!repeated.empty()) {
    parsed.problem = repeated + " is given twice";
    return parsed;
  }
  if (!problem.empty()) {
    parsed.problem = problem;
    return parsed;
  }

  // CLI11 reads the options and each value of each occurrence.
  CLI::App app;
  app.set_help_flag();
  std::vector<std::vector<std::string>> values(options.size());
  std::vector<const CLI::Option*> read(options.size());
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (options[i].value)
      read[i] = app.add_option(options[i].name, values[i])
                    ->expected(1)
                    ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                    ->allow_extra_args(false);
    else
      read[i] = app.add_flag(options[i].name)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  }
  std::reverse(glued.begin(), glued.end());
  try {
    app.parse(glued);
  } catch (const CLI::ParseError& e) {
    parsed.problem = e.what();
    return parsed;
  }
  std::vector<std::size_t> next(options.size());
  for (const CLI::Option* given : app.parse_order()) {
    const auto at = std::find(read.begin(), read.end(), given);
    if (at == read.end()) continue;
    const std::size_t i = static_cast<std::size_t>(at - read.begin());
    parsed.given.emplace_back(options[i].name,
                              options[i].value ? values[i].at(next[i]++) : std::string());
  }
  return parsed;
}

Invocation::Invocation(const Command& command, std::string location, ParsedArgs args)
    : m_command(command), m_location(std::move(location)), m_args(std::move(args)) {}

bool Invocation::Has(std::string_view option) const {
  return std::any_of(m_args.given.begin(), m_args.given.end(),
                     [option](const auto& given) { return given.first == option; });
}

std::string Invocation::Value(std::string_view option) const {
  for (const auto& [name, value] : m_args.given)
    if (name == option) return value;
  return {};
}

Database& Invocation::Db() {
  if (!m_db) m_db = OpenOrCreate(m_location);
  return *m_db;
}

Database& Invocation::ExistingDb() {
  if (!m_db) m_db = OpenExisting(m_location);
  return *m_db;
}

Database& Invocation::ReadOnlyDb() {
  if (!m_db) {
    m_db = std::make_unique<Database>();
    m_db->OpenReadOnly(m_location);
    RequireTables(*m_db);
  }
  return *m_db;
}

int Invocation::Usage(const std::string& problem) const {
  return UsageError(m_command, problem);
}

int UsageError(const Command& command, const std::string& problem) {
  std::fprintf(stderr, "vornal-cli %s: %s\nTry 'vornal-cli %s --help'.\n", command.name,
               Escaped(problem).c_str(), command.name);
  return kExitUsage;
}

DatabasePtr OpenExisting(const std::string& path) {
  auto db = std::make_unique<Database>();
  db->Open(path);
  if (CreateServerTables(*db))
    std::fprintf(stderr, "vornal-cli: %s had none of the program's tables; created them.\n",
                 db->Description().c_str());
  UpgradeSchema(*db);
  RequireTables(*db);
  return db;
}

void RequireTables(Database& db) {
  // An empty or foreign file opens as a database without our tables; say
  // so, not "no such table" at whatever statement comes first.
  for (const char* table : {"human", "logs", "setting"})
    if (!db.HasTable(table))
      throw StoreError(StoreErrorKind::NotFound,
                       "the " + std::string(db.IsServer() ? "database" : "file") +
                           " has no table '" + table +
                           "': it is not a Vornal database (empty or foreign)");
}

DatabasePtr OpenEmptyFile(const std::string& path) {
  auto db = std::make_unique<Database>();
  db->Open(path);
  CreateTables(*db);
  return db;
}

DatabasePtr OpenOrCreate(const std::string& path) {
  std::error_code ec;
  if (IsServerLocation(path) || std::filesystem::exists(path, ec)) return OpenExisting(path);
  auto db = std::make_unique<Database>();
  db->Create(path);
  CreateTables(*db);
  std::fprintf(stderr, "vornal-cli: %s did not exist; created a new database.\n", path.c_str());
  return db;
}

bool KeepsNothing(const std::string& location) {
  return location.empty() || location == ":memory:" || location.starts_with("file:");
}

int NoFileName(const std::string& option, const std::string& location) {
  std::fprintf(stderr,
               "vornal-cli: %s '%s' is no database file name (an empty name, ':memory:' and "
               "'file:' URIs keep nothing); name a file, for example ./%s\n",
               option.c_str(), location.c_str(), location.empty() ? "base.mdb" : location.c_str());
  return kExitUsage;
}

std::optional<int> ParseNumber(const std::string& text) {
  int value = 0;
  const char* last = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), last, value);
  if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

std::optional<std::int64_t> ParseId(const std::string& text) {
  std::int64_t value = 0;
  const char* last = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), last, value);
  if (text.empty() || ec != std::errc() || ptr != last || value < 1) return std::nullopt;
  return value;
}

}  // namespace vornal::cli
