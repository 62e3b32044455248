#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "test_util.h"

namespace vornal::test {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Starts vornal-cli in `cwd` with its output going to files there; the
// process id.
inline pid_t StartCli(const std::string& cwd, const std::vector<std::string>& args) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (::chdir(cwd.c_str()) != 0) ::_exit(127);
  const int out = ::open(".cli.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = ::open(".cli.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(out, 1);
  ::dup2(err, 2);
  std::vector<char*> argv{const_cast<char*>(VORNAL_CLI)};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ::execv(VORNAL_CLI, argv.data());
  ::_exit(127);
}

inline CliResult WaitCli(const std::string& cwd, pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  CliResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  result.out = ReadFile(cwd + "/.cli.out");
  result.err = ReadFile(cwd + "/.cli.err");
  return result;
}

inline CliResult RunCli(const std::string& cwd, const std::vector<std::string>& args) {
  return WaitCli(cwd, StartCli(cwd, args));
}

}  // namespace vornal::test
