// vornal-cli web-users: the accounts of the web view.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/text_output.h"
#include "store/web_users.h"
#include "text/utf8.h"

namespace vornal::cli {

extern const Command kWebUsersCommand;

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "vornal-cli web-users: %s\n", Escaped(message).c_str());
  return kExitFailure;
}

// One line of standard input, its line end dropped.
std::optional<std::string> ReadLine() {
  std::string line;
  if (!std::getline(std::cin, line) && line.empty()) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The password from standard input; on a terminal asked for twice, not
// echoed. Nothing, said on stderr, when none is given or the two differ.
std::optional<std::string> ReadPassword() {
  if (!isatty(STDIN_FILENO)) {
    std::optional<std::string> password = ReadLine();
    if (!password || password->empty()) {
      Fail("no password on standard input");
      return std::nullopt;
    }
    return password;
  }
  termios saved{};
  tcgetattr(STDIN_FILENO, &saved);
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  const auto ask = [&](const char* prompt) {
    std::fprintf(stderr, "%s", prompt);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::optional<std::string> line = ReadLine();
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fprintf(stderr, "\n");
    return line;
  };
  const std::optional<std::string> first = ask("Password: ");
  if (!first || first->empty()) {
    Fail("no password given");
    return std::nullopt;
  }
  if (ask("Again: ") != first) {
    Fail("the two passwords differ");
    return std::nullopt;
  }
  return first;
}

bool GoodName(const std::string& name) {
  if (name.empty() || name.size() > 100 || !IsUtf8(name)) return false;
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

int Run(Invocation& in) {
  const std::vector<std::string>& words = in.Words();
  if (words.empty()) return in.Usage("add, passwd, remove or list?");
  const std::string& verb = words[0];
  if (verb == "list") {
    if (words.size() > 1) return in.Usage("unexpected argument '" + words[1] + "'");
    for (const WebUser& user : ListWebUsers(in.ReadOnlyDb())) {
      std::string line = Escaped(user.name) + "  " + WebRoleName(user.role);
      if (user.role == WebUser::Role::Manager) line += "  " + Escaped(user.department);
      std::printf("%s\n", line.c_str());
    }
    return kExitOk;
  }
  if (verb != "add" && verb != "passwd" && verb != "remove")
    return in.Usage("unknown verb '" + verb + "'");
  if (words.size() < 2) return in.Usage(verb + " needs a NAME");
  if (words.size() > 2) return in.Usage("unexpected argument '" + words[2] + "'");
  const std::string& name = words[1];
  if (verb == "remove") {
    if (RemoveWebUser(in.ExistingDb(), name) == 0) return Fail("no account " + name);
    std::printf("removed %s\n", Escaped(name).c_str());
    return kExitOk;
  }
  if (verb == "add") {
    if (!GoodName(name)) return in.Usage("a NAME is 1 to 100 characters, no control characters");
    const std::optional<WebUser::Role> role = WebRoleFromName(in.Value("--role"));
    if (!role) return in.Usage("--role is viewer or manager");
    const std::string department = in.Value("--department");
    if (*role == WebUser::Role::Manager && department.empty())
      return in.Usage("a manager needs --department");
    if (*role == WebUser::Role::Viewer && in.Has("--department"))
      return in.Usage("a viewer sees every department: no --department");
    Database& db = in.ExistingDb();
    if (FindWebUser(db, name)) return Fail("an account " + name + " exists");
    const std::optional<std::string> password = ReadPassword();
    if (!password) return kExitFailure;
    if (!AddWebUser(db, {name, *role, department, HashWebPassword(*password)}))
      return Fail("an account " + name + " exists");
    std::printf("added %s\n", Escaped(name).c_str());
    return kExitOk;
  }
  Database& db = in.ExistingDb();
  if (!FindWebUser(db, name)) return Fail("no account " + name);
  const std::optional<std::string> password = ReadPassword();
  if (!password) return kExitFailure;
  if (SetWebUserPassword(db, name, HashWebPassword(*password)) == 0)
    return Fail("no account " + name);
  std::printf("changed the password of %s\n", Escaped(name).c_str());
  return kExitOk;
}

}  // namespace

const Command kWebUsersCommand{
    "web-users",
    "the accounts of the web view (vornal-web)",
    {"[--db PATH] web-users add NAME --role viewer|manager [--department D]",
     "[--db PATH] web-users passwd NAME", "[--db PATH] web-users remove NAME",
     "[--db PATH] web-users list"},
    "Who may log in to vornal-web: a viewer sees everybody, a manager only the\n"
    "people of the department given. The password is read from standard input\n"
    "(its first line), or asked for twice without echo on a terminal; it is\n"
    "never taken from the command line, and kept only as an Argon2id hash.\n",
    {{"--role", "ROLE", "viewer or manager", "a value", "add"},
     {"--department", "D", "the department a manager sees", "a value", "add"}},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
